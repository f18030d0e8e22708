// zelkinc-cli export, run as a program on the demo province's data: both forms, their
// output and exit statuses, and the screen export holding exactly what "grid" prints.
#include "ExportFixture.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int Code = -1;
    QString Out, Err;
};

TRun RunCli(const QStringList &args)
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(args);
    p.start();
    if (!p.waitForFinished(300000))
        qFatal("zelkinc-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString Codes(const TExportSetRow &s)
{
    return s.PCDM.trimmed() + u' ' + s.KLDM.trimmed() + u' ' + s.JHXZ.trimmed();
}

} // namespace

class TestExportCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        W = std::make_unique<TExportWorld>();
        QVERIFY(W->Prepare());
        Sets = W->Sets();
        QVERIFY(Sets.size() >= 3);
        User = {u"--storage"_s, W->F->Storage(), u"--province"_s,
                W->F->SSDM,     u"--user"_s,     TExchangeFixture::User};
    }

    void dossierExportOfTheNamedSets()
    {
        const QString out = W->NewFolder() + u"tdd.xlsx"_s;
        // Given in another order than the list's: the export follows the list.
        const TRun run =
            RunCli(QStringList{u"export"_s} + User +
                   QStringList{u"--sets"_s, Codes(Sets[2]) + u";"_s + Codes(Sets[0]), u"--out"_s, out});
        QVERIFY2(run.Code == 0, qPrintable(run.Err));
        QCOMPARE(run.Out, u"已完成对所选考生信息数据表的导出。\n"_s);
        const TReadBack back = ReadBack(u"xlsx"_s, {out});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        const QList<QVariantList> tdd = back.Tables[u"T_TDD"_s];
        const int pc = ColumnOf(tdd[0], u"PCDM"_s), kl = ColumnOf(tdd[0], u"KLDM"_s),
                  jh = ColumnOf(tdd[0], u"JHXZ"_s);
        QSet<QString> seen;
        for (qsizetype r = 1; r < tdd.size(); ++r)
            seen.insert(tdd[r][pc].toString() + u' ' + tdd[r][kl].toString() + u' ' + tdd[r][jh].toString());
        QCOMPARE(seen, (QSet<QString>{Codes(Sets[0]), Codes(Sets[2])}));
    }

    void screenExportHoldsWhatGridPrints()
    {
        const QStringList set{
            u"--set"_s, Sets[0].PCDM.trimmed(), Sets[0].KLDM.trimmed(), Sets[0].JHXZ.trimmed(), u"--sort"_s,
            u"XM"_s};
        const TRun grid = RunCli(QStringList{u"grid"_s} + User + set);
        QVERIFY2(grid.Code == 0, qPrintable(grid.Err));
        const QString out = W->NewFolder() + u"screen.xls"_s;
        const TRun run =
            RunCli(QStringList{u"export"_s, u"--screen"_s} + User + set + QStringList{u"--out"_s, out});
        QVERIFY2(run.Code == 0, qPrintable(run.Err));
        QCOMPARE(run.Out, u"已完成对屏幕显示的投档单信息的导出。\n"_s);
        const TReadBack back = ReadBack(u"xls"_s, {out});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        const QList<QVariantList> rows = back.Tables[u"t_tddxx"_s];
        QStringList lines = grid.Out.split(u'\n');
        lines.removeLast();  // after the last line break
        lines.removeFirst(); // the captions; the worksheet has the field codes
        QCOMPARE(rows.size() - 1, lines.size());
        for (int r = 0; r < lines.size(); ++r) {
            QStringList cells;
            for (const QVariant &v : rows[r + 1])
                cells.append(v.toString());
            QCOMPARE(cells.join(u'\t'), lines[r]);
        }
    }

    void usageAndFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("no --out") << QStringList{u"--sets"_s, u"1 1 1"_s} << 2;
        QTest::newRow("a set of two codes")
            << QStringList{u"--sets"_s, u"1 1"_s, u"--out"_s, u"x.dbf"_s} << 2;
        QTest::newRow("--set without --screen")
            << QStringList{u"--set"_s, u"1"_s, u"1"_s, u"1"_s, u"--out"_s, u"x.dbf"_s} << 2;
        QTest::newRow("--screen with --sets")
            << QStringList{u"--screen"_s, u"--sets"_s, u"1 1 1"_s, u"--out"_s, u"x.dbf"_s} << 2;
        QTest::newRow("unknown set") << QStringList{u"--sets"_s, u"9 9 9"_s, u"--out"_s, u"x.dbf"_s} << 1;
    }
    void usageAndFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        const QString folder = W->NewFolder();
        for (QString &a : args) {
            if (a == "x.dbf"_L1)
                a = folder + a;
        }
        const TRun run = RunCli(QStringList{u"export"_s} + User + args);
        QCOMPARE(run.Code, code);
        QVERIFY(run.Out.isEmpty());
        QVERIFY(!run.Err.isEmpty());
        QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
    }

private:
    std::unique_ptr<TExportWorld> W;
    QList<TExportSetRow> Sets;
    QStringList User;
};

QTEST_GUILESS_MAIN(TestExportCli)
#include "tst_ExportCli.moc"
