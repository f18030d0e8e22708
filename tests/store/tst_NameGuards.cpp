#include "store/NameGuards.h"
#include "store/SqlIdentifiers.h"
#include "store/ZKError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestNameGuards : public QObject
{
    Q_OBJECT

private slots:
    void guards_data();
    void guards();
    void identifiers_data();
    void identifiers();
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

// Names that may become a column or table of a statement: the leader's column names pass,
// anything that could end the name or the statement is refused and never quoted.
void TestNameGuards::identifiers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");

    for (const QString &real : {u"KSH"_s, u"GKCJX01"_s, u"WZSY1024_rank"_s, u"NK_FYQK"_s, u"creation_time"_s,
                                u"_x"_s, u"order"_s, QString(64, u'A')})
        QTest::newRow(qPrintable(u"plain "_s + real.left(16))) << real << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("too long") << QString(65, u'A') << false;
    QTest::newRow("leading digit") << u"1ABC"_s << false;
    QTest::newRow("blank inside") << u"a b"_s << false;
    QTest::newRow("double quote") << u"x\"y"_s << false;
    QTest::newRow("closing bracket") << u"x]"_s << false;
    QTest::newRow("bracketed") << u"[x]"_s << false;
    QTest::newRow("back quote") << u"x`y"_s << false;
    QTest::newRow("statement") << u"a;drop table t"_s << false;
    QTest::newRow("comment") << u"a--"_s << false;
    QTest::newRow("attached file") << u"t in \"evil.mdb\""_s << false;
    QTest::newRow("qualified") << u"a.b"_s << false;
    QTest::newRow("parameter") << u":a"_s << false;
    QTest::newRow("newline") << u"a\nb"_s << false;
    QTest::newRow("nul") << u"a"_s + QChar(u'\0') << false;
    QTest::newRow("chinese") << u"数学"_s << false;
    QTest::newRow("fullwidth letter") << u"ＫＳＨ"_s << false;
}

void TestNameGuards::identifiers()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(IsPlainIdentifier(name), plain);
    if (plain) {
        QCOMPARE(QuoteIdentifier(name), u'[' + name + u']');
        return;
    }
    try {
        QuoteIdentifier(name);
        QFAIL("a name that is not plain was quoted");
    } catch (const EZKError &e) {
        QCOMPARE(e.Message(), IdentifierRefusalText(name));
        // The message shows control characters as escapes, not as themselves.
        for (const QChar c : e.Message())
            QVERIFY(c.unicode() >= 0x20);
    }
}

QTEST_GUILESS_MAIN(TestNameGuards)
#include "tst_NameGuards.moc"
