// The printed statistics: the work tables' rows in their stored order under the
// report's title and set texts.
#include "ReportTestKit.h"
#include "WorkspaceFixture.h"
#include "report/PrintDM.h"
#include "stats/StatWorkTables.h"
#include "store/ZKMainDef.h"

#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace reporttest;

namespace {

class TQuietProgress : public IProgressSink
{
public:
    void ShowProgress(const QString &, const QString &, int, int, int) override {}
    void UpdateProgressTrans() override {}
    void HideProgress() override {}
};

// The registration and score columns the statistics count, added to a fixture's T_TDD.
const QStringList kCountedColumns = {u"alter table T_TDD add column MZDM text(2) with comp"_s,
                                     u"alter table T_TDD add column KSLBDM text(2) with comp"_s,
                                     u"alter table T_TDD add column BYLBDM text(2) with comp"_s,
                                     u"alter table T_TDD add column ZZMMDM text(2) with comp"_s,
                                     u"alter table T_TDD add column GKCJX02 double"_s,
                                     u"alter table T_TDD add column GKCJX04 double"_s};

// The texts a work table's rows print, in order: every column that is not empty.
QStringList PrintedRows(TWorkspaceFixture &f, const QString &sql)
{
    QStringList texts;
    for (const QString &row : f.Rows(sql)) {
        for (const QString &cell : row.split(u'|')) {
            if (cell != u"NULL"_s && !cell.isEmpty())
                texts.append(cell);
        }
    }
    return texts;
}

// The line of the text that holds needle, empty when none does.
QString LineWith(const QString &text, const QString &needle)
{
    for (const QString &line : text.split(u'\n')) {
        if (line.contains(needle))
            return line.simplified();
    }
    return QString();
}

QStringList AllPrintedRows(TWorkspaceFixture &f)
{
    return PrintedRows(f, u"select xm, xmmc, rs, szbl from bmxx"_s) +
           PrintedRows(f, u"select xm, fsd, rs, szbl from cjxx"_s) +
           PrintedRows(f, u"select xm, zymc, jhrs, bk_lqrs, bl from zyxx"_s);
}

// The document's texts without the title band and the footers: the rows and the
// captions of the three sections.
QStringList ReportRows(const TReportDocument &doc)
{
    QStringList rows;
    for (int p = 0; p < doc.PageCount(); ++p) {
        QStringList texts = doc.PageTexts(p);
        if (p == 0)
            texts = texts.mid(texts.indexOf(u"报名信息统计"_s));
        texts.resize(texts.size() - 2);
        rows += texts;
    }
    rows.removeAll(u"报名信息统计"_s);
    rows.removeAll(u"成绩信息统计"_s);
    rows.removeAll(u"专业信息统计"_s);
    return rows;
}

} // namespace

class TestPrintStat : public QObject
{
    Q_OBJECT

private slots:
    void init() { ZKMainDef().Reset(); }

    void printsTheRowsInTheirStoredOrder()
    {
        TWorkspaceFixture f;
        f.Open();
        UseBuiltProgramFolder();
        f.Exec({u"insert into bmxx (xm) values (\"性别\")"_s,
                u"insert into bmxx (xmmc, rs, szbl) values (\"性别\", \"人数\", \"所占比例(%)\")"_s,
                u"insert into bmxx (xmmc, rs, szbl) values (\"男\", \"3\", \" 75.00\")"_s,
                u"insert into bmxx (xmmc, rs, szbl) values (\"女\", \"1\", \" 25.00\")"_s,
                u"insert into cjxx (xm) values (\"预投基准分\")"_s,
                u"insert into cjxx (fsd, rs, szbl) values (\"600-609\", \"4\", \"100.00\")"_s,
                u"insert into zyxx (xm) values (\"各专业录取进展\")"_s,
                u"insert into zyxx (zymc, jhrs, bk_lqrs) values (\"总  计\", \"5\", \"1\")"_s});
        TKeptReportOutput output;
        QVERIFY(TPrintDM(f.Dm(), output).ExecuteStat(u"全部"_s));
        QCOMPARE(ReportRows(output.Document),
                 (QStringList{u"性别"_s, u"性别"_s, u"人数"_s, u"所占比例(%)"_s, u"男"_s, u"3"_s, u" 75.00"_s,
                              u"女"_s, u"1"_s, u" 25.00"_s, u"预投基准分"_s, u"600-609"_s, u"4"_s,
                              u"100.00"_s, u"各专业录取进展"_s, u"总  计"_s, u"5"_s, u"1"_s}));
        const QStringList first = output.Document.PageTexts(0);
        QCOMPARE(first.first(), QDate::currentDate().toString(u"yyyy"_s) + u"年测试大学测试省考生统计信息"_s);
        QVERIFY(first.contains(u"全部"_s) && first.contains(u"1 本科一批"_s));
    }

