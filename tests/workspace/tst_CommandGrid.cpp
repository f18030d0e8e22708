// Runs the built `zelkinc-cli grid` on a user folder built from SQL.
#include "TestSupport.h"
#include "WorkspaceFixture.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int ExitCode = -1;
    QStringList Lines;
    QString Err;
};

TRun RunGrid(const TWorkspaceFixture &f, const QStringList &extra, const QString &set = u"1 1 1"_s)
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(QStringList{u"grid"_s, u"--storage"_s, f.StorageFolder(), u"--province"_s, u"99"_s,
                               u"--user"_s, u"member1"_s, u"--set"_s} +
                   set.split(u' ') + extra);
    p.start();
    if (!p.waitForFinished(60000))
        qFatal("zelkinc-cli did not finish");
    TRun run{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
             {},
             QString::fromUtf8(p.readAllStandardError())};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    run.Lines = out.split(u'\n');
    if (!run.Lines.isEmpty() && run.Lines.last().isEmpty())
        run.Lines.removeLast();
    return run;
}

void AddCandidates(TWorkspaceFixture &f)
{
    auto cand = [&f](const QString &ksh, const QString &tddw, const QString &kszt, const QString &lqzy,
                     double score) {
        TFixtureCandidate c{ksh, u"考生"_s + ksh, tddw};
        c.KSZT = kszt;
        c.LQZY = lqzy;
        c.YTZY = lqzy;
        c.ZYYTJZCJ = score;
        c.ZYDH = {u"01"_s, u"03"_s};
        f.AddCandidate(c);
    };
    cand(u"G1"_s, u"001"_s, u"1"_s, u"01"_s, 600.5);
    cand(u"G2"_s, u"002"_s, u"1"_s, u"03"_s, 640);
    cand(u"G3"_s, u"001"_s, u"0"_s, u" ?"_s, 620);
    cand(u"G4"_s, u"001"_s, u"2"_s, u""_s, 610); // repaired to "  " on opening
}

} // namespace

class TestCommandGrid : public QObject
{
    Q_OBJECT

private slots:
    void printsTheGridAsTheClientShowsIt()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        const TRun run = RunGrid(f, {});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
        // The client, in this process, opening the same set after the tool.
        f.Open();
        QStringList expected;
        QStringList header;
        for (const TZKColumnRec &c : f.Dm().ZKColumn)
            header.append(c.Desc);
        expected.append(header.join(u'\t'));
        for (const TKSItem *ks : f.Dm().CurrentKSList) {
            QStringList cells;
            for (const TZKColumnRec &c : f.Dm().ZKColumn)
                cells.append(f.Dm().GetTddFieldStr(ks, c));
            expected.append(cells.join(u'\t'));
        }
        QCOMPARE(run.Lines, expected);
        QVERIFY(run.Lines[0].startsWith(u"考生号\t姓名\t性别\t基准成绩\t"_s));
        QVERIFY(run.Lines[1].startsWith(u"G1\t考生G1\t男\t600.5\t600.5\t1计算机科学与技术\t"_s));
        // The tool repaired the inconsistent row.
        QCOMPARE(f.Rows(u"select LQZY from T_TDD where KSH = \"G4\""_s), QStringList{u"  "_s});
    }

    void filtersAndSort()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        auto firstCells = [](const TRun &run) {
            QStringList kshs;
            for (const QString &line : run.Lines.mid(1))
                kshs.append(line.section(u'\t', 0, 0));
            return kshs;
        };
        QCOMPARE(firstCells(RunGrid(f, {u"--sort"_s, u"zyytjzcj"_s})),
                 (QStringList{u"G3"_s, u"G4"_s, u"G1"_s, u"G2"_s}));
        QCOMPARE(firstCells(RunGrid(f, {u"--unit"_s, u"002"_s})), QStringList{u"G2"_s});
        QCOMPARE(firstCells(RunGrid(f, {u"--major"_s, u"01"_s})), QStringList{u"G1"_s});
        QCOMPARE(firstCells(RunGrid(f, {u"--unit"_s, u"001"_s, u"--major"_s, u"03"_s})), QStringList());
        // Two spaces choose the returned candidates, as the menu entry "预退档考生" does.
        QCOMPARE(firstCells(RunGrid(f, {u"--major"_s, u"  "_s})), QStringList{u"G4"_s});
        const TRun majors = RunGrid(f, {u"--majors"_s});
        QCOMPARE(majors.ExitCode, 0);
        QCOMPARE(majors.Lines,
                 (QStringList{u"001-01 计算机科学与技术 [2/1][600-600]"_s, u"001-02 数学与应用数学 [1/0]"_s,
                              u"002-03 物理学 [1/1][640-640]"_s, u"-05 生物科学 [0/0]"_s,
                              u"退档 [1][610-610]"_s}));
        QCOMPARE(RunGrid(f, {u"--majors"_s, u"--unit"_s, u"002"_s}).Lines,
                 (QStringList{u"002-03 物理学 [1/1][640-640]"_s, u"退档 [1][610-610]"_s}));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown set") << QStringList() << u"9 9 9"_s << 1 << u"no dossier set 9 9 9"_s;
        QTest::newRow("unknown unit")
            << QStringList{u"--unit"_s, u"777"_s} << u"1 1 1"_s << 1 << u"no submission unit 777"_s;
        QTest::newRow("unknown major")
            << QStringList{u"--major"_s, u"99"_s} << u"1 1 1"_s << 1 << u"no major 99"_s;
        QTest::newRow("unknown column")
            << QStringList{u"--sort"_s, u"NOPE"_s} << u"1 1 1"_s << 1 << u"no shown column NOPE"_s;
        QTest::newRow("unknown province")
            << QStringList{u"--province"_s, u"00"_s} << u"1 1 1"_s << 1 << u"no province 00"_s;
        QTest::newRow("unknown option") << QStringList{u"--colour"_s} << u"1 1 1"_s << 2 << u"usage:"_s;
        QTest::newRow("set needs three codes") << QStringList() << u"1 1"_s << 2 << u"usage:"_s;
    }
    void failures()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, set);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        TWorkspaceFixture f;
        AddCandidates(f);
        const TRun run = RunGrid(f, extra, set);
        QCOMPARE(run.ExitCode, exitCode);
        QVERIFY(run.Lines.isEmpty());
        QVERIFY2(run.Err.contains(error), qPrintable(run.Err));
    }
};

QTEST_GUILESS_MAIN(TestCommandGrid)
#include "tst_CommandGrid.moc"
