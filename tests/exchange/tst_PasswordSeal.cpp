// The sealed password of the state table: what is sealed reads back, the stored form,
// and texts that are no sealed password.
#include "link/PasswordSeal.h"

#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestPasswordSeal : public QObject
{
    Q_OBJECT

private slots:
    void sealedReadsBack_data();
    void sealedReadsBack();
    void sealIsStable();
    void notASealedPassword_data();
    void notASealedPassword();
};

void TestPasswordSeal::sealedReadsBack_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("unsealed");
    const QString longest = u"abcdefghijklmnopqrstuvwxyz012345678"_s; // 35 units
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("plain") << u"pw01"_s << u"pw01"_s;
    QTest::newRow("Chinese") << u"招生组员密码"_s << u"招生组员密码"_s;
    QTest::newRow("35 units") << longest << longest;
    QTest::newRow("longer: the first 35 units") << longest + u"9XYZ"_s << longest;
    QTest::newRow("a zero unit ends it") << u"ab"_s + QChar(0) + u"cd"_s << u"ab"_s;
}

void TestPasswordSeal::sealedReadsBack()
{
    QFETCH(QString, password);
    QFETCH(QString, unsealed);
    const QString sealed = SealPassword(password);
    QVERIFY2(QRegularExpression(u"^[0-9A-F]{144}$"_s).match(sealed).hasMatch(), qPrintable(sealed));
    QCOMPARE(UnsealPassword(sealed), unsealed);
    QCOMPARE(UnsealPassword(sealed.toLower()), unsealed);
}

// Stored passwords stay readable only while the key is the same: the form of a known
// password is fixed (checked once with an independent DES-CBC implementation: key = the
// first 8 bytes of SHA-1 over the product of the chosen primes, big endian).
void TestPasswordSeal::sealIsStable()
{
    QCOMPARE(SealPassword(u"pw01"_s), SealPassword(u"pw01"_s));
    QVERIFY(SealPassword(u"pw01"_s) != SealPassword(u"pw02"_s));
    QCOMPARE(SealPassword(u"pw01"_s),
             u"DAEE5439D6E8B6FDD510F8FBD466835CA769B03239F999B41C1CFDB5929BF6455654F596B8"
             "50DD25ED9A42594826BCA6AE9259E3DC264BA14806B1E1D2F756BE9793621B68524C11"_s);
}

void TestPasswordSeal::notASealedPassword_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("not hexadecimal") << QString(144, u'X');
    QTest::newRow("too short") << SealPassword(u"pw01"_s).left(100);
    QTest::newRow("a changed unit") << u"0000"_s + SealPassword(u"pw01"_s).mid(4);
}

void TestPasswordSeal::notASealedPassword()
{
    QFETCH(QString, text);
    QVERIFY(UnsealPassword(text) != u"pw01"_s);
}

QTEST_GUILESS_MAIN(TestPasswordSeal)
#include "tst_PasswordSeal.moc"
