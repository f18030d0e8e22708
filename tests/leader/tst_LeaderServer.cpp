// The leader's server stand-in: its side of the wire with literal bytes, its
// checks of the client, its folder layout, and the program.
#include "LeaderFixture.h"
#include "LinkTestPeer.h"
#include "TestSupport.h"
#include "leader/LeaderFolder.h"

#include <QProcess>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// The login message of "zy01" / "pw1" / province "11" with transaction id 1
// (from an independent DES and SHA-1 implementation).
const QByteArray kLoginWire =
    "0001000090000000"
    "26f64fac6efcf56ccd62cfa2bb2f68d1319c22be1879389694ad82880b7a32d8fd1b859fd49e9792e9ebd0fe5fd35b35b014bd9d"
    "83be52da21ec7573129b685b089991c3ea4ee7ac3fb57afe682945d55230b10a708a832e44f99f5f91cc406a18cd7f0bd70b538d"
    "f063fdae3b5aba74ff13c9361bec690c6c5d4d48e727954b48bc2746e9de1f4801266cbc91deda9f3498dcbe9fa21e8f";

TLinkKey TextKey(const QString &text)
{
    TLinkKey key;
    DeriveTextKey(text, key);
    return key;
}

uint8_t *U8(QByteArray &b)
{
    return reinterpret_cast<uint8_t *>(b.data());
}

// A raw client: literal login, then messages under the link key.
class TRawClient
{
public:
    TPeerConn Conn;
    TLinkKey Key;
    QString KeyText;

    explicit TRawClient(uint16_t port, bool ipv6 = false)
        : Conn(ConnectTcp(ipv6 ? u"::1"_s : u"127.0.0.1"_s, port, ipv6))
    {}
    // Logs in; answers the reply's header and plaintext payload.
    QByteArray Login(TZkapMsgHdr *hdr = nullptr)
    {
        Conn.Write(QByteArray::fromHex(kLoginWire));
        QByteArray h = Conn.Read(8);
        if (h.size() < 8)
            return {};
        const TZkapMsgHdr reply = DecodeMsgHdr(U8(h));
        if (hdr)
            *hdr = reply;
        QByteArray payload = Conn.Read(RoundToCipherLen(reply.PayloadLen));
        TLinkKey boot;
        DeriveBootstrapKey(boot);
        int n = 0;
        if (!boot.DecryptUnit(U8(payload), int(payload.size()), &n))
            return "undecryptable";
        payload.truncate(n);
        if (payload.size() == LoginReplyLen && payload[0] == 0) {
            QByteArray inner = payload;
            DecryptLoginReplyKeyText(U8(inner), TextKey(u"pw1"_s), &KeyText);
            DeriveTextKey(KeyText, Key);
        }
        return payload;
    }
    void Send(uint8_t type, uint8_t id, QByteArray payload, int announced = -1)
    {
        QByteArray out(8 + RoundToCipherLen(int(payload.size())), Qt::Uninitialized);
        const int n = EncodeFrame({type, id, 0, 0, announced >= 0 ? announced : int(payload.size())},
                                  U8(payload), int(payload.size()), &Key, U8(out));
        Conn.Write(out.left(n));
    }
    // A reply: header, and the decrypted payload (none for rtFileData).
    QByteArray Reply(TZkapMsgHdr *hdr)
    {
        QByteArray h = Conn.Read(8);
        if (h.size() < 8)
            return "closed";
        *hdr = DecodeMsgHdr(U8(h));
        if (hdr->MsgType == rtFileData)
            return {};
        QByteArray payload = Conn.Read(RoundToCipherLen(hdr->PayloadLen));
        int n = 0;
        Key.DecryptUnit(U8(payload), int(payload.size()), &n);
        return payload.left(n);
    }
};

} // namespace

class TestLeaderServer : public QObject
{
    Q_OBJECT

private slots:
    // The server's side of the login, byte for byte where the bytes are fixed.
    void loginReply()
    {
        TLeaderFixture f;
        TRawClient c(f.Server().Port());
        TZkapMsgHdr hdr;
        const QByteArray reply = c.Login(&hdr);
        QCOMPARE(hdr.MsgType, uint8_t(rtLoginReply));
        QCOMPARE(hdr.TransId, uint8_t(1));
        QCOMPARE(hdr.PayloadLen, LoginReplyLen);
        QCOMPARE(reply.size(), LoginReplyLen);
        QCOMPARE(quint8(reply[0]), quint8(0));
        QCOMPARE(c.KeyText, f.Server().Stats().KeyTexts.value(0));
        QVERIFY(!c.KeyText.isEmpty());

        c.Send(mtKeepAlive, 2, {});
        const QByteArray ka = c.Reply(&hdr);
        QCOMPARE(hdr.MsgType, uint8_t(rtResult));
        QCOMPARE(hdr.TransId, uint8_t(2));
        QCOMPARE(ka.toHex(), QByteArray("00"));
        c.Send(mtQueryDQPC, 3, {});
        QCOMPARE(c.Reply(&hdr).toHex(), QByteArray("00ee31000000")); // byte 1 undefined
        QCOMPARE(f.Server().Stats().Violations, 0);
    }

