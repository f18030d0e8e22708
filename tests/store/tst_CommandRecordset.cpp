// Runs the built `zelkinc-cli recordset` on real files.
#include "TestSupport.h"
#include "store/Adtg.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun RunCli(const QStringList &args)
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(QStringList{u"recordset"_s} + args);
    p.start();
    if (!p.waitForFinished(60000))
        qFatal("zelkinc-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString RealFile(const QString &name)
{
    return zktest::dataPath(u"adtg-real/ivere27_tablegram_"_s + name + u".adtg"_s);
}

// Every type, escapes in text, extremes, the special floats and NULLs, in the
// exact form the dump prints.
const char *const kAllTypes =
    R"({"fields":[{"name":"KSH","type":130,"size":14,"flags":32804},{"name":"XM","type":130,"size":20,"flags":36},)"
    R"({"name":"I1","type":16,"size":1,"flags":52},{"name":"I8","type":20,"size":8,"flags":52},)"
    R"({"name":"UI8","type":21,"size":8,"flags":52},{"name":"R4","type":4,"size":4,"flags":52},)"
    R"({"name":"R8","type":5,"size":8,"flags":52},{"name":"CY","type":6,"size":8,"flags":52},)"
    R"({"name":"DEC","type":14,"size":16,"flags":52},{"name":"NUM","type":131,"size":19,"flags":52},)"
    R"({"name":"DT","type":7,"size":8,"flags":52},{"name":"D","type":133,"size":6,"flags":52},)"
    R"({"name":"T","type":134,"size":6,"flags":52},{"name":"TS","type":135,"size":16,"flags":52},)"
    R"({"name":"FT","type":64,"size":8,"flags":52},{"name":"B","type":11,"size":2,"flags":52},)"
    R"({"name":"G","type":72,"size":16,"flags":52},{"name":"BIN","type":128,"size":8,"flags":36},)"
    R"({"name":"S","type":129,"size":10,"flags":36}],"rows":[)"
    // (a plain literal: text escapes inside a raw string confuse moc)
    "[\"12345678901234\",\"张三 \\\"q\\\" \\\\ "
    "\\n\\t\\u0001\",-128,-9223372036854775808,18446744073709551615,0.1,-0.0,"
    R"("-922337203685477.5808","-0.05","12345.6789","2001-02-03 04:05:06","2024-07-20","23:59:58",)"
    R"("2024-07-20 08:30:00.1234567","2024-07-20 08:30:00",true,"{3FF292B6-B204-11CF-8D23-00AA005FFE58}","00ff10","中文"],)"
    R"([null,"",127,9223372036854775807,0,"NaN","-Infinity","0.0000","0","0","1899-12-29 12:00:00","0001-01-01",)"
    R"("00:00:00","1899-12-30 00:00:00","1601-01-01 00:00:00",false,"{00000000-0000-0000-0000-000000000000}","",""],)"
    R"([null,null,null,null,null,null,null,null,null,null,null,null,null,null,null,null,null,null,null]]})";

} // namespace

class TstCommandRecordset : public QObject
{
    Q_OBJECT

private slots:
    void dumpPrintsOneJsonObject();
    void dumpEveryFlatFile_data();
    void dumpEveryFlatFile();
    void refusedFiles_data();
    void refusedFiles();
    void makeThenDumpGivesTheSameJson();
    void makeRefusesBadJson_data();
    void makeRefusesBadJson();
    void usage();
};

void TstCommandRecordset::dumpPrintsOneJsonObject()
{
    const TRun run = RunCli({u"dump"_s, RealFile(u"types_basic"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(run.Err.isEmpty());
    QCOMPARE(
        run.Out,
        QByteArray(
            R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"FLAG","type":11,"size":2,"flags":20},)"
            R"({"name":"AMOUNT","type":6,"size":8,"flags":20},{"name":"RATIO","type":5,"size":8,"flags":20},)"
            R"({"name":"WHEN_AT","type":7,"size":8,"flags":20}],"rows":[[1,true,"1234.5600",3.14159,"2001-02-03 04:05:06"],)"
            R"([-2,false,"-7.8900",-0.25,"1999-12-31 23:59:58"]]})"
            "\n"));
    const TRun korean = RunCli({u"dump"_s, RealFile(u"strings_korean_ansi"_s), u"--code-page"_s, u"CP949"_s});
    QCOMPARE(korean.ExitCode, 0);
    QVERIFY(korean.Out.contains(R"([2,"한글","마지막"])"));
}

void TstCommandRecordset::dumpEveryFlatFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("rows");
    QTest::newRow("types_basic") << u"types_basic"_s << 5 << 2;
    QTest::newRow("strings_korean_ansi") << u"strings_korean_ansi"_s << 3 << 3;
    QTest::newRow("long_text") << u"long_text"_s << 2 << 1;
    QTest::newRow("nulls") << u"nulls"_s << 3 << 2;
    QTest::newRow("multi_changes") << u"multi_changes"_s << 7 << 6;
    QTest::newRow("wide_0129") << u"wide_0129"_s << 129 << 7;
    QTest::newRow("large_fixed_fields") << u"large_fixed_fields"_s << 4 << 3;
    QTest::newRow("doc_numeric_type_aliases") << u"doc_numeric_type_aliases"_s << 7 << 2;
    QTest::newRow("Numeric_28_10") << u"flat_Numeric_precision_scale_28_10"_s << 2 << 6;
    QTest::newRow("DBTimeStamp") << u"flat_DBTimeStamp_boundaries"_s << 2 << 6;
}

