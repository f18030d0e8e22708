// The bytes the member's client puts on the wire and how it reads the bytes of
// a server, against a scripted raw peer. Literal values come from independent
// DES and SHA-1 implementations; the link key of key text "K1" is 3abb73ce82844033.
#include "LeaderFixture.h"
#include "LinkTestPeer.h"
#include "TestSupport.h"
#include "store/ZKMainDef.h"

#include <QFile>
#include <QtTest>
#include <future>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kLoginWire =
    "0001000090000000"
    "26f64fac6efcf56ccd62cfa2bb2f68d1319c22be1879389694ad82880b7a32d8fd1b859fd49e9792e9ebd0fe5fd35b35b014bd9d"
    "83be52da21ec7573129b685b089991c3ea4ee7ac3fb57afe682945d55230b10a708a832e44f99f5f91cc406a18cd7f0bd70b538d"
    "f063fdae3b5aba74ff13c9361bec690c6c5d4d48e727954b48bc2746e9de1f4801266cbc91deda9f3498dcbe9fa21e8f";
// The 80 bytes of a login reply with result 0 and key text "K1".
const QByteArray kReplyK1 =
    "393fa31de359ab3c6566b0509247364d06132abe649029ff2ddb29e78a653219acbb4202584ec1f2ecfcf2"
    "1272b5bb3eaedf61c7d964c8ec3555b71d324ee27d17b46918cde5a637ef0ccdc4ebea7fd9";

TLinkKey TextKey(const QString &text)
{
    TLinkKey key;
    DeriveTextKey(text, key);
    return key;
}

const uint8_t *U8(const QByteArray &b)
{
    return reinterpret_cast<const uint8_t *>(b.constData());
}

struct TMsg
{
    TZkapMsgHdr Hdr;
    QByteArray Plain; // the decrypted payload
    QByteArray Wire;  // header and payload as they came
};

// The server end of one scripted conversation.
class TScript
{
public:
    TPeerListener Listener;
    TPeerConn Conn;
    TLinkKey Key; // the key of the payloads, bootstrap until the login

    TScript() { DeriveBootstrapKey(Key); }

