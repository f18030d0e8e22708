// The printed dossier list: the rows are the shown candidates in their order, the texts
// those of the workspace (with the "." mark of major columns), the stored layout, and
// the PDF that comes out.
#include "ReportTestKit.h"
#include "WorkspaceFixture.h"
#include "report/PrintDM.h"
#include "report/PrintLayout.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace reporttest;

namespace {

void AddCandidates(TWorkspaceFixture &f, int count = 3)
{
    for (int i = 1; i <= count; ++i) {
        TFixtureCandidate c{u"K%1"_s.arg(i, 3, 10, QChar(u'0')), u"考生%1"_s.arg(i)};
        c.ZYYTJZCJ = 600.0 + (i * 37) % 50;
        c.ZYDH = {u"01"_s, u"02"_s};
        c.KSZT = i == 1 ? u"1"_s : u"0"_s;
        c.LQZY = i == 1 ? u"01"_s : u" ?"_s;
        c.YTZY = c.LQZY;
        c.Extra.insert(u"SFZH"_s, u"ID%1"_s.arg(i));
        f.AddCandidate(c);
    }
}

// The fields printed by the tests: candidate number, name, admitted major and the
// identity number, which the grid does not show.
void PlaceFields(TWorkspaceFixture &f)
{
    SetPrintPlaces(f, {{u"KSH"_s, 0, 120}, {u"XM"_s, 1, 80}, {u"LQZY"_s, 2, 200}, {u"SFZH"_s, 3, 150}});
}

struct TPrintRun
{
    TKeptReportOutput Output;
    TTddPrintLayout Layout;
    bool Printed = false;
};

void PrintList(TWorkspaceFixture &f, TPrintRun &run, IReportOutput *output = nullptr)
{
    TTddPrintFields fields(f.Dm());
    fields.ReadFields();
    run.Layout = fields.StoredLayout(ReadPrintFonts(f.Univ()), ProposedPrintTitle());
    TPrintDM dm(f.Dm(), output ? *output : run.Output);
    run.Printed = dm.ExecuteTDD(run.Layout, fields);
}

// The data rows of a laid-out list: the texts after the captions, cut into rows.
QList<QStringList> DataRows(const TReportDocument &doc, int columns)
{
    QList<QStringList> rows;
    for (int p = 0; p < doc.PageCount(); ++p) {
        QStringList texts = doc.PageTexts(p);
        const qsizetype header = texts.indexOf(u"身份证号"_s);
        texts = texts.mid(header + 1);
        // The footer's two texts close every page.
        texts.resize(std::max<qsizetype>(0, texts.size() - 2));
        for (qsizetype i = 0; i + columns <= texts.size(); i += columns)
            rows.append(texts.mid(i, columns));
    }
    return rows;
}

} // namespace

class TestPrintTDD : public QObject
{
    Q_OBJECT

private slots:
    void init() { ZKMainDef().Reset(); }

    void printsTheShownCandidatesInTheirOrder()
    {
        TWorkspaceFixture f;
        AddCandidates(f, 5);
        PlaceFields(f);
        f.Open();
        UseBuiltProgramFolder();
        f.Dm().SortKS(f.Dm().ColumnIndexOf(u"ZYYTJZCJ"_s));
        QList<QStringList> expected;
        const int lqzy = f.Dm().ColumnIndexOf(u"LQZY"_s);
        for (const TKSItem *ks : f.Dm().CurrentKSList) {
            const QString major = f.Dm().GetTddFieldStr(ks, f.Dm().ZKColumn[lqzy]);
            const QString number = QString::number(ks->Ksh.mid(1).toInt());
            expected.append({ks->Ksh, u"考生"_s + number, MarkedMajorText(f.Dm().ZKColumn[lqzy], major),
                             u"ID"_s + number});
        }
        QVERIFY(expected.first()[0] != u"K001"_s); // the sort changed the order

        TPrintRun run;
        PrintList(f, run);
        QVERIFY(run.Printed);
        QCOMPARE(run.Layout.Title, u"测试大学测试省考生投档单"_s);
        QCOMPARE(DataRows(run.Output.Document, 4), expected);
        // The admitted candidate's major prints with the mark in place of its wish number.
        QVERIFY(std::any_of(expected.begin(), expected.end(),
                            [](const QStringList &row) { return row[2] == u".计算机科学与技术"_s; }));
        const QStringList first = run.Output.Document.PageTexts(0);
        for (const QString &text : {u"批次:"_s, u"1 本科一批"_s, u"1 理工"_s, u"1 非定向"_s})
            QVERIFY2(first.contains(text), qPrintable(text));

        // The grid's live filter narrows what is printed to the candidates it shows.
        f.Dm().SetKsFilterText(u"ｋ002"_s);
        TPrintRun filtered;
        PrintList(f, filtered);
        QVERIFY(filtered.Printed);
        const auto k002 = std::find_if(expected.cbegin(), expected.cend(),
                                       [](const QStringList &row) { return row[0] == u"K002"_s; });
        QVERIFY(k002 != expected.cend());
        QCOMPARE(DataRows(filtered.Output.Document, 4), QList<QStringList>{*k002});
    }

