// The format function of the page texts on its own.
#include "details/DNFormat.h"
#include "store/ZKError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestDNFormat : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void refusesWhatItCannotFormat_data();
    void refusesWhatItCannotFormat();
};

void TestDNFormat::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain text") << u"无格式"_s << QVariantList{} << u"无格式"_s;
    QTest::newRow("texts in order") << u"%s-%s"_s << QVariantList{u"a"_s, u"b"_s} << u"a-b"_s;
    QTest::newRow("left justified width") << u"[%-6s]"_s << QVariantList{u"01"_s} << u"[01    ]"_s;
    QTest::newRow("right justified width") << u"[%6s]"_s << QVariantList{u"01"_s} << u"[    01]"_s;
    QTest::newRow("width counts UTF-16 units") << u"[%-4s]"_s << QVariantList{u"专业"_s} << u"[专业  ]"_s;
    QTest::newRow("longer text is not cut") << u"%-2s|"_s << QVariantList{u"abcd"_s} << u"abcd|"_s;
    QTest::newRow("precision cuts a text") << u"%.2s"_s << QVariantList{u"abcd"_s} << u"ab"_s;
    QTest::newRow("whole number") << u"%d %s  "_s << QVariantList{2, u"理学"_s} << u"2 理学  "_s;
    QTest::newRow("negative with digits") << u"%.3d"_s << QVariantList{-7} << u"-007"_s;
    QTest::newRow("hexadecimal") << u"%x"_s << QVariantList{255} << u"FF"_s;
    QTest::newRow("fixed decimals") << u"%.1f"_s << QVariantList{612.25} << u"612.3"_s;
    QTest::newRow("index then following") << u"%1:s %0:s %s"_s << QVariantList{u"a"_s, u"b"_s} << u"b a b"_s;
    QTest::newRow("percent sign doubled") << u"100%%"_s << QVariantList{} << u"100%"_s;
    QTest::newRow("star width") << u"[%*s]"_s << QVariantList{3, u"x"_s} << u"[  x]"_s;
    QTest::newRow("upper-case type letter") << u"%S"_s << QVariantList{u"x"_s} << u"x"_s;
    QTest::newRow("lone percent at the end stays") << u"50%"_s << QVariantList{} << u"50%"_s;
    QTest::newRow("unused arguments are fine") << u"%s"_s << QVariantList{u"a"_s, u"b"_s} << u"a"_s;
}

void TestDNFormat::formats()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    QCOMPARE(DNFormat(format, args), expected);
}

void TestDNFormat::refusesWhatItCannotFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariantList>("args");

    QTest::newRow("missing argument") << u"%s %s"_s << QVariantList{u"a"_s};
    QTest::newRow("text for a number") << u"%d"_s << QVariantList{u"12"_s};
    QTest::newRow("number for a text") << u"%s"_s << QVariantList{12};
    QTest::newRow("unknown type letter") << u"%q"_s << QVariantList{u"a"_s};
    QTest::newRow("percent before a quote") << u"%\""_s << QVariantList{u"a"_s};
    QTest::newRow("index past the arguments") << u"%3:s"_s << QVariantList{u"a"_s};
    QTest::newRow("directive cut off") << u"%-6"_s << QVariantList{u"a"_s};
    QTest::newRow("absurd width") << u"%99999999s"_s << QVariantList{u"a"_s};
}

void TestDNFormat::refusesWhatItCannotFormat()
{
    QFETCH(QString, format);
    QFETCH(QVariantList, args);
    try {
        DNFormat(format, args);
        QFAIL("no error");
    } catch (const EZKError &e) {
        QVERIFY(e.Message().contains(u"Format '"_s));
    }
}

QTEST_GUILESS_MAIN(TestDNFormat)
#include "tst_DNFormat.moc"