    // One client message; plainLen overrides the payload length to read.
    TMsg Read(int plainLen = -1)
    {
        TMsg m;
        m.Wire = Conn.Read(ZkapHdrLen);
        if (m.Wire.size() < ZkapHdrLen)
            return m;
        m.Hdr = DecodeMsgHdr(U8(m.Wire));
        const int len = plainLen >= 0 ? plainLen : m.Hdr.PayloadLen;
        const QByteArray payload = Conn.Read(RoundToCipherLen(len));
        m.Wire += payload;
        QByteArray plain = payload;
        int n = 0;
        if (Key.DecryptUnit(reinterpret_cast<uint8_t *>(plain.data()), int(plain.size()), &n))
            m.Plain = plain.left(n);
        return m;
    }
    // A message with its payload encrypted under the current key.
    void Send(uint8_t type, uint8_t id, const QByteArray &payload, uint8_t rsv1 = 0, uint8_t rsv2 = 0,
              int announced = -1)
    {
        Conn.Write(Frame(type, id, payload, rsv1, rsv2, announced));
    }
    QByteArray Frame(uint8_t type, uint8_t id, const QByteArray &payload, uint8_t rsv1 = 0, uint8_t rsv2 = 0,
                     int announced = -1) const
    {
        QByteArray out(ZkapHdrLen + RoundToCipherLen(int(payload.size())), Qt::Uninitialized);
        const TZkapMsgHdr hdr{type, id, rsv1, rsv2, announced >= 0 ? announced : int(payload.size())};
        const int n =
            EncodeFrame(hdr, U8(payload), int(payload.size()), &Key, reinterpret_cast<uint8_t *>(out.data()));
        return out.left(n);
    }
    // A bulk data stream: header and chunks of 511 bytes, each its own unit.
    void SendData(uint8_t id, const QByteArray &data, qsizetype from, int chunks = -1, uint8_t rsv1 = 0,
                  uint8_t rsv2 = 0)
    {
        QByteArray hdr(ZkapHdrLen, Qt::Uninitialized);
        EncodeMsgHdr({rtFileData, id, rsv1, rsv2, int(data.size() - from)},
                     reinterpret_cast<uint8_t *>(hdr.data()));
        QByteArray out = hdr;
        for (qsizetype at = from; at < data.size() && chunks != 0; at += ZkapMaxPayload, --chunks) {
            QByteArray chunk = data.mid(at, ZkapMaxPayload);
            const int n = int(chunk.size());
            chunk.resize(RoundToCipherLen(n));
            Key.EncryptUnit(reinterpret_cast<uint8_t *>(chunk.data()), n);
            out += chunk;
        }
        Conn.Write(out);
    }
    // The login exchange: accepts, checks the login message, answers with a key text.
    bool Login(uint8_t id, const QString &keyText, uint8_t rsv1 = 0, uint8_t rsv2 = 0)
    {
        Conn = Listener.Accept();
        DeriveBootstrapKey(Key);
        const TMsg login = Read();
        if (login.Hdr.MsgType != mtLogin || login.Hdr.TransId != id || login.Plain.size() != LoginPayloadLen)
            return false;
        QByteArray reply(LoginReplyLen + 8, char(0));
        EncodeLoginReply(reinterpret_cast<uint8_t *>(reply.data()), 0, keyText, TextKey(u"pw1"_s));
        Send(rtLoginReply, id, reply.left(LoginReplyLen), rsv1, rsv2);
        Key = TextKey(keyText);
        return true;
    }
    // Reads a keep-alive and answers it.
    bool KeepAlive(uint8_t rsv1 = 0, uint8_t rsv2 = 0)
    {
        const TMsg m = Read();
        if (m.Hdr.MsgType != mtKeepAlive || m.Hdr.PayloadLen != 0 || m.Wire.size() != 16)
            return false;
        Send(rtResult, m.Hdr.TransId, QByteArray(1, char(0)), rsv1, rsv2);
        return true;
    }
};

std::unique_ptr<TZKALinkCtxt> MakeCtxt(uint16_t port, int timeoutMs = 3000)
{
    ZKMainDef().LoginInfo.SSDM = u"11"_s;
    ZKMainDef().LoginInfo.Password = u"pw1"_s;
    TLinkOptions options;
    options.ReadTimeoutMs = timeoutMs;
    options.IPv6Allowed = false;
    return std::make_unique<TZKALinkCtxt>(u"127.0.0.1"_s, port, u"zy01"_s, u"pw1"_s, options);
}

template<typename F>
auto Async(F f)
{
    return std::async(std::launch::async, f);
}

} // namespace

class TestLinkWire : public QObject
{
    Q_OBJECT

    // A context logged in through the script with key text "K1" (id 1).
    std::unique_ptr<TZKALinkCtxt> LoggedIn(TScript &s)
    {
        auto ctx = MakeCtxt(s.Listener.Port());
        auto login = Async([&] { return ctx->OpenConnection(); });
        if (!s.Login(1, u"K1"_s))
            qFatal("unexpected login message");
        if (login.get() != lrOK)
            qFatal("login failed");
        return ctx;
    }

private slots:
    // The login message byte for byte, the reply, the link key from the key
    // text, and the reserved header bytes sent back as last received.
    void loginAndFirstRequest()
    {
        TScript s;
        auto ctx = MakeCtxt(s.Listener.Port());
        auto login = Async([&] { return ctx->OpenConnection(); });
        s.Conn = s.Listener.Accept();
        QCOMPARE(s.Conn.Read(160).toHex(), kLoginWire);
        s.Conn.Write(QByteArray::fromHex("01015aa54a000000") + QByteArray::fromHex(kReplyK1));
        QCOMPARE(login.get(), int(lrOK));
        QCOMPARE(ctx->FsmState(), uint8_t(1));

        s.Key = TextKey(u"K1"_s);
        bool dmk = false, jhk = true;
        auto state = Async([&] { return ctx->QueryMemberState(dmk, jhk); });
        QCOMPARE(s.Conn.Read(16).toHex(), QByteArray("02025aa500000000729e0fe29b12a286"));
        s.Send(rtResult, 2, QByteArray(1, char(0)), 0x01, 0x02);
        const TMsg req = s.Read();
        QCOMPARE(req.Wire.toHex(), QByteArray("0303010200000000729e0fe29b12a286"));
        s.Send(rtMemberState, 3, QByteArray::fromHex("000100"));
        QCOMPARE(state.get(), int(lrOK));
        QVERIFY(dmk);
        QVERIFY(!jhk);
    }