    void writesAPdfWithTheTitleCaptionsAndOrder()
    {
        TWorkspaceFixture f;
        AddCandidates(f, 4);
        PlaceFields(f);
        f.Open();
        UseBuiltProgramFolder();
        f.Dm().SortKS(f.Dm().ColumnIndexOf(u"ZYYTJZCJ"_s));
        QTemporaryDir dir;
        TPdfReportOutput pdf(dir.filePath(u"list.pdf"_s));
        TPrintRun run;
        PrintList(f, run, &pdf);
        QVERIFY(run.Printed);
        const QString text = PdfText(pdf.FileName());
        QVERIFY2(text.contains(u"测试大学测试省考生投档单"_s), qPrintable(text));
        for (const QString &caption : {u"考生号"_s, u"姓名"_s, u"录取专业"_s, u"身份证号"_s})
            QVERIFY2(text.contains(caption), qPrintable(caption));
        qsizetype last = -1;
        for (const TKSItem *ks : f.Dm().CurrentKSList) {
            const qsizetype at = text.indexOf(ks->Ksh);
            QVERIFY2(at > last, qPrintable(ks->Ksh));
            last = at;
        }
        // pdftotext drops the narrow spaces of the footer.
        QVERIFY2(QString(text).remove(u' ').contains(u"第1页/共1页"_s), qPrintable(text));
        QVERIFY(text.contains(u"ID1"_s));
    }

    void anEmptyListPrintsTheHeaderOnly()
    {
        TWorkspaceFixture f;
        PlaceFields(f);
        f.Open();
        UseBuiltProgramFolder();
        QVERIFY(f.Dm().CurrentKSList.isEmpty());
        QTemporaryDir dir;
        TPdfReportOutput pdf(dir.filePath(u"empty.pdf"_s));
        TPrintRun run;
        PrintList(f, run, &pdf);
        QCOMPARE(pdf.PagesWritten(), 1);
        QCOMPARE(PdfPages(pdf.FileName()), 1);
        const QString text = PdfText(pdf.FileName());
        QVERIFY(text.contains(u"考生号"_s) && text.contains(u"身份证号"_s));
        QVERIFY(!text.contains(u"K00"_s));

        TPrintRun kept;
        PrintList(f, kept);
        QVERIFY(DataRows(kept.Output.Document, 4).isEmpty());
    }

    void longListsRepeatTheHeaderOnEveryPage()
    {
        TWorkspaceFixture f;
        AddCandidates(f, 70);
        PlaceFields(f);
        f.Open();
        UseBuiltProgramFolder();
        TPrintRun run;
        PrintList(f, run);
        const TReportDocument &doc = run.Output.Document;
        QVERIFY(doc.PageCount() >= 3);
        for (int p = 0; p < doc.PageCount(); ++p) {
            const QStringList texts = doc.PageTexts(p);
            const qsizetype header = texts.indexOf(u"考生号"_s);
            QVERIFY2(header >= 0, qPrintable(QString::number(p)));
            QCOMPARE(texts.mid(header, 4),
                     (QStringList{u"考生号"_s, u"姓名"_s, u"录取专业"_s, u"身份证号"_s}));
            QVERIFY(texts.contains(u"第 %1 页 / 共 %2 页"_s.arg(p + 1).arg(doc.PageCount())));
            QCOMPARE(texts.contains(u"测试大学测试省考生投档单"_s), p == 0);
        }
        const QList<QStringList> rows = DataRows(doc, 4);
        QCOMPARE(rows.size(), 70);
        QCOMPARE(rows.first().first(), u"K001"_s);
        QCOMPARE(rows.last().first(), u"K070"_s);
    }

    void parameterTexts_data()
    {
        QTest::addColumn<int>("tddw");
        QTest::addColumn<int>("zy");
        QTest::addColumn<QString>("tddwText");
        QTest::addColumn<QString>("zyText");
        QTest::newRow("all") << -1 << -1 << u"全部"_s << u"全部"_s;
        QTest::newRow("unit and major")
            << 0 << 0 << u"001 一志愿投档          "_s << u"01 计算机科学与技术"_s;
        QTest::newRow("pre-returned") << -1 << 5 << u"全部"_s << u"预退档考生"_s;
        QTest::newRow("undecided") << 1 << 6 << u"002 二志愿投档          "_s << u"未确定专业考生"_s;
    }
    void parameterTexts()
    {
        QFETCH(int, tddw);
        QFETCH(int, zy);
        TWorkspaceFixture f;
        f.Open();
        UseBuiltProgramFolder();
        ZKMainDef().TddwFilter = tddw;
        ZKMainDef().ZyFilter = zy;
        TKeptReportOutput output;
        TPrintDM dm(f.Dm(), output);
        QTEST(dm.TDDWText(), "tddwText");
        QTEST(dm.ZYText(), "zyText");
        QCOMPARE(dm.SetText(TD_PCDM, u"1"_s), u"1 本科一批"_s);
        QVERIFY(QRegularExpression(u"^\\d{4}年[1-9]\\d?月[1-9]\\d?日 [12]?\\d:\\d\\d$"_s)
                    .match(TPrintDM::PrintDateText())
                    .hasMatch());
    }

