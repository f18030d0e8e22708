#include "store/NameGuards.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestNameGuards : public QObject
{
    Q_OBJECT

private slots:
    void guards_data();
    void guards();
};

// One row per hostile or ordinary value: what each guard answers.
void TestNameGuards::guards_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fileName");
    QTest::addColumn<bool>("userName");
    QTest::addColumn<bool>("code");

    QTest::newRow("ordinary user") << u"zy01"_s << true << true << true;
    QTest::newRow("chinese name") << u"张三"_s << true << true << false;
    QTest::newRow("candidate number") << u"26110101123456"_s << true << true << true;
    QTest::newRow("right-aligned code") << u" 1"_s << true << true << true;
    QTest::newRow("empty") << QString() << false << false << false;
    QTest::newRow("blank") << u"   "_s << true << false << false;
    QTest::newRow("dot") << u"."_s << false << false << false;
    QTest::newRow("dot dot") << u".."_s << false << false << false;
    QTest::newRow("dot dot padded") << u" .. "_s << true << false << false;
    QTest::newRow("up two") << u"../.."_s << false << false << false;
    QTest::newRow("absolute") << u"/etc/passwd"_s << false << false << false;
    QTest::newRow("backslash") << u"a\\b"_s << false << false << false;
    QTest::newRow("nul") << u"a"_s + QChar(u'\0') + u"b"_s << false << false << false;
    QTest::newRow("newline") << u"a\nb"_s << false << false << false;
    QTest::newRow("delete char") << u"a\x7f"_s << false << false << false;
    QTest::newRow("c1 control") << u"a\x85"_s << false << false << false;
    QTest::newRow("semicolon") << u"a;b"_s << true << false << false;
    QTest::newRow("double quote") << u"a\"b"_s << true << false << false;
    QTest::newRow("leading dots") << u"..x"_s << true << true << false;
    QTest::newRow("autostart path") << u"../../../../.config/autostart/x"_s << false << false << false;
    QTest::newRow("long code") << QString(33, u'1') << true << true << false;
}

void TestNameGuards::guards()
{
    QFETCH(QString, text);
    QFETCH(bool, fileName);
    QFETCH(bool, userName);
    QFETCH(bool, code);
    QCOMPARE(IsPlainFileName(text), fileName);
    QCOMPARE(IsPlainUserName(text), userName);
    QCOMPARE(IsPlainCode(text), code);
}

QTEST_GUILESS_MAIN(TestNameGuards)
#include "tst_NameGuards.moc"
