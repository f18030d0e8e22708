// The banded layout on small definitions: page breaks, repeated headers, page numbers,
// captions kept with their table, alternative rows and missing connections.
#include "report/ReportConnection.h"
#include "report/ReportDefinition.h"
#include "report/ReportDocument.h"
#include "store/ZKError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// An A4 page cut to about 3 inches by its bottom margin, with a 0.5-inch footer: a little
// more than 1.5 inches of bands.
const char *const SmallReport = R"({"reports": [{"name": "R", "parameters": ["P"], "pages": [{
  "name": "R.Page", "paper": "A4", "margins": [0.5, 0.5, 0.5, 9.18],
  "bands": [
    {"name": "Title", "kind": "title", "height": 0.5,
     "items": [{"kind": "text", "param": "P", "height": 0.5}]},
    {"name": "Caption", "kind": "summary", "height": 0.25,
     "items": [{"kind": "text", "text": "表一", "height": 0.25}]},
    {"name": "Head", "kind": "header", "height": 0.25,
     "items": [{"kind": "rect", "width": 1, "height": 0.25},
               {"kind": "text", "text": "列", "height": 0.25}]},
    {"name": "Rows", "kind": "data", "height": 0.25, "connection": "C", "altField": "xm",
     "items": [{"kind": "text", "field": "v", "height": 0.25}],
     "altItems": [{"kind": "text", "field": "xm", "height": 0.25}]},
    {"name": "Foot", "kind": "pagefooter", "height": 0.5,
     "items": [{"kind": "text", "text": "{PAGE}/{PAGES}", "height": 0.5}]}]}]}]})";

// Rows with the field v, and a row with xm set at the given position.
class TRows : public IReportConnection
{
public:
    TRows(int count, int altAt = -1)
        : FCount(count)
        , FAltAt(altAt)
    {}
    void Open() override { ++Opens; }
    void First() override { FRow = 0; }
    void Next() override { ++FRow; }
    bool Eof() const override { return FRow >= FCount; }
    void GetRow(QHash<QString, QString> &fields) override
    {
        fields.clear();
        fields.insert(u"v"_s, u"行%1"_s.arg(FRow + 1));
        if (FRow == FAltAt)
            fields.insert(u"xm"_s, u"小计"_s);
    }
    void Restore() override { ++Restores; }
    int Opens = 0, Restores = 0;

private:
    int FCount, FAltAt, FRow = 0;
};

TReportDocument LayOut(TReportProject &project, IReportConnection &rows)
{
    TReportDef &report = project.SelectReport(u"R"_s);
    report.SetParam(u"P"_s, u"标题"_s);
    return LayOutReport(report, {{u"C"_s, &rows}});
}

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void breaksPagesAndRepeatsTheHeader()
    {
        TReportProject project;
        project.Load(SmallReport);
        TRows rows(5, 2);
        const TReportDocument doc = LayOut(project, rows);
        // Page 1: title, caption, header and 2 rows fill 1.5 inches; then 5 rows of 0.25
        // after a repeated header each page. The third row has its own caption and fills
        // its column too: both lines print, the caption first, on one page.
        QCOMPARE(doc.PageCount(), 2);
        QCOMPARE(doc.PageTexts(0),
                 (QStringList{u"标题"_s, u"表一"_s, u"列"_s, u"行1"_s, u"行2"_s, u"1/2"_s}));
        QCOMPARE(doc.PageTexts(1),
                 (QStringList{u"列"_s, u"小计"_s, u"行3"_s, u"行4"_s, u"行5"_s, u"2/2"_s}));
        QCOMPARE(rows.Opens, 1);
        QCOMPARE(rows.Restores, 1);
    }

    void aCaptionMovesWithItsFirstRow()
    {
        TReportProject project;
        project.Load(SmallReport);
        // A title of 1.25 inches leaves room for the caption but not for the header and a row.
        project.SelectReport(u"R"_s).Pages.front()->Bands.front()->Height = 1.25;
        TRows rows(1);
        const TReportDocument doc = LayOut(project, rows);
        QCOMPARE(doc.PageCount(), 2);
        QCOMPARE(doc.PageTexts(0), (QStringList{u"标题"_s, u"1/2"_s}));
        QCOMPARE(doc.PageTexts(1), (QStringList{u"表一"_s, u"列"_s, u"行1"_s, u"2/2"_s}));
    }

    void noRowsStillPrintTheHeader()
    {
        TReportProject project;
        project.Load(SmallReport);
        TRows rows(0);
        const TReportDocument doc = LayOut(project, rows);
        QCOMPARE(doc.PageCount(), 1);
        QCOMPARE(doc.PageTexts(0), (QStringList{u"标题"_s, u"表一"_s, u"列"_s, u"1/1"_s}));
    }

    void refusesWhatTheReportLacks()
    {
        TReportProject project;
        project.Load(SmallReport);
        TReportDef &report = project.SelectReport(u"R"_s);
        QVERIFY_THROWS_EXCEPTION(EZKError, report.SetParam(u"Q"_s, u"x"_s));
        QVERIFY_THROWS_EXCEPTION(EZKError, LayOutReport(report, {}));
        QVERIFY_THROWS_EXCEPTION(EZKError, project.SelectReport(u"S"_s));
        QVERIFY_THROWS_EXCEPTION(EZKError,
                                 project.Load(R"({"reports": [{"pages": [{"bands": [{"kind": "odd"}]}]}]})"));
    }
};

QTEST_GUILESS_MAIN(TestReportEngine)
#include "tst_ReportEngine.moc"
