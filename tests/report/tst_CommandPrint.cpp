// Runs the built `zelkinc-cli print` on a user folder built from SQL and reads the PDF.
#include "ReportTestKit.h"
#include "TestSupport.h"
#include "WorkspaceFixture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace reporttest;

namespace {

struct TRun
{
    int ExitCode = -1;
    QString Err;
};

TRun RunPrint(const TWorkspaceFixture &f, const QStringList &extra, const QString &set = u"1 1 1"_s)
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(QStringList{u"print"_s, u"--storage"_s, f.StorageFolder(), u"--province"_s, u"99"_s,
                               u"--user"_s, u"member1"_s, u"--set"_s} +
                   set.split(u' ') + extra);
    p.start();
    if (!p.waitForFinished(120000))
        qFatal("zelkinc-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

void AddCandidates(TWorkspaceFixture &f)
{
    const QList<std::pair<QString, double>> rows{{u"P1"_s, 610}, {u"P2"_s, 650}, {u"P3"_s, 630}};
    for (const auto &[ksh, score] : rows) {
        TFixtureCandidate c{ksh, u"考生"_s + ksh, u"001"_s};
        c.ZYYTJZCJ = score;
        c.ZYDH = {u"01"_s};
        f.AddCandidate(c);
    }
    TFixtureCandidate other{u"P4"_s, u"考生P4"_s, u"002"_s};
    f.AddCandidate(other);
}

QStringList KshOrder(const QString &text)
{
    QStringList order;
    for (const QString &line : text.split(u'\n')) {
        const QString first = line.trimmed().section(u' ', 0, 0);
        if (first.size() == 2 && first.startsWith(u'P'))
            order.append(first);
    }
    return order;
}

} // namespace

class TestCommandPrint : public QObject
{
    Q_OBJECT

private slots:
    void printsTheGridsCandidatesWithTheStoredLayout()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        SetPrintPlaces(f, {{u"KSH"_s, 0, 90}, {u"XM"_s, 1, 90}, {u"ZYYTJZCJ"_s, 2, 90}});
        f.Exec({u"update t_print_tdd set TitleFontHeight = 30"_s});
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"list.pdf"_s);

        TRun run = RunPrint(f, {u"--pdf"_s, pdf});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(!run.Err.contains(u"zelkinc-cli"_s), qPrintable(run.Err));
        QString text = PdfText(pdf);
        QVERIFY2(text.contains(u"测试大学测试省考生投档单"_s), qPrintable(text));
        QVERIFY(text.contains(u"基准成绩"_s));
        QVERIFY(!text.contains(u"性别"_s)); // hidden in the print layout
        QCOMPARE(KshOrder(text), (QStringList{u"P1"_s, u"P2"_s, u"P3"_s, u"P4"_s}));

        run = RunPrint(f, {u"--unit"_s, u"001"_s, u"--sort"_s, u"ZYYTJZCJ"_s, u"--pdf"_s, pdf});
        QCOMPARE(run.ExitCode, 0);
        text = PdfText(pdf);
        const QStringList sorted = KshOrder(text);
        QCOMPARE(sorted.size(), 3);
        QVERIFY(sorted == (QStringList{u"P1"_s, u"P3"_s, u"P2"_s}) ||
                sorted == (QStringList{u"P2"_s, u"P3"_s, u"P1"_s}));
        QVERIFY(text.contains(u"001 一志愿投档"_s));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no pdf") << QStringList() << u"1 1 1"_s << 2;
        QTest::newRow("unknown option") << QStringList{u"--pdf"_s, u"x.pdf"_s, u"--x"_s} << u"1 1 1"_s << 2;
        QTest::newRow("unknown set") << QStringList{u"--pdf"_s, u"x.pdf"_s} << u"9 9 9"_s << 1;
        QTest::newRow("unwritable file")
            << QStringList{u"--pdf"_s, u"/nonexistent/dir/x.pdf"_s} << u"1 1 1"_s << 1;
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, set);
        TWorkspaceFixture f;
        AddCandidates(f);
        QTemporaryDir dir;
        for (QString &arg : args) {
            if (arg == u"x.pdf"_s)
                arg = dir.filePath(arg);
        }
        const TRun run = RunPrint(f, args, set);
        QTEST(run.ExitCode, "exitCode");
        QVERIFY(!run.Err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandPrint)
#include "tst_CommandPrint.moc"