    void theTitleNamesTheClosedAdmission()
    {
        TWorkspaceFixture f;
        f.Open();
        ZKMainDef().CurZT = 3;
        QCOMPARE(ProposedPrintTitle(), u"测试大学测试省新生录取名册"_s);
        ZKMainDef().CurZT = 2;
        QCOMPARE(ProposedPrintTitle(), u"测试大学测试省考生投档单"_s);
    }

    void markedMajorText_data()
    {
        // Each kind of text a major column shows: only a leading mark becomes ".".
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        QTest::newRow("wish order before the current major") << u"Z"_s << 0 << u"1计算机"_s << u".计算机"_s;
        QTest::newRow("wish order with codes") << u"Z"_s << 0 << u"2 101 01 计算机"_s << u". 101 01 计算机"_s;
        QTest::newRow("current major outside the wishes") << u"Z"_s << 0 << u" 计算机"_s << u" 计算机"_s;
        QTest::newRow("no wish order, with codes") << u"Z"_s << 0 << u"  101 01 计算机"_s << u"  101 01 计算机"_s;
        QTest::newRow("undecided") << u"Z"_s << 0 << u"未定"_s << u"未定"_s;
        QTest::newRow("returned") << u"Z"_s << 0 << u"退档"_s << u"退档"_s;
        QTest::newRow("pre-returned") << u"Z"_s << 0 << u"预退[1计算机]"_s << u"预退[1计算机]"_s;
        QTest::newRow("adjustment text") << u"Z"_s << 1 << u"◆都服从"_s << u".都服从"_s;
        QTest::newRow("first wish's name") << u"Z"_s << 1 << u"计算机"_s << u"计算机"_s;
        QTest::newRow("wish name beginning with a digit") << u"Z"_s << 3 << u"3D设计"_s << u"3D设计"_s;
        QTest::newRow("wish with codes") << u"Z"_s << 2 << u"101 01 计算机"_s << u"101 01 计算机"_s;
        QTest::newRow("proposed major") << u"Z"_s << -1 << u"计算机"_s << u"计算机"_s;
        QTest::newRow("empty") << u"Z"_s << 0 << QString() << QString();
        QTest::newRow("not a major column") << u"S"_s << 0 << u"1计算机"_s << u"1计算机"_s;
    }
    void markedMajorText()
    {
        QFETCH(QString, type);
        QFETCH(int, tag);
        QFETCH(QString, text);
        TZKColumnRec column;
        column.ColType = type.at(0);
        column.Tag = tag;
        QTEST(MarkedMajorText(column, text), "printed");
    }

    void theStoredLayoutOpensAsTheDialogDoes()
    {
        TWorkspaceFixture f;
        SetPrintPlaces(f, {{u"XM"_s, 5, 5}, {u"KSH"_s, 2, 8}, {u"LQZY"_s, 9, 9}, {u"XBDM"_s, -1, 3}});
        f.Exec({u"update t_print_tdd set TitleFontName = \"A\", TitleFontHeight = 30, TableFontName = \"B\", "
                "TableFontHeight = 12, HeaderHeight = 20"_s});
        f.Open();
        TTddPrintFields fields(f.Dm());
        fields.ReadFields();
        QCOMPARE(fields.FieldCount(), TWorkspaceFixture::DefaultColumns().size() + 1);
        const TTddPrintLayout layout = fields.StoredLayout(ReadPrintFonts(f.Univ()), u"T"_s);
        QStringList shown;
        QList<int> widths;
        for (const auto &c : layout.Columns) {
            shown.append(fields.ZKColumn[c.Field].Name);
            widths.append(c.Width);
        }
        QCOMPARE(shown, (QStringList{u"KSH"_s, u"XM"_s, u"LQZY"_s}));
        QCOMPARE(widths, (QList<int>{8, 8, 9}));
        QCOMPARE(layout.TitleFontName, u"A"_s);
        QCOMPARE(layout.TitleFontHeight, 30.0);
        QCOMPARE(layout.TableFontHeight, 12.0);
        QCOMPARE(layout.RowHeight, 20);
    }

    void storingPlacesTouchesTheSetOrEverySet()
    {
        TWorkspaceFixture f;
        f.Exec({u"insert into T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD) "
                "values (\"2\", \"1\", \"1\", \"KSH\", 0, 60, 0, 60)"_s});
        f.Open();
        const QString rows = u"select PCDM, DYWZ, DYKD from T_TDDZDXHKD where ZDDH = \"KSH\" order by PCDM"_s;
        StoreFieldPlaces(f.Univ(), {{u"KSH"_s, 3, 77}}, false);
        QCOMPARE(f.Rows(rows), (QStringList{u"1|3|77"_s, u"2|0|60"_s}));
        StoreFieldPlaces(f.Univ(), {{u"KSH"_s, -1, 90}}, true);
        QCOMPARE(f.Rows(rows), (QStringList{u"1|-1|90"_s, u"2|-1|90"_s}));
    }
};

QTEST_MAIN(TestPrintTDD)
#include "tst_PrintTDD.moc"
