// Runs the built `zelkinc-cli page` on a user folder built from SQL.
#include "PageRig.h"
#include "TestSupport.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int ExitCode = -1;
    QString Err;
};

TRun RunPage(const TPageRig &r, const QStringList &extra)
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(QStringList{u"page"_s, u"--storage"_s, r.F.StorageFolder(), u"--province"_s, u"99"_s,
                               u"--user"_s, u"member1"_s, u"--set"_s, u"1"_s, u"1"_s, u"1"_s} +
                   extra);
    p.start();
    if (!p.waitForFinished(60000))
        qFatal("zelkinc-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

void WriteUtf16(const QString &file, const QString &text)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write the template");
    for (const QChar c : text) {
        f.putChar(char(c.unicode() & 0xFF));
        f.putChar(char(c.unicode() >> 8));
    }
}

} // namespace

class TestCommandPage : public QObject
{
    Q_OBJECT

private slots:
    void init() { ZKMainDef().Reset(); }
    void writesThePage();
    void pageErrorsWriteNothing();
    void usageErrors_data();
    void usageErrors();
};

void TestCommandPage::writesThePage()
{
    TPageRig r;
    TFixtureCandidate c{u"C1"_s, u"赵六"_s};
    r.F.AddCandidate(c);
    r.F.Exec({u"update t_common_params set rank_score_supported = \"0\""_s});
    r.F.Open(); // the set's repairs are written now, as the command would do them
    const QString tmpl = r.Download.path() + u"/t.htm"_s;
    const QString out = r.Download.path() + u"/out.htm"_s;
    WriteUtf16(tmpl, u"\uFEFF<#0XM>|<#3I>|<#0:Z%s;##[%s]#>"_s);

    TRun run = RunPage(r, {u"--ksh"_s, u"C1"_s, u"--template"_s, tmpl, u"--out"_s, out});
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(TDNPageBuilder::ReadTemplateFile(out).section(u'|', 0, 1), u"\uFEFF赵六|照片"_s);
    QVERIFY(!TDNPageBuilder::ReadTemplateFile(out).contains(u"下载全部志愿"_s));

    run = RunPage(r, {u"--ksh"_s, u"C1"_s, u"--template"_s, tmpl, u"--out"_s, out, u"--online"_s});
    QCOMPARE(run.ExitCode, 0);
    const QString online = TDNPageBuilder::ReadTemplateFile(out);
    QVERIFY2(online.contains(u"|<a href=\""_s + out + u"?i\">下载照片</a>|"_s) ||
                 online.contains(u"|照片|"_s),
             qPrintable(online));
    QVERIFY(online.endsWith(u"[<a href=\""_s + out + u"?z\">下载全部志愿</a>]"_s));

    run = RunPage(r, {u"--ksh"_s, u"C1"_s, u"--template"_s, tmpl, u"--out"_s, out, u"--online"_s,
                      u"--photo"_s, u"/x/C1.jpg"_s});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(
        TDNPageBuilder::ReadTemplateFile(out).contains(u"|<img width=96 height=128 src=\"/x/C1.jpg\">|"_s));
}

void TestCommandPage::pageErrorsWriteNothing()
{
    TPageRig r;
    r.F.AddCandidate(TFixtureCandidate{u"C1"_s});
    r.F.Open();
    const QString tmpl = r.Download.path() + u"/t.htm"_s;
    const QString out = r.Download.path() + u"/out.htm"_s;
    WriteUtf16(tmpl, u"<#0XM><#1STJRQ>"_s);
    TRun run = RunPage(r, {u"--ksh"_s, u"C1"_s, u"--template"_s, tmpl, u"--out"_s, out});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(u"生成考生信息页面出错: t_tjxx中找不到该考生"_s), qPrintable(run.Err));
    QVERIFY(!QFile::exists(out));

    // A candidate number the set does not hold is missing from the dossier table.
    run = RunPage(r, {u"--ksh"_s, u"C9"_s, u"--template"_s, tmpl, u"--out"_s, out});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(u"生成考生信息页面出错: T_TDD中找不到该考生"_s), qPrintable(run.Err));
    QVERIFY(!QFile::exists(out));

    run = RunPage(r, {u"--ksh"_s, u"C1"_s, u"--template"_s, tmpl + u"x"_s, u"--out"_s, out});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY(!QFile::exists(out));
}

void TestCommandPage::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no candidate") << QStringList{u"--template"_s, u"t"_s, u"--out"_s, u"o"_s};
    QTest::newRow("no template") << QStringList{u"--ksh"_s, u"C1"_s, u"--out"_s, u"o"_s};
    QTest::newRow("no output") << QStringList{u"--ksh"_s, u"C1"_s, u"--template"_s, u"t"_s};
    QTest::newRow("photo without file")
        << QStringList{u"--ksh"_s, u"C1"_s, u"--template"_s, u"t"_s, u"--out"_s, u"o"_s, u"--photo"_s};
    QTest::newRow("unknown option") << QStringList{u"--ksh"_s, u"C1"_s, u"--template"_s, u"t"_s,
                                                   u"--out"_s, u"o"_s,  u"--colour"_s};
}

void TestCommandPage::usageErrors()
{
    QFETCH(QStringList, args);
    TPageRig r;
    QCOMPARE(RunPage(r, args).ExitCode, 2);
}

QTEST_GUILESS_MAIN(TestCommandPage)
#include "tst_CommandPage.moc"