void TstCommandRecordset::dumpEveryFlatFile()
{
    QFETCH(QString, name);
    QFETCH(int, fields);
    QFETCH(int, rows);
    const TRun run = RunCli({u"dump"_s, RealFile(name)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(run.Out.endsWith('\n') && run.Out.count('\n') == 1);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.Out, &error); // any JSON reader accepts it
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(doc.object().value(u"fields"_s).toArray().size(), fields);
    const QJsonArray rowArray = doc.object().value(u"rows"_s).toArray();
    QCOMPARE(rowArray.size(), rows);
    for (const QJsonValue &row : rowArray)
        QCOMPARE(row.toArray().size(), fields);
}

void TstCommandRecordset::refusedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("error");
    QTest::newRow("hierarchical") << RealFile(u"orders_lines_product_pending_shape"_s) << u"hierarchical"_s;
    QTest::newRow("not a recordset") << zktest::dataPath(u"adtg-real/SOURCES.md"_s)
                                     << u"not a recordset file"_s;
    QTest::newRow("missing") << zktest::dataPath(u"adtg-real/none.adtg"_s) << u"cannot open"_s;
}

void TstCommandRecordset::refusedFiles()
{
    QFETCH(QString, path);
    QFETCH(QString, error);
    const TRun run = RunCli({u"dump"_s, path});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY(run.Out.isEmpty());
    QCOMPARE(run.Err.count('\n'), 1);
    QVERIFY2(QString::fromUtf8(run.Err).contains(error), run.Err.constData());
}

void TstCommandRecordset::makeThenDumpGivesTheSameJson()
{
    QTemporaryDir dir;
    const QString json = dir.filePath(u"in.json"_s);
    const QString adtg = dir.filePath(u"out.adtg"_s);
    QFile f(json);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kAllTypes);
    f.close();
    const TRun make = RunCli({u"make"_s, json, adtg});
    QVERIFY2(make.ExitCode == 0, make.Err.constData());
    const TRun dump = RunCli({u"dump"_s, adtg});
    QCOMPARE(dump.ExitCode, 0);
    QCOMPARE(QString::fromUtf8(dump.Out), QString::fromUtf8(kAllTypes) + u'\n');
    const TRecordset set = LoadAdtgFile(adtg);
    for (int i = 0; i < set.StoredRowCount(); ++i)
        QCOMPARE(set.StoredRow(i).Status, TRowStatus::Unchanged); // plain rows
}

void TstCommandRecordset::makeRefusesBadJson_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    const QByteArray field = R"({"name":"A","type":3,"size":4,"flags":20})";
    QTest::newRow("syntax") << QByteArray(R"({"fields":[)") << u"invalid JSON at character 12"_s;
    QTest::newRow("no fields") << QByteArray(R"({"rows":[]})") << u"\"fields\" must be an array"_s;
    QTest::newRow("unknown type") << QByteArray(R"({"fields":[{"name":"A","type":12}]})")
                                  << u"type VARIANT is not supported"_s;
    QTest::newRow("unknown key") << QByteArray(R"({"fields":[{"name":"A","type":3,"nullable":true}]})")
                                 << u"unknown key \"nullable\""_s;
    QTest::newRow("row length") << QByteArray(R"({"fields":[)" + field + R"(],"rows":[[1,2]]})")
                                << u"row 1 must be an array of 1 values"_s;
    QTest::newRow("not a number") << QByteArray(R"({"fields":[)" + field + R"(],"rows":[["x"]]})")
                                  << u"row 1, field \"A\": cannot convert 'x' to I4"_s;
    QTest::newRow("NULL in a column that is not nullable")
        << QByteArray(R"({"fields":[)" + field + R"(],"rows":[[null]]})") << u"not nullable"_s;
    QTest::newRow("bad hex") << QByteArray(R"({"fields":[{"name":"A","type":128}],"rows":[["0g"]]})")
                             << u"not a hex string"_s;
    QTest::newRow("too long") << QByteArray(
                                     R"({"fields":[{"name":"A","type":130,"size":2}],"rows":[["abc"]]})")
                              << u"too long"_s;
    QTest::newRow("not UTF-8") << QByteArray("{\"fields\":[{\"name\":\"\xff\",\"type\":3}]}")
                               << u"not valid UTF-8"_s;
}

void TstCommandRecordset::makeRefusesBadJson()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString in = dir.filePath(u"in.json"_s);
    const QString out = dir.filePath(u"out.adtg"_s);
    QFile f(in);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(json);
    f.close();
    const TRun run = RunCli({u"make"_s, in, out});
    QCOMPARE(run.ExitCode, 1);
    QCOMPARE(run.Err.count('\n'), 1);
    QVERIFY2(QString::fromUtf8(run.Err).contains(error), run.Err.constData());
    QVERIFY(!QFile::exists(out));
}

void TstCommandRecordset::usage()
{
    for (const QStringList &args :
         {QStringList{}, QStringList{u"dump"_s}, QStringList{u"make"_s, u"a"_s},
          QStringList{u"show"_s, u"a"_s}, QStringList{u"dump"_s, u"a"_s, u"--code-page"_s}}) {
        const TRun run = RunCli(args);
        QCOMPARE(run.ExitCode, 2);
        QVERIFY(run.Err.startsWith("usage: zelkinc-cli recordset"));
    }
}

QTEST_GUILESS_MAIN(TstCommandRecordset)
#include "tst_CommandRecordset.moc"
