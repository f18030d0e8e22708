// The link's cipher, hash and key derivation against published DES vectors and
// values computed with independent implementations.
#include "link/LinkCrypto.h"

#include <QtTest>

namespace {

QByteArray Bytes(const uint8_t *data, int size)
{
    return QByteArray(reinterpret_cast<const char *>(data), size);
}

TLinkKey KeyOf(const QByteArray &hex)
{
    const QByteArray raw = QByteArray::fromHex(hex);
    std::array<uint8_t, 8> bytes;
    std::memcpy(bytes.data(), raw.constData(), 8);
    TLinkKey key;
    key.SetKeyBytes(bytes);
    return key;
}

QByteArray Encrypt(const TLinkKey &key, const QByteArray &plain)
{
    std::vector<uint8_t> buf(static_cast<size_t>(RoundToCipherLen(int(plain.size()))));
    std::memcpy(buf.data(), plain.constData(), size_t(plain.size()));
    if (!key.EncryptUnit(buf.data(), int(plain.size())))
        return "failed";
    return Bytes(buf.data(), int(buf.size()));
}

} // namespace

class TestLinkCrypto : public QObject
{
    Q_OBJECT

private slots:
    void roundToCipherLen_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("cipher");
        const int cases[][2] = {{0, 8},     {1, 8},     {7, 8},     {8, 16},    {66, 72},  {74, 80},
                                {136, 144}, {144, 152}, {504, 512}, {511, 512}, {512, 520}};
        for (const auto &c : cases)
            QTest::addRow("%d", c[0]) << c[0] << c[1];
    }
    void roundToCipherLen()
    {
        QFETCH(int, n);
        QFETCH(int, cipher);
        QCOMPARE(RoundToCipherLen(n), cipher);
    }

    void sha1KnownAnswer()
    {
        const TSha1Digest d = Sha1("abc", 3);
        QCOMPARE(Bytes(d.data(), 20).toHex(), QByteArray("a9993e364706816aba3e25717850c26c9cd0d89d"));
    }

    // First block = the ECB vector (CBC from a zero vector), then the PKCS#5
    // block; the last rows show a multiple of 8 growing by a whole block.
    void desCbcKnownAnswers_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");
        QTest::newRow("FIPS 81 'Now is t'")
            << QByteArray("0123456789abcdef") << QByteArray::fromHex("4e6f772069732074")
            << QByteArray("3fa40e8a984d48151efa4a588149de70");
        QTest::newRow("classic 133457799bbcdff1")
            << QByteArray("133457799bbcdff1") << QByteArray::fromHex("0123456789abcdef")
            << QByteArray("85e813540f0ab40577a2a9308f18d27b");
        QTest::newRow("weak key variable plaintext")
            << QByteArray("0101010101010101") << QByteArray::fromHex("95f8a5e5dd31d900")
            << QByteArray("8000000000000000ffb0585c41ed4a86");
        QTest::newRow("two blocks") << QByteArray("0123456789abcdef") << QByteArray("12345678abcdefgh")
                                    << QByteArray("bd0b1a49070ac376289b2ab1908dfc396b7f62ede61ec002");
        QTest::newRow("empty unit is one block")
            << QByteArray("0123456789abcdef") << QByteArray() << QByteArray("086f9a1d74c94d4e");
    }
    void desCbcKnownAnswers()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        const TLinkKey k = KeyOf(key);
        QCOMPARE(Encrypt(k, plain).toHex(), cipher);

        QByteArray buf = QByteArray::fromHex(cipher);
        int plainLen = -1;
        QVERIFY(k.DecryptUnit(reinterpret_cast<uint8_t *>(buf.data()), int(buf.size()), &plainLen));
        QCOMPARE(plainLen, plain.size());
        QCOMPARE(buf.left(plainLen), plain);
    }

    // Every unit starts again from the zero vector: the same plaintext twice
    // gives the same ciphertext twice.
    void unitsDoNotChain()
    {
        const TLinkKey k = KeyOf("0123456789abcdef");
        QCOMPARE(Encrypt(k, "12345678abcdefgh"), Encrypt(k, "12345678abcdefgh"));
    }

    void decryptRefuses_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("cipher");
        QTest::newRow("wrong key") << QByteArray("133457799bbcdff1") << QByteArray("086f9a1d74c94d4e");
        QTest::newRow("not a whole block") << QByteArray("0123456789abcdef") << QByteArray("086f9a1d74c94d");
        QTest::newRow("nothing") << QByteArray("0123456789abcdef") << QByteArray();
        // Last block decrypts to 01 02 03 04 05 06 07 08: pad 8 but the bytes differ.
        QTest::newRow("pad bytes differ")
            << QByteArray("0123456789abcdef")
            << Encrypt(KeyOf("0123456789abcdef"), QByteArray::fromHex("0102030405060708")).left(8).toHex();
    }
    void decryptRefuses()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, cipher);
        QByteArray buf = QByteArray::fromHex(cipher);
        QVERIFY(!KeyOf(key).DecryptUnit(reinterpret_cast<uint8_t *>(buf.data()), int(buf.size())));
    }

    void nullKeyRefuses()
    {
        TLinkKey key;
        uint8_t buf[16] = {};
        QVERIFY(key.IsNull());
        QVERIFY(!key.EncryptUnit(buf, 3));
        QVERIFY(!key.DecryptUnit(buf, 8));
        DeriveBootstrapKey(key);
        QVERIFY(!key.IsNull());
        key.Release();
        QVERIFY(key.IsNull());
    }

    // The values shared with the leader's server.
    void bootstrapKey()
    {
        const std::array<uint8_t, 8> bytes = BootstrapKeyBytes();
        QCOMPARE(Bytes(bytes.data(), 8).toHex(' '), QByteArray("f3 3a bb c3 0b 4e 29 6a"));
        TLinkKey key;
        QVERIFY(DeriveBootstrapKey(key));
        QCOMPARE(Bytes(key.KeyBytes().data(), 8).toHex(' '), QByteArray("bc 2b 53 ab a2 fc 34 64"));
    }

    // Reversed, every unit raised by one, hashed as little-endian units; the
    // key is the first 8 bytes of the digest.
    void textKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("empty hashes nothing") << QString() << QByteArray("da39a3ee5e6b4b0d");
        QTest::newRow("abc") << QStringLiteral("abc") << QByteArray("6d069cbebe502c2a");
        QTest::newRow("chinese") << QStringLiteral("密码123") << QByteArray("f9eaa068d2551256");
        QTest::newRow("unit wraps to zero") << QString(QChar(0xFFFF)) << QByteArray("1489f923c4dca729");
        QTest::newRow("pw1") << QStringLiteral("pw1") << QByteArray("5073edbefb29d90c");
    }
    void textKey()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, key);
        TLinkKey k;
        QVERIFY(DeriveTextKey(text, k));
        QCOMPARE(Bytes(k.KeyBytes().data(), 8).toHex(), key);
    }
};

QTEST_APPLESS_MAIN(TestLinkCrypto)
#include "tst_LinkCrypto.moc"