    void loginReplies_data()
    {
        QTest::addColumn<QByteArray>("reply"); // header + payload, hex; empty = close
        QTest::addColumn<int>("result");
        const QByteArray body = kReplyK1;
        QTest::newRow("accepted") << QByteArray("01010000"
                                                "4a000000") +
                                         body
                                  << int(lrOK);
        QTest::newRow("wrong id") << QByteArray("01020000"
                                                "4a000000") +
                                         body
                                  << int(lrProtocolError);
        QTest::newRow("wrong type") << QByteArray("00010000"
                                                  "4a000000") +
                                           body
                                    << int(lrProtocolError);
        QTest::newRow("73 bytes") << QByteArray("01010000"
                                                "49000000") +
                                         body
                                  << int(lrProtocolError);
        QTest::newRow("closed") << QByteArray() << int(lrConnectFailed);
        QTest::newRow("cut short") << QByteArray("01010000"
                                                 "4a000000") +
                                          body.left(40)
                                   << int(lrConnectFailed);
        QTest::newRow("outer cipher wrong") << QByteArray("01010000"
                                                          "4a000000") +
                                                   QByteArray(160, '0')
                                            << int(lrConnectFailed);
    }
    void loginReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, result);
        TScript s;
        auto ctx = MakeCtxt(s.Listener.Port());
        auto login = Async([&] { return ctx->OpenConnection(); });
        s.Conn = s.Listener.Accept();
        QCOMPARE(s.Conn.Read(160).size(), 160);
        if (reply.isEmpty())
            s.Conn.Close();
        else
            s.Conn.Write(QByteArray::fromHex(reply));
        if (reply.size() < 176) // cut short: end the stream
            s.Conn.Close();
        QCOMPARE(login.get(), result);
        QCOMPARE(ctx->Connected(), result == lrOK);
        if (result != lrOK)
            QCOMPARE(ctx->FsmState(), uint8_t(0));
    }

    // Refusals, key texts of every length, and a key text that does not decrypt.
    void loginKeyText_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<bool>("spoilInner");
        QTest::addColumn<int>("expected");
        QTest::newRow("refused 7") << 7 << QString() << false << 7;
        QTest::newRow("33 units, no zero: read whole") << 0 << QString(33, QChar(u'k')) << false << 0;
        QTest::newRow("empty key text") << 0 << QString() << false << 0;
        QTest::newRow("key text does not decrypt") << 0 << u"K1"_s << true << int(lrProtocolError);
    }
    void loginKeyText()
    {
        QFETCH(int, result);
        QFETCH(QString, keyText);
        QFETCH(bool, spoilInner);
        QFETCH(int, expected);
        TScript s;
        auto ctx = MakeCtxt(s.Listener.Port());
        auto login = Async([&] { return ctx->OpenConnection(); });
        s.Conn = s.Listener.Accept();
        s.Read();
        QByteArray reply(LoginReplyLen + 8, char(0));
        uint8_t *p = reinterpret_cast<uint8_t *>(reply.data());
        p[0] = uint8_t(result);
        if (keyText.size() == 33) {
            for (int i = 0; i < 33; ++i)
                p[2 + 2 * i] = 'k';
        } else {
            PutTextField(p + 2, 33, keyText);
        }
        TextKey(u"pw1"_s).EncryptUnit(p + 2, 66);
        if (spoilInner)
            p[73] ^= 0x55;
        s.Send(rtLoginReply, 1, reply.left(LoginReplyLen));
        QCOMPARE(login.get(), expected);
        if (expected != lrOK) {
            QVERIFY(s.Conn.WaitClosed()); // a refused login closes the connection
            return;
        }
        // The link key is made from the key text as read.
        s.Key = TextKey(keyText);
        QString pcdm;
        auto dqpc = Async([&] { return ctx->QueryDQPC(pcdm); });
        QVERIFY(s.KeepAlive());
        const TMsg req = s.Read();
        QCOMPARE(req.Hdr.MsgType, uint8_t(mtQueryDQPC));
        QCOMPARE(req.Plain.size(), 0); // decrypted under the key of the key text
        s.Send(rtDQPC, req.Hdr.TransId, QByteArray::fromHex("00ee41004200")); // no zero unit: both units
        QCOMPARE(dqpc.get(), int(lrOK));
        QCOMPARE(pcdm, u"AB"_s);
    }

    // Every request's header and plaintext payload; the server refuses each.
    void requests_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("state") << u"state"_s << int(mtQueryMemberState) << QByteArray();
        QTest::newRow("dqpc") << u"dqpc"_s << int(mtQueryDQPC) << QByteArray();
        QTest::newRow("dmk") << u"dmk"_s << int(mtRequestDMK) << QByteArray();
        QTest::newRow("jhk") << u"jhk"_s << int(mtRequestJHK) << QByteArray();
        QTest::newRow("tdd") << u"tdd"_s << int(mtRequestTDD)
                             << QByteArray("31000000350000003100000007000000");
        QTest::newRow("allzy, 15 characters cut to 14")
            << u"allzy"_s << int(mtRequestAllZY)
            << QByteArray("310031003000310030003100310039003900390031003200330034000000");
        QTest::newRow("photo kind 2")
            << u"photo"_s << int(mtRequestPhoto)
            << QByteArray("3100310030003100300031003100390039003900310032003300340000000200");
        QTest::newRow("upload announcement")
            << u"upload"_s << int(mtUpLoadResult) << QByteArray("3100000035000000310000000500000003000000");
    }
    void requests()
    {
        QFETCH(QString, request);
        QFETCH(int, type);
        QFETCH(QByteArray, plain);
        TScript s;
        auto ctx = LoggedIn(s);
        const QTemporaryDir dir;
        const QString target = dir.filePath(u"file"_s);
        WriteTestFile(dir.filePath(u"up"_s), "abc");
        auto call = Async([&]() -> int {
            bool a, b;
            QString t;
            if (request == "state"_L1)
                return ctx->QueryMemberState(a, b);
            if (request == "dqpc"_L1)
                return ctx->QueryDQPC(t);
            if (request == "dmk"_L1)
                return ctx->RequestDMK(target);
            if (request == "jhk"_L1)
                return ctx->RequestJHK(target);
            if (request == "tdd"_L1)
                return ctx->RequestTDD(u"1"_s, u"5"_s, u"1"_s, 7, target);
            if (request == "allzy"_L1)
                return ctx->RequestAllZY(u"110101199912345"_s, target);
            if (request == "photo"_L1)
                return ctx->RequestPhoto(u"11010119991234"_s, target, 2, t);
            return ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, dir.filePath(u"up"_s));
        });
        QVERIFY(s.KeepAlive());
        const TMsg req = s.Read();
        QCOMPARE(req.Hdr.MsgType, uint8_t(type));
        QCOMPARE(req.Hdr.TransId, uint8_t(3));
        QCOMPARE(req.Hdr.PayloadLen, int(plain.size() / 2));
        QCOMPARE(req.Wire.size(), 8 + RoundToCipherLen(int(plain.size() / 2)));
        QCOMPARE(req.Plain.toHex(), plain);
        // Each is refused with the server's code 7.
        const uint8_t replyType = type == mtQueryMemberState ? rtMemberState
                                  : type == mtQueryDQPC      ? rtDQPC
                                  : type == mtUpLoadResult   ? rtResult
                                                             : rtFileInfo;
        QByteArray refusal(type >= mtRequestDMK && replyType == rtFileInfo ? FileInfoLen : 6, char(0));
        refusal[0] = 7;
        s.Send(replyType, 3, refusal);
        QCOMPARE(call.get(), 7);
        QVERIFY(!QFile::exists(target));
    }

    // 1,023 bytes arrive as 511, 511 and 1 (512, 512 and 8 bytes); the data
    // request echoes the file number and the 130 name bytes with their junk.
    void download()
    {
        TScript s;
        auto ctx = LoggedIn(s);
        const QTemporaryDir dir;
        const QString target = dir.filePath(u"photo"_s);
        const QByteArray data = PatternBytes(1023, 4);
        QString ext;
        auto call = Async([&] { return ctx->RequestPhoto(u"11010119991234"_s, target, 3, ext); });
        QVERIFY(s.KeepAlive());
        s.Read();
        QByteArray info(FileInfoLen, char(0x5A)); // junk after the name
        info[0] = 0;
        info[1] = char(9);
        const QString name = u"kszp.v2\\3.JPG"_s;
        PutTextField(reinterpret_cast<uint8_t *>(info.data()) + 2, int(name.size()) + 1, name);
        PutInt32(reinterpret_cast<uint8_t *>(info.data()) + 132, 1023);
        s.Send(rtFileInfo, 3, info);
        QVERIFY(s.KeepAlive(0x33, 0x44));
        const TMsg req = s.Read();
        QCOMPARE(req.Wire.left(8).toHex(), QByteArray("0c05334488000000"));
        QCOMPARE(req.Plain.size(), FileDataRequestLen);
        QCOMPARE(quint8(req.Plain[0]), quint8(9));
        QCOMPARE(req.Plain.mid(2, 130), info.mid(2, 130));
        QCOMPARE(req.Plain.mid(132).toHex(), QByteArray("00000000"));
        s.SendData(5, data, 0);
        QCOMPARE(call.get(), int(lrOK));
        QCOMPARE(ext, u".JPG"_s);
        QCOMPARE(zktest::readFile(target), data);
    }

    // Broken after 3 full chunks: a new connection and login, whose header
    // repeats the reserved bytes last received, then a request at offset 1,533.
    void downloadResumes()
    {
        TScript s;
        auto ctx = LoggedIn(s);
        const QTemporaryDir dir;
        const QString target = dir.filePath(u"dmk"_s);
        const QByteArray data = PatternBytes(2100, 8);
        auto call = Async([&] { return ctx->RequestDMK(target); });
        QVERIFY(s.KeepAlive());
        s.Read();
        TFileInfo fi;
        fi.FileNo = 1;
        fi.NameBlock = MakeNameBlock(u"dmk.zip"_s);
        fi.Size = int(data.size());
        QByteArray info(FileInfoLen, char(0));
        EncodeFileInfo(reinterpret_cast<uint8_t *>(info.data()), fi);
        s.Send(rtFileInfo, 3, info);
        QVERIFY(s.KeepAlive());
        QCOMPARE(DecodeFileDataRequest(U8(s.Read().Plain)).Offset, 0);
        s.SendData(5, data, 0, 3, 0x71, 0x72);
        s.Conn.Close();

        // The client's keep-alive fails, it logs in again (id 7 after the
        // keep-alive id 6) with the reserved bytes of the last header it read.
        s.Conn = s.Listener.Accept();
        DeriveBootstrapKey(s.Key);
        const TMsg login = s.Read();
        QCOMPARE(login.Wire.left(8).toHex(), QByteArray("0007717290000000"));
        QByteArray reply(LoginReplyLen + 8, char(0));
        EncodeLoginReply(reinterpret_cast<uint8_t *>(reply.data()), 0, u"K2"_s, TextKey(u"pw1"_s));
        s.Send(rtLoginReply, 7, reply.left(LoginReplyLen), 0x61, 0x62);
        s.Key = TextKey(u"K2"_s);
        const TMsg req = s.Read();
        QCOMPARE(req.Wire.left(8).toHex(), QByteArray("0c08616288000000"));
        const TFileDataRequest dr = DecodeFileDataRequest(U8(req.Plain));
        QCOMPARE(dr.Offset, 1533);
        QCOMPARE(req.Plain.mid(132).toHex(), QByteArray("fd050000"));
        QVERIFY(dr.NameBlock == fi.NameBlock);
        s.SendData(8, data, 1533);
        QCOMPARE(call.get(), int(lrOK));
        QCOMPARE(zktest::readFile(target), data);
    }

    void zeroByteFile()
    {
        TScript s;
        auto ctx = LoggedIn(s);
        const QTemporaryDir dir;
        const QString target = dir.filePath(u"jhk"_s);
        auto call = Async([&] { return ctx->RequestJHK(target); });
        QVERIFY(s.KeepAlive());
        s.Read();
        QByteArray info(FileInfoLen, char(0));
        info[1] = 2;
        s.Send(rtFileInfo, 3, info);
        QVERIFY(s.KeepAlive());
        s.Read();
        s.Conn.Write(QByteArray::fromHex("0605000000000000")); // no chunks
        QCOMPARE(call.get(), int(lrOK));
        QVERIFY(QFile::exists(target));
        QCOMPARE(QFileInfo(target).size(), 0);
    }

    // Replies whose lengths cannot be right.
    void impossibleLengths_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("connected");
        QTest::newRow("negative file size") << u"size"_s << int(lrProtocolError) << true;
        QTest::newRow("negative reply length") << u"negative"_s << int(lrTransferFailed) << false;
        QTest::newRow("data header of another length") << u"datalen"_s << int(lrProtocolError) << true;
        QTest::newRow("huge reply length read as 511") << u"huge"_s << int(lrOK) << true;
    }
    void impossibleLengths()
    {
        QFETCH(QString, kind);
        QFETCH(int, result);
        QFETCH(bool, connected);
        TScript s;
        auto ctx = LoggedIn(s);
        const QTemporaryDir dir;
        const QString target = dir.filePath(u"f"_s);
        bool dmk = false, jhk = false;
        auto call = Async([&] {
            return kind == "size"_L1 || kind == "datalen"_L1 ? ctx->RequestDMK(target)
                                                             : ctx->QueryMemberState(dmk, jhk);
        });
        QVERIFY(s.KeepAlive());
        s.Read();
        if (kind == "negative"_L1) {
            s.Conn.Write(QByteArray::fromHex("03030000fbffffff"));
        } else if (kind == "huge"_L1) {
            QByteArray big(ZkapMaxPayload, char(0));
            big[1] = 1;
            s.Send(rtMemberState, 3, big, 0, 0, 0x7FFFFFFF);
        } else {
            QByteArray info(FileInfoLen, char(0));
            PutInt32(reinterpret_cast<uint8_t *>(info.data()) + 132, kind == "size"_L1 ? -1 : 100);
            s.Send(rtFileInfo, 3, info);
            if (kind == "datalen"_L1) {
                QVERIFY(s.KeepAlive());
                s.Read();
                s.Conn.Write(QByteArray::fromHex("0605000063000000")); // 99, not 100
            }
        }
        QCOMPARE(call.get(), result);
        QCOMPARE(ctx->Connected(), connected);
        QVERIFY(!QFile::exists(target));
        if (kind == "huge"_L1)
            QVERIFY(dmk);
    }

    // An over-long reply is read as 511 bytes (512 on the wire); what follows
    // is read as the next message.
    void overlongLeavesTheRest()
    {
        TScript s;
        auto ctx = LoggedIn(s);
        QString pcdm;
        auto call = Async([&] { return ctx->QueryDQPC(pcdm); });
        QVERIFY(s.KeepAlive());
        s.Read();
        QByteArray first(ZkapMaxPayload, char(0));
        first.replace(0, 6, QByteArray::fromHex("000031000000"));
        // The 600 announced bytes: 511 in the first 512, then a whole keep-alive
        // reply that the next request reads.
        s.Conn.Write(s.Frame(rtDQPC, 3, first, 0, 0, 600) + s.Frame(rtResult, 4, QByteArray(1, char(0))));
        QCOMPARE(call.get(), int(lrOK));
        QCOMPARE(pcdm, u"1"_s);
        auto next = Async([&] { return ctx->QueryDQPC(pcdm); });
        QCOMPARE(s.Read().Hdr.MsgType, uint8_t(mtKeepAlive)); // already answered
        const TMsg req = s.Read();
        QCOMPARE(req.Hdr.MsgType, uint8_t(mtQueryDQPC));
        s.Send(rtDQPC, req.Hdr.TransId, QByteArray::fromHex("000032000000"));
        QCOMPARE(next.get(), int(lrOK));
        QCOMPARE(pcdm, u"2"_s);
    }

    // The data message: plain header with the next id and the reserved bytes
    // last received, chunks of 511, 511 and 1; the acknowledgement carries its id.
    void upload()
    {
        TScript s;
        auto ctx = LoggedIn(s);
        const QTemporaryDir dir;
        const QByteArray data = PatternBytes(1023, 2);
        WriteTestFile(dir.filePath(u"up"_s), data);
        auto call =
            Async([&] { return ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, dir.filePath(u"up"_s)); });
        QVERIFY(s.KeepAlive());
        const TMsg ann = s.Read();
        QCOMPARE(ann.Plain.toHex(), QByteArray("31000000350000003100000005000000ff030000"));
        s.Send(rtResult, 3, QByteArray(1, char(0)), 0xc3, 0x3c);
        QCOMPARE(s.Conn.Read(8).toHex(), QByteArray("0904c33cff030000"));
        QByteArray got;
        for (int len : {511, 511, 1}) {
            QByteArray chunk = s.Conn.Read(RoundToCipherLen(len));
            QCOMPARE(chunk.size(), RoundToCipherLen(len));
            int n = 0;
            QVERIFY(s.Key.DecryptUnit(reinterpret_cast<uint8_t *>(chunk.data()), int(chunk.size()), &n));
            QCOMPARE(n, len);
            got += chunk.left(n);
        }
        QCOMPARE(got, data);
        QCOMPARE(ctx->FsmState(), uint8_t(2));
        s.Send(rtResult, 4, QByteArray(1, char(6)));
        QCOMPARE(call.get(), 6); // the server's final result
        QCOMPARE(ctx->FsmState(), uint8_t(1));
    }

    void readTimeOutDuringLogin()
    {
        TScript s;
        auto ctx = MakeCtxt(s.Listener.Port(), 200);
        auto login = Async([&] { return ctx->OpenConnection(); });
        s.Conn = s.Listener.Accept();
        QCOMPARE(login.get(), int(lrConnectFailed));
        QVERIFY(!ctx->Connected());
    }
};

QTEST_GUILESS_MAIN(TestLinkWire)
#include "tst_LinkWire.moc"
