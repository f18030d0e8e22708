#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestZKMainDef : public QObject
{
    Q_OBJECT

private slots:
    void screenClass_data();
    void screenClass();
    void resetGivesStartValues();
    void programFolder();
    void timeStampText();
    void textWithHexUnits_data();
    void textWithHexUnits();
    void codeCharValue_data();
    void codeCharValue();
};

void TestZKMainDef::screenClass_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("expected");
    QTest::newRow("below 1024") << 1023 << 96 << 0;
    QTest::newRow("tiny") << 640 << 96 << 0;
    QTest::newRow("exactly 1024") << 1024 << 96 << 1;
    QTest::newRow("exactly 1280") << 1280 << 96 << 2;
    QTest::newRow("1599") << 1599 << 96 << 2;
    QTest::newRow("exactly 1600") << 1600 << 96 << 3;
    QTest::newRow("huge") << 7680 << 96 << 3;
    // 1920 pixels at 144 dpi are 1280 at 96.
    QTest::newRow("scaled to 1280") << 1920 << 144 << 2;
    // 2559 * 96 / 192 = 1279.5, cut to 1279 by the integer division.
    QTest::newRow("integer division") << 2559 << 192 << 1;
    QTest::newRow("low dpi enlarges") << 1200 << 72 << 3;
    QTest::newRow("bad dpi counts as 96") << 1280 << 0 << 2;
}

void TestZKMainDef::screenClass()
{
    QFETCH(int, width);
    QFETCH(int, dpi);
    QFETCH(int, expected);
    QCOMPARE(ScreenClassFor(width, dpi), expected);
}

void TestZKMainDef::resetGivesStartValues()
{
    TZKMainDef &def = ZKMainDef();
    def.IsNetIdle = false;
    def.IsConnected = true;
    def.PendingLoadQBZY = true;
    def.IsTDDImported = true;
    def.ScreenClass = 3;
    def.AceAvailable = false;
    def.EditionSuffix = MemberEditionSuffix;
    def.LoginInfo.UserFolder = u"x/"_s;
    def.CurPCDM = u"1"_s;
    def.TddwFilter = 4;
    def.SetProgramFolder(u"somewhere"_s);
    def.EndBgTaskThreadHook = [] {};

    def.Reset();
    QVERIFY(def.IsNetIdle);
    QVERIFY(!def.IsConnected);
    QVERIFY(!def.PendingLoadQBZY);
    QVERIFY(!def.IsTDDImported);
    QCOMPARE(def.ScreenClass, 0);
    QVERIFY(def.AceAvailable);
    QVERIFY(def.EditionSuffix.isEmpty());
    QVERIFY(def.LoginInfo.UserFolder.isEmpty());
    QVERIFY(def.CurPCDM.isEmpty());
    QCOMPARE(def.TddwFilter, -1);
    QVERIFY(!def.EndBgTaskThreadHook);
    QCOMPARE(def.ProgramFolder, QCoreApplication::applicationDirPath() + u'/');
}

void TestZKMainDef::programFolder()
{
    TZKMainDef &def = ZKMainDef();
    def.SetProgramFolder(u"/opt/zk"_s);
    QCOMPARE(def.ProgramFolder, u"/opt/zk/"_s);
    def.SetProgramFolder(u"/opt/zk/"_s);
    QCOMPARE(def.ProgramFolder, u"/opt/zk/"_s);
    def.Reset();
}

void TestZKMainDef::timeStampText()
{
    const QDateTime time(QDate(2012, 7, 5), QTime(9, 4, 3, 7));
    QCOMPARE(TimeStampText(time), u"20120705090403007"_s);
    const QDateTime evening(QDate(2012, 12, 31), QTime(23, 59, 58, 999));
    QCOMPARE(TimeStampText(evening), u"20121231235958999"_s);
    QCOMPARE(TimeStampText().size(), 17);
}

void TestZKMainDef::textWithHexUnits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QString() << u"()"_s;
    QTest::newRow("codes") << u"1A1"_s << u"1A1(003100410031)"_s;
    QTest::newRow("lower case differs") << u"a"_s << u"a(0061)"_s;
    QTest::newRow("chinese") << u"本科"_s << u"本科(672C79D1)"_s;
    QTest::newRow("surrogate pair") << u"𠀀"_s << u"𠀀(D840DC00)"_s;
}

void TestZKMainDef::textWithHexUnits()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TextWithHexUnits(text), expected);
}

void TestZKMainDef::codeCharValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("0") << u"0"_s << 0;
    QTest::newRow("1") << u"1"_s << 1;
    QTest::newRow("9") << u"9"_s << 9;
    QTest::newRow("A") << u"A"_s << 10;
    QTest::newRow("Z") << u"Z"_s << 35;
    QTest::newRow("lower case") << u"a"_s << 0;
    QTest::newRow("first character only") << u"3Z"_s << 3;
    QTest::newRow("space") << u" "_s << 0;
}

void TestZKMainDef::codeCharValue()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(CodeCharValue(text), expected);
}

QTEST_GUILESS_MAIN(TestZKMainDef)
#include "tst_ZKMainDef.moc"
