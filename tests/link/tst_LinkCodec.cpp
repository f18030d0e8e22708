// The wire format with literal bytes: header, text fields, every payload
// layout, the frame and chunk decoder, and the server file name extension.
#include "link/ZkapCodec.h"

#include <QtTest>

namespace {

QByteArray Bytes(const uint8_t *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), size);
}

const uint8_t *U8(const QByteArray &b)
{
    return reinterpret_cast<const uint8_t *>(b.constData());
}

TLinkKey TextKey(const QString &text)
{
    TLinkKey key;
    DeriveTextKey(text, key);
    return key;
}

// A 130-byte name block: the name, its zero unit and then junk.
std::array<uint8_t, FileNameBlockLen> JunkNameBlock(const QString &name)
{
    std::array<uint8_t, FileNameBlockLen> block;
    block.fill(0x5A);
    PutTextField(block.data(), int(name.size()) + 1, name);
    return block;
}

} // namespace

class TestLinkCodec : public QObject
{
    Q_OBJECT

private slots:
    void header()
    {
        uint8_t buf[8];
        EncodeMsgHdr({mtRequestTDD, 0x2A, 0x11, 0x22, 16}, buf);
        QCOMPARE(Bytes(buf, 8).toHex(' '), QByteArray("07 2a 11 22 10 00 00 00"));
        const TZkapMsgHdr hdr = DecodeMsgHdr(U8(QByteArray::fromHex("06ff0102feffffff")));
        QCOMPARE(hdr.MsgType, uint8_t(rtFileData));
        QCOMPARE(hdr.TransId, uint8_t(0xFF));
        QCOMPARE(hdr.Unused1, uint8_t(1));
        QCOMPARE(hdr.Unused2, uint8_t(2));
        QCOMPARE(hdr.PayloadLen, -2);
    }

    void putTextField_data()
    {
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("fits") << 3 << QStringLiteral("11") << QByteArray("310031000000");
        QTest::newRow("cut to N-1") << 3 << QStringLiteral("123") << QByteArray("310032000000");
        QTest::newRow("code cut to one char") << 2 << QStringLiteral("15") << QByteArray("31000000");
        QTest::newRow("empty") << 2 << QString() << QByteArray("00000000");
        QTest::newRow("utf16le") << 3 << QStringLiteral("批") << QByteArray("796200000000");
    }
    void putTextField()
    {
        QFETCH(int, units);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QByteArray buf(units * 2, char(0x77));
        PutTextField(reinterpret_cast<uint8_t *>(buf.data()), units, text);
        QCOMPARE(buf.toHex(), bytes);
    }

