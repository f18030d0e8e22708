// zelkinc-cli stats on the demo generator's data of both score modes: every leaf prints
// what the statistics compute in this process, and the work tables as printing fills them.
#include "DemoStatsWorld.h"
#include "StatsFixture.h"
#include "TestSupport.h"
#include "stats/StatWorkTables.h"
#include "stats/Statistics.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QProcess>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int ExitCode = -1;
    QStringList Lines;
    QString Err;
};

TRun RunStats(const TDemoStatsWorld &world, const QString &ssdm, const QStringList &set,
              const QStringList &extra)
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(QStringList{u"stats"_s, u"--storage"_s, world.Storage(), u"--province"_s, ssdm,
                               u"--user"_s, u"zy01"_s, u"--set"_s} +
                   set + extra);
    p.start();
    if (!p.waitForFinished(120000))
        qFatal("zelkinc-cli did not finish");
    TRun run{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, {}, {}};
    // The offscreen platform's own notes are not the command's.
    for (const QString &line : QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(u"QStandardPaths:"_s) && !line.contains(u"propagateSizeHints"_s))
            run.Err += line + u'\n';
    }
    run.Lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
    if (!run.Lines.isEmpty() && run.Lines.last().isEmpty())
        run.Lines.removeLast();
    return run;
}

QString Colour(const std::optional<TStatColour> &c)
{
    return c ? StatColourText(*c) : QString();
}

// The lines the command prints for a result, in the command's documented form.
QStringList Expected(const TStatResult &r)
{
    if (r.HasMessage())
        return {u"message\t"_s + QString(r.Message).replace(u"\r\n"_s, u"  "_s)};
    QStringList captions;
    for (const TStatColumn &c : r.Columns)
        captions.append(c.Caption);
    QStringList lines{captions.join(u'\t')};
    for (const QStringList &row : r.Rows)
        lines.append(row.join(u'\t'));
    lines.append(u"status\t%1\t%2\t%3"_s.arg(r.Status[0].value_or(QString()), r.Status[1].value_or(QString()),
                                             r.Status[2].value_or(QString())));
    lines.append(u"chart\t%1\t%2"_s.arg(StatChartKindName(r.Chart.Kind), r.Chart.Title));
    for (const TStatSeries &s : r.Chart.Series)
        lines.append(u"series\t%1\t%2"_s.arg(s.Title, Colour(s.Colour)));
    for (const TStatSeries &s : r.Chart.Series) {
        for (const TStatPoint &p : s.Points)
            lines.append(u"point\t%1\t%2\t%3"_s.arg(p.Label, QString::number(p.Value, 'g', 15),
                                                    StatColourText(p.Colour)));
    }
    return lines;
}

QStringList WorkTableLines(TSqlConnection &conn)
{
    QStringList lines;
    for (const QString &table : {u"bmxx"_s, u"cjxx"_s, u"zyxx"_s}) {
        for (QString row : TableRows(conn, table))
            lines.append(table + u'\t' + row.replace(u"NULL"_s, QString()).replace(u'|', u'\t'));
    }
    return lines;
}

} // namespace

class TestStatsCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { FWorld = std::make_unique<TDemoStatsWorld>(); }
    void cleanupTestCase() { ZKMainDef().Reset(); }

    void printsEveryLeafAsComputed_data()
    {
        QTest::addColumn<QString>("ssdm");
        QTest::addColumn<bool>("graded");
        QTest::newRow("numeric scores") << u"11"_s << false;
        QTest::newRow("graded scores") << u"32"_s << true;
    }
    void printsEveryLeafAsComputed()
    {
        QFETCH(QString, ssdm);
        QFETCH(bool, graded);
        const QStringList set = FWorld->Sets(ssdm).value(0).split(u'_');
        QCOMPARE(set.size(), 3);
        TMainDM dm;
        TFakeMessageSink messages;
        dm.SetMessageSink(&messages);
        QVERIFY(FWorld->OpenSet(dm, ssdm, set));
        QCOMPARE(ZKMainDef().RankScoreSupported, graded);
        QVERIFY(dm.KsNum > 0);
        TStatistics stats(dm);
        int gradedLeaves = 0;
        for (int group = 0; group < 3; ++group) {
            for (int leaf = 0; leaf < stats.ItemStrArray()[size_t(group)].size(); ++leaf) {
                const QString caption = stats.ItemStrArray()[size_t(group)][leaf];
                const TRun run = RunStats(*FWorld, ssdm, set, {u"--item"_s, caption});
                QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
                const TStatResult r = stats.Compute(group, leaf);
                QCOMPARE(run.ExitCode, r.MessageIcon == TMsgIcon::Error && r.HasMessage() ? 1 : 0);
                QCOMPARE(run.Lines, Expected(r));
                if (group == sgScore && StatScoreRankId(dm, leaf) >= 0 && !r.HasMessage())
                    ++gradedLeaves;
            }
        }
        QCOMPARE(gradedLeaves > 0, graded);

        // One unit and the score step of 10.
        const QString unit = dm.CurrentTDDWTable.front()->TDDWDM;
        stats.SetUnitEntry(1);
        stats.SetScoreStepText(u"10"_s);
        const QString caption = stats.ItemStrArray()[sgScore].value(1);
        const TRun run =
            RunStats(*FWorld, ssdm, set, {u"--unit"_s, unit, u"--step"_s, u"10"_s, u"--item"_s, caption});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Lines, Expected(stats.Compute(sgScore, 1)));
    }

    void printsTheWorkTables()
    {
        const QStringList set = FWorld->Sets(u"11"_s).value(0).split(u'_');
        const TRun run = RunStats(*FWorld, u"11"_s, set, {u"--work-tables"_s});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
        QCOMPARE(run.Lines.value(0), u"bmxx\t性别\t\t\t"_s);
        QCOMPARE(run.Lines.value(1), u"bmxx\t\t性别\t人数\t所占比例(%)"_s);
        QVERIFY(run.Lines.contains(u"cjxx\t预投基准分\t\t\t"_s));
        QVERIFY(run.Lines.contains(u"zyxx\t报考专业满足率\t\t\t\t"_s));

        TMainDM dm;
        TFakeMessageSink messages;
        dm.SetMessageSink(&messages);
        QVERIFY(FWorld->OpenSet(dm, u"11"_s, set));
        TFakeProgress progress;
        FillStatWorkTables(dm, QString(), progress);
        QCOMPARE(run.Lines, WorkTableLines(dm.UnivConn));
    }

    // With --pdf the statistics report follows, with the work tables' texts selectable.
    void printsTheStatisticsReport()
    {
        const QStringList set = FWorld->Sets(u"32"_s).value(0).split(u'_');
        QTemporaryDir out;
        const QString pdf = out.filePath(u"统计.pdf"_s);
        const TRun run = RunStats(*FWorld, u"32"_s, set, {u"--work-tables"_s, u"--pdf"_s, pdf});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
        QVERIFY(zktest::readFile(pdf).startsWith("%PDF"));
        QProcess text;
        text.start(u"pdftotext"_s, {pdf, u"-"_s});
        QVERIFY(text.waitForFinished(60000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString &expected : {u"考生统计信息"_s, u"性别"_s, u"报考专业满足率"_s, u"全部"_s})
            QVERIFY2(printed.contains(expected), qPrintable(expected));
    }

    void refusesWrongUse_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no item") << QStringList{} << 2;
        QTest::newRow("item and work tables") << QStringList{u"--item"_s, u"性别"_s, u"--work-tables"_s} << 2;
        QTest::newRow("step 7") << QStringList{u"--step"_s, u"7"_s, u"--item"_s, u"性别"_s} << 2;
        QTest::newRow("unknown item") << QStringList{u"--item"_s, u"身高"_s} << 1;
        QTest::newRow("unknown unit") << QStringList{u"--unit"_s, u"999"_s, u"--item"_s, u"性别"_s} << 1;
    }
    void refusesWrongUse()
    {
        QFETCH(QStringList, extra);
        QFETCH(int, exitCode);
        const QStringList set = FWorld->Sets(u"11"_s).value(0).split(u'_');
        const TRun run = RunStats(*FWorld, u"11"_s, set, extra);
        QCOMPARE(run.ExitCode, exitCode);
        QVERIFY(run.Lines.isEmpty());
        QVERIFY(!run.Err.isEmpty());
    }

private:
    std::unique_ptr<TDemoStatsWorld> FWorld;
};

QTEST_GUILESS_MAIN(TestStatsCli)
#include "tst_StatsCli.moc"