    void printsTheFilledWorkTablesIntoAPdf()
    {
        TWorkspaceFixture f;
        f.Exec(kCountedColumns);
        f.Exec({u"insert into TD_MZDM values (\"01\", \"汉族\")"_s});
        for (int i = 1; i <= 6; ++i) {
            TFixtureCandidate c{u"S%1"_s.arg(i), u"考生%1"_s.arg(i)};
            c.XBDM = i % 2 ? u"1"_s : u"2"_s;
            c.ZYYTJZCJ = 600.0 + 9 * i;
            c.ZYDH = {u"01"_s};
            c.Extra.insert(u"MZDM"_s, u"01"_s);
            c.Extra.insert(u"GKCJX01"_s, 100.0 + i);
            f.AddCandidate(c);
        }
        f.Open();
        UseBuiltProgramFolder();
        TQuietProgress progress;
        FillStatWorkTables(f.Dm(), QString(), progress);
        const QStringList expected = AllPrintedRows(f);
        QVERIFY(expected.size() > 10);

        TKeptReportOutput kept;
        QVERIFY(TPrintDM(f.Dm(), kept).ExecuteStat(u"001 一志愿投档"_s));
        QCOMPARE(ReportRows(kept.Document), expected);

        QTemporaryDir dir;
        TPdfReportOutput pdf(dir.filePath(u"stat.pdf"_s));
        QVERIFY(TPrintDM(f.Dm(), pdf).ExecuteStat(u"001 一志愿投档"_s));
        const QString text = PdfText(pdf.FileName());
        QVERIFY2(text.contains(u"考生统计信息"_s) && text.contains(u"001 一志愿投档"_s), qPrintable(text));
        for (const QString &caption :
             {u"报名信息统计"_s, u"成绩信息统计"_s, u"专业信息统计"_s, u"所占比例(%)"_s})
            QVERIFY2(text.contains(caption), qPrintable(caption));
    }

    void everyFigureOfTheWorkTablesIsPrinted()
    {
        TWorkspaceFixture f;
        f.Exec(kCountedColumns);
        // Base scores 609, 618, … 654: highest 654, lowest 609, average 631.50.
        for (int i = 1; i <= 6; ++i) {
            TFixtureCandidate c{u"S%1"_s.arg(i), u"考生%1"_s.arg(i)};
            c.XBDM = i <= 2 ? u"2"_s : u"1"_s;
            c.ZYYTJZCJ = 600.0 + 9 * i;
            c.ZYDH = {u"01"_s};
            f.AddCandidate(c);
        }
        f.Open();
        UseBuiltProgramFolder();
        TQuietProgress progress;
        FillStatWorkTables(f.Dm(), QString(), progress);
        QTemporaryDir dir;
        TPdfReportOutput pdf(dir.filePath(u"stat.pdf"_s));
        QVERIFY(TPrintDM(f.Dm(), pdf).ExecuteStat(u"全部"_s));
        const QString text = PdfText(pdf.FileName());

        // The summary of the base score: its count, and under it its three scores.
        const QString summary = LineWith(text, u"最高分："_s);
        QCOMPARE(summary, u"最高分：654 最低分：609 平均分：631.50"_s);
        const QStringList lines = text.split(u'\n');
        qsizetype at = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].contains(u"最高分："_s))
                at = i;
        }
        QVERIFY(at > 0);
        QCOMPARE(lines[at - 1].simplified(), u"共有考生：6"_s);
        // One row of each of the three tables, with every column.
        QCOMPARE(LineWith(text, u"600 - 609"_s), u"600 - 609 1 16.67"_s);
        QCOMPARE(LineWith(text, u"女"_s), u"女 2 33.33"_s);
        QCOMPARE(LineWith(text, u"计划数:报考数"_s), u"专业名称 招生计划数 专业1报考数 计划数:报考数"_s);
        QVERIFY2(LineWith(text, u"第1专业"_s).startsWith(u"第1专业 "_s), qPrintable(text));
    }

    void projectErrorsNameTheFile()
    {
        TWorkspaceFixture f;
        f.Open();
        QTemporaryDir dir;
        ZKMainDef().SetProgramFolder(dir.path());
        TKeptReportOutput output;
        try {
            TPrintDM dm(f.Dm(), output);
            QFAIL("a missing project opened");
        } catch (const EZKError &e) {
            QVERIFY2(e.Message().contains(u"ZelkinC.rav"_s), qPrintable(e.Message()));
        }
        QFile file(dir.filePath(u"ZelkinC.rav"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"reports": [{"name": "StatReport", "parameters": [], "pages": []}]})");
        file.close();
        TPrintDM dm(f.Dm(), output);
        // A report without the parameters the client sets, and a missing report.
        QVERIFY_THROWS_EXCEPTION(EZKError, dm.ExecuteStat(u"全部"_s));
        TReportProject project;
        QVERIFY_THROWS_EXCEPTION(EZKError, project.Load("{\"reports\": [{\"pages\": [{\"bands\": "
                                                        "[{\"kind\": \"data\"}]}]}]}"));
        QVERIFY_THROWS_EXCEPTION(EZKError, project.Load("not json"));
        QVERIFY_THROWS_EXCEPTION(EZKError, dm.Project().SelectReport(u"TDDReport"_s));
        QCOMPARE(output.Runs, 0);
    }
};

QTEST_MAIN(TestPrintStat)
#include "tst_PrintStat.moc"