    void keyTextDiffersEveryLogin()
    {
        TLeaderFixture f;
        for (int i = 0; i < 3; ++i) {
            auto ctx = f.Connected();
        }
        const QStringList keys = f.Server().Stats().KeyTexts;
        QCOMPARE(keys.size(), 3);
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 3);
    }

    // A refusal is still a 74-byte reply, and the connection ends.
    void refusalIsAFullReply()
    {
        TLeaderOptions options;
        options.Faults.RefuseLogin = 33;
        TLeaderFixture f(options);
        TRawClient c(f.Server().Port());
        TZkapMsgHdr hdr;
        const QByteArray reply = c.Login(&hdr);
        QCOMPARE(hdr.PayloadLen, LoginReplyLen);
        QCOMPARE(quint8(reply[0]), quint8(33));
        QVERIFY(c.Conn.WaitClosed());
    }

    // What the stand-in counts as the client's violations.
    void violations_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("closes");
        QTest::newRow("transaction id skips") << u"skip"_s << true;
        QTest::newRow("payload of a wrong length") << u"len"_s << true;
        QTest::newRow("message before the login") << u"early"_s << true;
        QTest::newRow("data request: wrong file number") << u"fileno"_s << false;
        QTest::newRow("data request: offset past the end") << u"offset"_s << false;
        QTest::newRow("data request: name block changed") << u"name"_s << false;
        QTest::newRow("upload data of another length") << u"upload"_s << true;
        QTest::newRow("data without announcement") << u"data"_s << true;
    }
    void violations()
    {
        QFETCH(QString, kind);
        QFETCH(bool, closes);
        TLeaderFixture f;
        TRawClient c(f.Server().Port());
        TZkapMsgHdr hdr;
        if (kind == "early"_L1) {
            DeriveBootstrapKey(c.Key);
            c.Send(mtKeepAlive, 1, {});
        } else {
            c.Login();
        }
        uint8_t next = 2;
        if (kind == "skip"_L1) {
            c.Send(mtKeepAlive, 3, {});
        } else if (kind == "len"_L1) {
            c.Send(mtQueryMemberState, next, QByteArray(4, char(0)));
        } else if (kind == "fileno"_L1 || kind == "offset"_L1 || kind == "name"_L1) {
            c.Send(mtRequestDMK, next++, {});
            TFileInfo info = DecodeFileInfo(reinterpret_cast<const uint8_t *>(c.Reply(&hdr).constData()));
            QCOMPARE(info.Size, 1022);
            TFileDataRequest req{info.FileNo, info.NameBlock, 0};
            if (kind == "fileno"_L1)
                req.FileNo = 2;
            else if (kind == "offset"_L1)
                req.Offset = 1023;
            else
                req.NameBlock[129] ^= 1; // junk after the name, not echoed
            QByteArray payload(FileDataRequestLen, Qt::Uninitialized);
            EncodeFileDataRequest(U8(payload), req);
            c.Send(mtRequestFileData, next, payload);
            QCOMPARE(c.Reply(&hdr).toHex(), QByteArray("03")); // refused with 3
            QCOMPARE(hdr.MsgType, uint8_t(rtResult));
        } else if (kind == "upload"_L1) {
            QByteArray ann(UpLoadAnnounceLen, Qt::Uninitialized);
            EncodeUpLoadAnnounce(U8(ann), {{u"1"_s, u"5"_s, u"1"_s}, 5, 10});
            c.Send(mtUpLoadResult, next++, ann);
            QCOMPARE(c.Reply(&hdr).toHex(), QByteArray("00"));
            QByteArray h(8, Qt::Uninitialized);
            EncodeMsgHdr({mtUpLoadData, next, 0, 0, 11}, U8(h));
            c.Conn.Write(h);
        } else if (kind == "data"_L1) {
            QByteArray h(8, Qt::Uninitialized);
            EncodeMsgHdr({mtUpLoadData, next, 0, 0, 0}, U8(h));
            c.Conn.Write(h);
        }
        if (closes)
            QVERIFY(c.Conn.WaitClosed());
        QTRY_COMPARE(f.Server().Stats().Violations, 1);
        QVERIFY(f.LogText().contains(u"VIOLATION"_s));
    }

    void folderLookups()
    {
        const QTemporaryDir dir;
        const QString user = dir.path() + u"/11/zy01/"_s;
        for (const char *name :
             {"tdd/1_5_1/2.zip", "tdd/1_5_1/10.zip", "tdd/1_5_1/x.zip", "tdd/1_5_1/011.zip",
              "images/K1/3.png", "images/K1/3.JPG", "images/K1/30.JPG", "qbzy/K1.zip"})
            WriteTestFile(user + QLatin1String(name), "x");
        WriteTestFile(user + u"password.txt"_s, "密码\r\nsecond line");
        const TLeaderFolder folder(dir.path());
        QCOMPARE(folder.UserFolder(u"11"_s, u"zy01"_s), user);
        QVERIFY(folder.UserFolder(u"11"_s, u".."_s).isEmpty());
        QVERIFY(folder.UserFolder(u"../11"_s, u"zy01"_s).isEmpty());
        QCOMPARE(TLeaderFolder::ReadPassword(user).value_or(u"none"_s), u"密码"_s);

        QCOMPARE(TLeaderFolder::FindTDD(user, u"1"_s, u"5"_s, u"1"_s, 0).ServerName, u"tdd\\1_5_1\\10.zip"_s);
        QCOMPARE(TLeaderFolder::FindTDD(user, u"1"_s, u"5"_s, u"1"_s, 2).ServerName, u"tdd\\1_5_1\\10.zip"_s);
        QCOMPARE(TLeaderFolder::FindTDD(user, u"1"_s, u"5"_s, u"1"_s, 10).Kind, skNone);
        QCOMPARE(TLeaderFolder::FindTDD(user, u"/"_s, u"5"_s, u"1"_s, 0).Kind, skNone);
        QCOMPARE(TLeaderFolder::FindImage(user, u"K1"_s, 3).ServerName, u"images\\K1\\3.JPG"_s);
        QCOMPARE(TLeaderFolder::FindImage(user, u"K1"_s, 4).Kind, skNone);

        QCOMPARE(TLeaderFolder::Resolve(user, u"images\\K1\\3.png"_s).Kind, skImage);
        QCOMPARE(TLeaderFolder::Resolve(user, u"qbzy\\K1.zip"_s).Kind, skAllZY);
        QCOMPARE(TLeaderFolder::Resolve(user, u"tdd\\..\\..\\password.txt"_s).Kind, skNone);
        QCOMPARE(TLeaderFolder::Resolve(user, u"password.txt"_s).Kind, skNone);
        QCOMPARE(TLeaderFolder::Resolve(user, u"images/K1/3.png"_s).Kind, skNone);
    }

    // The stand-in listens on IPv4 and IPv6 on the same port.
    void bothFamilies()
    {
        TLeaderFixture f;
        QVERIFY(f.Server().ListensIPv4());
        if (!f.Server().ListensIPv6())
            QSKIP("IPv6 is not available on loopback");
        TRawClient v4(f.Server().Port(), false);
        TRawClient v6(f.Server().Port(), true);
        QCOMPARE(v4.Login().left(1).toHex(), QByteArray("00"));
        QCOMPARE(v6.Login().left(1).toHex(), QByteArray("00"));
        QCOMPARE(f.Server().Stats().Logins, 2);
    }

    // The program: port 0, the port printed, a fault switch, a clean stop.
    void program()
    {
        TLeaderFixture f; // for its folder only
        f.Server().Stop();
        QProcess p;
        const QString log = f.WorkPath(u"program.log"_s);
        p.start(zktest::programFolder() + u"/zelkinc-leader"_s,
                {u"--root"_s, f.Root(), u"--port"_s, u"0"_s, u"--loopback"_s, u"--log"_s, log,
                 u"--refuse-upload"_s, u"42"_s});
        QVERIFY(p.waitForReadyRead(10000));
        const QString first = QString::fromUtf8(p.readLine()).trimmed();
        QVERIFY2(first.startsWith(u"zelkinc-leader: listening on port "_s), qPrintable(first));
        const int port = first.section(u' ', -1).toInt();
        QVERIFY(port > 0);

        TZKALinkCtxt ctx(u"127.0.0.1"_s, port, f.User, f.Password);
        QCOMPARE(ctx.OpenConnection(), int(lrOK));
        WriteTestFile(f.WorkPath(u"up"_s), "abc");
        QCOMPARE(ctx.UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 1, f.WorkPath(u"up"_s)), 42);

        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAll()).contains(u"stopped"_s));
        QVERIFY(QString::fromUtf8(zktest::readFile(log)).contains(u"<- mtUpLoadResult"_s));
    }

    void programRefusesBadOptions()
    {
        QProcess p;
        p.start(zktest::programFolder() + u"/zelkinc-leader"_s, {u"--root"_s, u"/no/such/folder"_s});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLeaderServer)
#include "tst_LeaderServer.moc"