    void getTextField_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("up to the zero, junk ignored") << QByteArray("31000000ffff") << QStringLiteral("1");
        QTest::newRow("no zero: all units") << QByteArray("410042004300") << QStringLiteral("ABC");
        QTest::newRow("empty") << QByteArray("00004100") << QString();
    }
    void getTextField()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QByteArray raw = QByteArray::fromHex(bytes);
        QCOMPARE(GetTextField(U8(raw), int(raw.size() / 2)), text);
    }

    // The login message of user "zy01", password "pw1", province "11", as its
    // plaintext layout and as the 160 bytes on the wire (values from an
    // independent DES and SHA-1 implementation).
    void loginMessage()
    {
        uint8_t buf[ZkapPayloadBufLen] = {};
        QVERIFY(EncodeLogin(buf, QStringLiteral("11"), QStringLiteral("zy01"), QStringLiteral("pw1"),
                            TextKey(QStringLiteral("pw1"))));
        const QByteArray plain = Bytes(buf, LoginPayloadLen);
        QCOMPARE(plain.left(6).toHex(), QByteArray("310031000000"));
        QCOMPARE(plain.mid(6, 66).toHex(), QByteArray("7a0079003000310000").leftJustified(132, '0'));
        QCOMPARE(
            plain.mid(72).toHex(),
            QByteArray("5070dadefe8f3749cacccabedf4a43b4bd75b8f63b90c82a8c315a6cb46a4e6c70e1458d8a70cb65f7dc9"
                       "691a469d48b6db981f56cc99f7ef636eb6f57b16624bc192f95a74e52ff"));

        TLinkKey boot;
        DeriveBootstrapKey(boot);
        uint8_t wire[ZkapHdrLen + ZkapPayloadBufLen];
        const int n = EncodeFrame({mtLogin, 1, 0, 0, LoginPayloadLen}, buf, LoginPayloadLen, &boot, wire);
        QCOMPARE(n, 160);
        QCOMPARE(
            Bytes(wire, n).toHex(),
            QByteArray("0001000090000000"
                       "26f64fac6efcf56ccd62cfa2bb2f68d1319c22be1879389694ad82880b7a32d8fd1b859fd49e9792e9eb"
                       "d0fe5fd35b35b014bd9d83be52da21ec7573129b685b089991c3ea4ee7ac3fb57afe682945d55230b10a"
                       "708a832e44f99f5f91cc406a18cd7f0bd70b538df063fdae3b5aba74ff13c9361bec690c6c5d4d48e727"
                       "954b48bc2746e9de1f4801266cbc91deda9f3498dcbe9fa21e8f"));

        const TLoginRequest req = DecodeLogin(buf);
        QCOMPARE(req.SSDM, QStringLiteral("11"));
        QCOMPARE(req.UserName, QStringLiteral("zy01"));
        QString password;
        QVERIFY(DecryptPasswordField(req.PasswordField, TextKey(QStringLiteral("pw1")), &password));
        QCOMPARE(password, QStringLiteral("pw1"));
        QVERIFY(!DecryptPasswordField(req.PasswordField, TextKey(QStringLiteral("pw2")), &password));
    }

    void longNamesAreCut()
    {
        uint8_t buf[ZkapPayloadBufLen] = {};
        const QString user = QString(40, QChar(u'u'));
        QVERIFY(
            EncodeLogin(buf, QStringLiteral("110"), user, QStringLiteral("p"), TextKey(QStringLiteral("p"))));
        const TLoginRequest req = DecodeLogin(buf);
        QCOMPARE(req.SSDM, QStringLiteral("11"));
        QCOMPARE(req.UserName, user.left(32));
    }

    // The login reply with key text "K1" under the login key of "pw1", the whole
    // 74 bytes encrypted with the bootstrap key (80 bytes on the wire).
    void loginReply()
    {
        QByteArray wire = QByteArray::fromHex(
            "393fa31de359ab3c6566b0509247364d06132abe649029ff2ddb29e78a653219acbb4202584ec1f2ecfcf21272b5bb3e"
            "aedf61c7d964c8ec3555b71d324ee27d17b46918cde5a637ef0ccdc4ebea7fd9");
        TLinkKey boot;
        DeriveBootstrapKey(boot);
        int plainLen = 0;
        QVERIFY(boot.DecryptUnit(reinterpret_cast<uint8_t *>(wire.data()), 80, &plainLen));
        QCOMPARE(plainLen, LoginReplyLen);
        const QByteArray outer = wire.left(LoginReplyLen);
        QString keyText;
        QVERIFY(DecryptLoginReplyKeyText(reinterpret_cast<uint8_t *>(wire.data()),
                                         TextKey(QStringLiteral("pw1")), &keyText));
        QCOMPARE(keyText, QStringLiteral("K1"));

        uint8_t buf[LoginReplyLen + 8] = {};
        QVERIFY(EncodeLoginReply(buf, 0, QStringLiteral("K1"), TextKey(QStringLiteral("pw1"))));
        QCOMPARE(Bytes(buf, LoginReplyLen).toHex(), outer.toHex());
    }

    void requestLayouts()
    {
        uint8_t buf[ZkapPayloadBufLen];
        memset(buf, 0x77, sizeof buf);
        EncodeTDDRequest(buf, {{QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("1")}, 7});
        QCOMPARE(Bytes(buf, TDDRequestLen).toHex(), QByteArray("31000000350000003100000007000000"));
        // Under the link key of key text "K1": 24 bytes on the wire.
        const TLinkKey link = TextKey(QStringLiteral("K1"));
        uint8_t wire[64];
        QCOMPARE(EncodeFrame({mtRequestTDD, 3, 0, 0, TDDRequestLen}, buf, TDDRequestLen, &link, wire), 32);
        QCOMPARE(Bytes(wire, 32).toHex(),
                 QByteArray("0703000010000000907450f4082bb09a800d2aa08cd8c5419a3238dd04f879d0"));
        QCOMPARE(EncodeFrame({mtKeepAlive, 4, 0, 0, 0}, buf, 0, &link, wire), 16);
        QCOMPARE(Bytes(wire, 16).toHex(), QByteArray("0204000000000000729e0fe29b12a286"));

        EncodeUpLoadAnnounce(buf,
                             {{QStringLiteral("12"), QStringLiteral("5"), QStringLiteral("1")}, 3, 1023});
        QCOMPARE(Bytes(buf, UpLoadAnnounceLen).toHex(),
                 QByteArray("31000000350000003100000003000000ff030000"));

        memset(buf, 0x77, sizeof buf);
        EncodeAllZYRequest(buf, QStringLiteral("110101199912345")); // 15 characters: cut to 14
        QCOMPARE(Bytes(buf, AllZYRequestLen).toHex(),
                 QByteArray("310031003000310030003100310039003900390031003200330034000000"));
        QCOMPARE(DecodeKSH(buf), QStringLiteral("11010119991234"));

        EncodePhotoRequest(buf, QStringLiteral("11010119991234"), 3);
        QCOMPARE(Bytes(buf + 28, 4).toHex(), QByteArray("00000300"));
        QCOMPARE(DecodePhotoKind(buf), uint8_t(3));

        const auto block = JunkNameBlock(QStringLiteral("a.JPG"));
        EncodeFileDataRequest(buf, {5, block, 1533});
        const QByteArray req = Bytes(buf, FileDataRequestLen);
        QCOMPARE(req.left(2).toHex(), QByteArray("0500"));
        QCOMPARE(req.mid(2, 130), Bytes(block.data(), 130)); // echoed with its junk
        QCOMPARE(req.mid(132).toHex(), QByteArray("fd050000"));
        const TFileDataRequest back = DecodeFileDataRequest(buf);
        QCOMPARE(back.FileNo, uint8_t(5));
        QCOMPARE(back.Offset, 1533);
        QVERIFY(back.NameBlock == block);
    }

    void replyLayouts()
    {
        QByteArray info(FileInfoLen, char(0));
        info[0] = 0;
        info[1] = char(9);
        const QByteArray name = QByteArray::fromHex("61002e004a00500047000000") + QByteArray(118, char(0x33));
        info.replace(2, 130, name);
        info.replace(132, 4, QByteArray::fromHex("fe030000"));
        const TFileInfo fi = DecodeFileInfo(U8(info));
        QCOMPARE(fi.Result, uint8_t(0));
        QCOMPARE(fi.FileNo, uint8_t(9));
        QCOMPARE(fi.Name(), QStringLiteral("a.JPG"));
        QCOMPARE(fi.Size, 1022);
        QCOMPARE(Bytes(fi.NameBlock.data(), 130), name);

        // A name of 65 units without a zero is read whole.
        QByteArray full(FileInfoLen, char(0));
        for (int i = 0; i < 65; ++i)
            full[2 + 2 * i] = 'x';
        QCOMPARE(DecodeFileInfo(U8(full)).Name(), QString(65, QChar(u'x')));

        QCOMPARE(DecodeDQPC(U8(QByteArray::fromHex("00ee31000000"))), QStringLiteral("1"));
        QCOMPARE(DecodeDQPC(U8(QByteArray::fromHex("00ee31003200"))), QStringLiteral("12"));
        uint8_t dqpc[6];
        EncodeDQPCReply(dqpc, 0, QStringLiteral("1"));
        QCOMPARE(Bytes(dqpc, 6).toHex(), QByteArray("000031000000"));
    }

    // The client reading the server: complete, incomplete and malformed frames.
    void decodeFrame_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<bool>("serverSide");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("consumed");
        QTest::addColumn<int>("plainLen");
        const TLinkKey link = TextKey(QStringLiteral("K1"));
        const auto frame = [&](uint8_t type, int announced, int plain, int extra) -> QByteArray {
            uint8_t payload[ZkapPayloadBufLen + 8] = {};
            uint8_t out[ZkapHdrLen + ZkapPayloadBufLen + 8];
            const int n = EncodeFrame({type, 1, 0, 0, announced}, payload, plain, &link, out);
            return Bytes(out, n) + QByteArray(extra, char(0x42));
        };
        const int ok = int(TDecodeStatus::Ok), more = int(TDecodeStatus::NeedMore),
                  bad = int(TDecodeStatus::Malformed);
        QTest::newRow("empty input") << QByteArray() << true << false << more << 0 << 0;
        QTest::newRow("half a header") << QByteArray("\x03\x01\x00", 3) << true << false << more << 0 << 0;
        QTest::newRow("header only so far")
            << frame(rtMemberState, 3, 3, 0).left(8) << true << false << more << 0 << 3;
        QTest::newRow("one byte short")
            << frame(rtMemberState, 3, 3, 0).chopped(1) << true << false << more << 0 << 3;
        QTest::newRow("complete, next frame after")
            << frame(rtMemberState, 3, 3, 5) << true << false << ok << 16 << 3;
        QTest::newRow("empty payload is one block")
            << frame(rtResult, 0, 0, 0) << true << false << ok << 16 << 0;
        QTest::newRow("plain, no key")
            << QByteArray::fromHex("0001000003000000aabbcc") << false << false << ok << 11 << 3;
        QTest::newRow("negative length")
            << QByteArray::fromHex("00010000ffffffff") << true << false << bad << 0 << -1;
        QTest::newRow("over-long read as 511")
            << frame(rtResult, 600, 511, 96) << true << false << ok << 520 << 511;
        QTest::newRow("rtFileData is a header")
            << QByteArray::fromHex("0601000000100000") << true << false << ok << 8 << 0;
        QTest::newRow("rtFileData negative stays a header")
            << QByteArray::fromHex("06010000ffffffff") << true << false << ok << 8 << 0;
        QTest::newRow("undecryptable")
            << QByteArray::fromHex("00010000010000000000000000000000") << true << false << bad << 0 << 1;
        QTest::newRow("server: mtUpLoadData is a header")
            << QByteArray::fromHex("0901000000040000") << true << true << ok << 8 << 0;
        QTest::newRow("server: over-long refused")
            << frame(mtKeepAlive, 600, 511, 96) << true << true << bad << 0 << -1;
    }
    void decodeFrame()
    {
        QFETCH(QByteArray, wire);
        QFETCH(bool, keyed);
        QFETCH(bool, serverSide);
        QFETCH(int, status);
        QFETCH(int, consumed);
        QFETCH(int, plainLen);
        const TLinkKey link = TextKey(QStringLiteral("K1"));
        uint8_t payload[ZkapPayloadBufLen];
        const TDecodedFrame f = DecodeFrame(U8(wire), wire.size(), keyed ? &link : nullptr,
                                            serverSide ? ServerReadsClient : ClientReadsServer, payload);
        QCOMPARE(int(f.Status), status);
        QCOMPARE(f.Consumed, consumed);
        if (wire.size() >= 8)
            QCOMPARE(f.PlainLen, plainLen);
    }

    // Bulk chunks: min(remaining, 511) plaintext bytes, each its own unit.
    void decodeChunk_data()
    {
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("plain");
        QTest::addColumn<int>("wire");
        QTest::newRow("1022 left: full chunk") << 1022 << 511 << 512;
        QTest::newRow("511") << 511 << 511 << 512;
        QTest::newRow("504") << 504 << 504 << 512;
        QTest::newRow("8") << 8 << 8 << 16;
        QTest::newRow("1") << 1 << 1 << 8;
    }
    void decodeChunk()
    {
        QFETCH(int, remaining);
        QFETCH(int, plain);
        QFETCH(int, wire);
        const TLinkKey link = TextKey(QStringLiteral("K1"));
        uint8_t buf[ZkapPayloadBufLen + 16];
        for (int i = 0; i < plain; ++i)
            buf[i] = uint8_t(i * 7);
        QVERIFY(link.EncryptUnit(buf, plain));
        uint8_t out[ZkapPayloadBufLen];
        QCOMPARE(int(DecodeChunk(buf, wire - 1, remaining, &link, out).Status), int(TDecodeStatus::NeedMore));
        const TDecodedChunk c = DecodeChunk(buf, wire + 16, remaining, &link, out);
        QCOMPARE(int(c.Status), int(TDecodeStatus::Ok));
        QCOMPARE(c.PlainLen, plain);
        QCOMPARE(c.Consumed, wire);
        QCOMPARE(out[plain - 1], uint8_t((plain - 1) * 7));
        QCOMPARE(int(DecodeChunk(buf, wire, 0, &link, out).Status), int(TDecodeStatus::Malformed));
    }

    void serverFileExt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::newRow("photo") << QStringLiteral("images\\110101\\3.JPG") << QStringLiteral(".JPG");
        QTest::newRow("no dot") << QStringLiteral("images\\110101\\3") << QString();
        QTest::newRow("dot in a folder") << QStringLiteral("img.v2\\photo") << QString();
        QTest::newRow("after a drive colon") << QStringLiteral("D:photo") << QString();
        QTest::newRow("last dot") << QStringLiteral("a.tar.gz") << QStringLiteral(".gz");
        QTest::newRow("empty") << QString() << QString();
    }
    void serverFileExt()
    {
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(ServerFileExt(name), ext);
    }
};

QTEST_APPLESS_MAIN(TestLinkCodec)
#include "tst_LinkCodec.moc"
