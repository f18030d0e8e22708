// Sorting the shown candidates by every column letter, and every cell text.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct TRow
{
    QString Ksh, Tddw, Kszt, Lqzy, Ytzy;
    QVariant Base, Cj;
    double Bh;
    QString Xm, Xbdm, Tdzy, Tdyydm;
    QVariant Gkcjx01;
    QString Xkkm, Byxx, Cjdj, Zyzytj, Zyhg, Zytjfc;
    QStringList Zydh, Zysx;
    QString Tjjldm = u"1"_s;
    QString Tzdm;
};

// Five candidates whose keys differ column by column.
void AddCandidates(TWorkspaceFixture &f)
{
    const QVariant null;
    const QList<TRow> rows{
        {u"C1"_s,
         u"001"_s,
         u"1"_s,
         u"01"_s,
         u"01"_s,
         600.0,
         650.0,
         3,
         u"Wang"_s,
         u"2"_s,
         u"2"_s,
         u"02"_s,
         80.0,
         u"01"_s,
         u"beta"_s,
         u"b"_s,
         u"1"_s,
         u"1"_s,
         u"11011"_s,
         {u"01"_s, u"02"_s},
         {u"01"_s, u"  "_s, u"02"_s},
         u"1"_s,
         u"AB"_s},
        {u"C2"_s, u"002"_s, u"1"_s, u"03"_s,   u"03"_s, 620.0,        null,       1,
         u"Li"_s, u"1"_s,   u"0"_s, u"01"_s,   null,    u" 01,03 "_s, u"Alpha"_s, u"C"_s,
         u"0"_s,  u"0"_s,   u"1"_s, {u"03"_s}, {},      u"3"_s},
        {u"C3"_s, u"001"_s, u"0"_s, u" ?"_s,   u"02"_s,
         610.0,   640.0,    2,      u"Zhao"_s, u"1"_s,
         u"1"_s,  u"  "_s,  90.0,   u"03"_s,   u"alpha"_s,
         u"a"_s,  u"1"_s,   u"1"_s, u""_s,     {u"02"_s, u"01"_s},
         {}},
        {u"C4"_s, u"001"_s, u"2"_s, u"  "_s, u"  "_s, null,   600.0,  2,          u"An"_s,   u"2"_s, u"A"_s,
         u"03"_s, 70.0,     u""_s,  u""_s,   u"B"_s,  u"1"_s, u"1"_s, u"11111"_s, {u"01"_s}, {}},
        {u"C5"_s,   u"002"_s, u"0"_s, u" ?"_s, u" ?"_s,   590.5,     660.0,
         1,         u"Li"_s,  u"2"_s, u"3"_s,  u"01"_s,   85.0,      u"02,04"_s,
         u"Beta"_s, u"c"_s,   u"1"_s, u"1"_s,  u"0101"_s, {u"03"_s}, {}},
    };
    for (const TRow &r : rows) {
        TFixtureCandidate c{r.Ksh, r.Xm, r.Tddw};
        c.KSZT = r.Kszt;
        c.LQZY = r.Lqzy;
        c.YTZY = r.Ytzy;
        c.ZYYTJZCJ = r.Base;
        c.BH = r.Bh;
        c.XBDM = r.Xbdm;
        c.TDZY = r.Tdzy;
        c.TDYYDM = r.Tdyydm;
        c.ZYZYTJ = r.Zyzytj;
        c.ZYHG = r.Zyhg;
        c.ZYTJFC = r.Zytjfc;
        c.ZYDH = r.Zydh;
        c.ZYSXDM = r.Zysx;
        c.TJJLDM = r.Tjjldm;
        c.Extra = {{u"CJ"_s, r.Cj},     {u"GKCJX01"_s, r.Gkcjx01}, {u"XKKM"_s, r.Xkkm},
                   {u"BYXX"_s, r.Byxx}, {u"CJDJ001"_s, r.Cjdj},    {u"TZDM"_s, r.Tzdm}};
        f.AddCandidate(c);
    }
}

} // namespace

class TestSortAndText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Text orders follow the system locale's collation; the orders below are those of
        // the members' own locale, whatever the locale of the machine running the tests.
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    }

    void sortByEveryLetter_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("expected");
        QTest::newRow("K candidate number") << u"KSH"_s << u"C1 C2 C3 C4 C5"_s;
        QTest::newRow("X name, then number") << u"XM"_s << u"C4 C2 C5 C1 C3"_s;
        QTest::newRow("C code text") << u"XBDM"_s << u"C2 C3 C1 C4 C5"_s;
        QTest::newRow("C binary code column") << u"TDYYDM"_s << u"C3 C2 C5 C1 C4"_s;
        QTest::newRow("C TDZY by wish number, zero last") << u"TDZY"_s << u"C3 C1 C5 C4 C2"_s;
        QTest::newRow("D flag text") << u"ZYZYTJ"_s << u"C2 C1 C3 C4 C5"_s;
        QTest::newRow("Y flag text") << u"ZYHG"_s << u"C2 C1 C3 C4 C5"_s;
        QTest::newRow("S text, case-sensitive") << u"BYXX"_s << u"C4 C3 C2 C1 C5"_s;
        QTest::newRow("A number ascending, null first") << u"CJ"_s << u"C2 C4 C3 C1 C5"_s;
        QTest::newRow("B package number") << u"BH"_s << u"C2 C5 C3 C4 C1"_s;
        QTest::newRow("N unit, number descending, null last") << u"GKCJX01"_s << u"C3 C1 C4 C5 C2"_s;
        QTest::newRow("R text descending ignoring case") << u"CJDJ001"_s << u"C2 C5 C1 C4 C3"_s;
        QTest::newRow("T longer first, then text") << u"XKKM"_s << u"C2 C5 C1 C3 C4"_s;
        QTest::newRow("J base score by unit") << u"ZYYTJZCJ"_s << u"C3 C1 C4 C2 C5"_s;
        QTest::newRow("J other: no sort") << u"ZYYTDXJZCJ"_s << u"C1 C2 C3 C4 C5"_s;
        QTest::newRow("Z current major, then the list's order") << u"LQZY"_s << u"C1 C2 C4 C3 C5"_s;
        QTest::newRow("Z proposed major column sorts the same") << u"YTZY"_s << u"C1 C2 C4 C3 C5"_s;
        QTest::newRow("Z wish 1") << u"ZYDH1"_s << u"C1 C4 C3 C2 C5"_s;
        QTest::newRow("Z wish 2") << u"ZYDH2"_s << u"C3 C1 C2 C4 C5"_s;
        QTest::newRow("F no sort") << u"ZYTJFC"_s << u"C1 C2 C3 C4 C5"_s;
        QTest::newRow("W no sort") << u"TDDW"_s << u"C1 C2 C3 C4 C5"_s;
        QTest::newRow("unknown letter: no sort") << u"QT"_s << u"C1 C2 C3 C4 C5"_s;
    }
    void sortByEveryLetter()
    {
        QFETCH(QString, column);
        QFETCH(QString, expected);
        TWorkspaceFixture f;
        AddCandidates(f);
        f.Open();
        f.Dm().SortKS(0);
        const int c = f.Dm().ColumnIndexOf(column);
        f.Dm().SortKS(c);
        QCOMPARE(f.Shown().join(u' '), expected);
        QCOMPARE(f.Dm().SortColIndex, c);
        QCOMPARE(f.Dm().SortColTag, f.Dm().ZKColumn[c].Tag);
        for (int i = 0; i < f.Dm().CurrentKSList.size(); ++i)
            QCOMPARE(f.Dm().CurrentKSList[i]->KsIndex, i);
        QVERIFY(f.Messages.Messages.isEmpty());
    }

    void aTextInANumberColumnIsASortError()
    {
        TWorkspaceFixture f;
        f.SetColumns({{u"KSH"_s, u"考生号"_s, u""_s, u"K"_s}, {u"BYXX"_s, u"学校"_s, u""_s, u"A"_s}});
        f.AddCandidate({u"C1"_s});
        f.AddCandidate({u"C2"_s, u"x"_s,  u"001"_s, {},     u"0"_s, u" ?"_s,
                        u" ?"_s, 600.0,   {},       u"1"_s, u"1"_s, u"1"_s,
                        u"1"_s,  u"  "_s, {},       {},     {},     {},
                        u"1"_s,  u"0"_s,  1,        {},     u"1"_s, {{u"BYXX"_s, u"abc"_s}}});
        f.Open();
        f.Dm().SortKS(1);
        QCOMPARE(f.Messages.Messages.size(), 1);
        QVERIFY(f.Messages.Messages[0].Text.startsWith(u"考生排序出错。错误："_s));
        QCOMPARE(f.Messages.Messages[0].Caption, u"考生排序"_s);
        QCOMPARE(f.Shown(), (QStringList{u"C1"_s, u"C2"_s}));
    }

    void cellTexts_data()
    {
        QTest::addColumn<QString>("ksh");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("withCodes");
        QTest::newRow("K") << u"C1"_s << u"KSH"_s << u"C1"_s << u"C1"_s;
        QTest::newRow("X") << u"C1"_s << u"XM"_s << u"Wang"_s << u"Wang"_s;
        QTest::newRow("S") << u"C1"_s << u"BYXX"_s << u"beta"_s << u"beta"_s;
        QTest::newRow("A") << u"C1"_s << u"CJ"_s << u"650"_s << u"650"_s;
        QTest::newRow("A null") << u"C2"_s << u"CJ"_s << u""_s << u""_s;
        QTest::newRow("B") << u"C1"_s << u"BH"_s << u"3"_s << u"3"_s;
        QTest::newRow("C name") << u"C1"_s << u"XBDM"_s << u"女"_s << u"2 女"_s;
        QTest::newRow("C binary code") << u"C1"_s << u"TDYYDM"_s << u"体检不合格"_s << u"02 体检不合格"_s;
        QTest::newRow("C code not in the table") << u"C3"_s << u"TDYYDM"_s << u"  "_s << u"  "_s;
        QTest::newRow("C without a code table") << u"C4"_s << u"TDZY"_s << u"A"_s << u"A"_s;
        QTest::newRow("D no") << u"C2"_s << u"ZYZYTJ"_s << u"否"_s << u"0 否"_s;
        QTest::newRow("D yes") << u"C1"_s << u"ZYZYTJ"_s << u"是"_s << u"1 是"_s;
        QTest::newRow("Y yes") << u"C1"_s << u"ZYHG"_s << u"是"_s << u"1 是"_s;
        QTest::newRow("Y no") << u"C2"_s << u"ZYHG"_s << u"否"_s << u"0 否"_s;
        QTest::newRow("F most classes: the exceptions")
            << u"C1"_s << u"ZYTJFC"_s << u"除3外服从"_s << u"除3外服从"_s;
        QTest::newRow("F few classes: the accepted")
            << u"C5"_s << u"ZYTJFC"_s << u"2,4服从"_s << u"2,4服从"_s;
        QTest::newRow("F none") << u"C3"_s << u"ZYTJFC"_s << u"都不服从"_s << u"都不服从"_s;
        QTest::newRow("F all") << u"C4"_s << u"ZYTJFC"_s << u"都服从"_s << u"都服从"_s;
        QTest::newRow("H restrictions") << u"C1"_s << u"ZYSX"_s << u"01,02"_s << u"01,02"_s;
        QTest::newRow("H failed health check") << u"C2"_s << u"ZYSX"_s << u"不合格"_s << u"不合格"_s;
        QTest::newRow("I row number") << u"C3"_s << u"XH"_s << u"3"_s << u"3"_s;
        QTest::newRow("J base score") << u"C5"_s << u"ZYYTJZCJ"_s << u"590.5"_s << u"590.5"_s;
        QTest::newRow("J no score") << u"C4"_s << u"ZYYTJZCJ"_s << u""_s << u""_s;
        QTest::newRow("J adjusted score") << u"C2"_s << u"ZYYTDXJZCJ"_s << u"620"_s << u"620"_s;
        QTest::newRow("N without grades") << u"C1"_s << u"GKCJX01"_s << u"80"_s << u"80"_s;
        QTest::newRow("N null") << u"C2"_s << u"GKCJX01"_s << u""_s << u""_s;
        QTest::newRow("R unknown grade type") << u"C1"_s << u"CJDJ001"_s << u""_s << u""_s;
        QTest::newRow("T score items") << u"C2"_s << u"XKKM"_s << u"语文 物理 "_s << u"01,03 语文 物理 "_s;
        QTest::newRow("T one-character codes")
            << u"C1"_s << u"TZDM"_s << u"优先 定向 "_s << u"AB 优先 定向 "_s;
        QTest::newRow("T empty") << u"C4"_s << u"XKKM"_s << u""_s << u" "_s;
        QTest::newRow("W") << u"C1"_s << u"TDDW"_s << u"一志愿投档"_s << u"001 一志愿投档"_s;
        QTest::newRow("Z current column: wish order and name")
            << u"C1"_s << u"LQZY"_s << u"1计算机科学与技术"_s << u"1 001-01 计算机科学与技术"_s;
        QTest::newRow("Z current column: proposed major, no wish")
            << u"C3"_s << u"LQZY"_s << u" 数学与应用数学"_s << u"  001-02 数学与应用数学"_s;
        QTest::newRow("Z current column: returned") << u"C4"_s << u"LQZY"_s << u"退档"_s << u"退档"_s;
        QTest::newRow("Z current column: undecided") << u"C5"_s << u"LQZY"_s << u"未定"_s << u"未定"_s;
        QTest::newRow("Z proposed column")
            << u"C1"_s << u"YTZY"_s << u"计算机科学与技术"_s << u"001-01 计算机科学与技术"_s;
        QTest::newRow("Z wish") << u"C3"_s << u"ZYDH2"_s << u"计算机科学与技术"_s
                                << u"001-01 计算机科学与技术"_s;
        QTest::newRow("Z empty wish") << u"C4"_s << u"ZYDH2"_s << u""_s << u""_s;
        QTest::newRow("Z wish 1 of an adjusted dossier")
            << u"C2"_s << u"ZYDH1"_s << u"◆1服从"_s << u"◆1服从"_s;
        QTest::newRow("Z wish 2 of an adjusted dossier") << u"C2"_s << u"ZYDH2"_s << u""_s << u""_s;
        QTest::newRow("unknown letter") << u"C1"_s << u"QT"_s << u""_s << u""_s;
    }
    void cellTexts()
    {
        QFETCH(QString, ksh);
        QFETCH(QString, column);
        QFETCH(QString, plain);
        QFETCH(QString, withCodes);
        TWorkspaceFixture f;
        AddCandidates(f);
        f.Open();
        f.Dm().SortKS(0);
        QCOMPARE(f.Cell(ksh, column), plain);
        ZKMainDef().ShowCodes = true;
        QCOMPARE(f.Cell(ksh, column), withCodes);
    }

    void returnedWithAProposedMajor()
    {
        TWorkspaceFixture f;
        TFixtureCandidate c{u"C6"_s};
        c.KSZT = u"2"_s;
        c.LQZY = u"  "_s;
        c.YTZY = u"01"_s;
        c.ZYDH = {u"01"_s};
        f.AddCandidate(c);
        f.Open();
        QCOMPARE(f.Cell(u"C6"_s, u"LQZY"_s), u"预退[ 计算机科学与技术]"_s);
    }

    void gradedTextsAndSorts()
    {
        TWorkspaceFixture f(true);
        f.AddColumn(u"GKCJX03"_s, u"物理"_s, u""_s, u"N"_s);
        f.AddColumn(u"ZYYTDJ"_s, u"等级成绩"_s, u""_s, u"J"_s);
        f.AddColumn(u"ZYYTFJCJ"_s, u"附加"_s, u""_s, u"J"_s);
        auto cand = [&f](const QString &ksh, double base, int rank, const QVariant &physics,
                         const QString &tddw) {
            TFixtureCandidate c{ksh, u"x"_s, tddw};
            c.ZYYTJZCJ = base;
            c.ZYYTFJCJ = 12.5;
            c.Extra = {{u"ZYYTDJPX"_s, rank},    {u"ZYYTDJLX"_s, u"001/C05"_s},
                       {u"ZYYTDJ"_s, u"3/2"_s},  {u"GKCJX03"_s, physics},
                       {u"CJDJ001"_s, u"3;1"_s}, {u"ZYYTFJDJLX"_s, ksh == u"G1"_s ? u"002"_s : u""_s},
                       {u"ZYYTFJDJ"_s, u"0"_s}};
            f.AddCandidate(c);
        };
        cand(u"G1"_s, 600, 2, 3, u"001"_s);
        cand(u"G2"_s, 600, 5, QVariant(), u"001"_s);
        cand(u"G3"_s, 610, 1, 1, u"001"_s);
        f.Open();
        QCOMPARE(f.Cell(u"G1"_s, u"GKCJX03"_s), u"A"_s);
        QCOMPARE(f.Cell(u"G2"_s, u"GKCJX03"_s), u""_s);
        QCOMPARE(f.Cell(u"G1"_s, u"CJDJ001"_s), u"AC"_s);
        QCOMPARE(f.Cell(u"G1"_s, u"ZYYTDJ"_s), u"A,合格"_s);
        QCOMPARE(f.Cell(u"G1"_s, u"ZYYTFJCJ"_s), u"不合格"_s);
        QCOMPARE(f.Cell(u"G2"_s, u"ZYYTFJCJ"_s), u"12.5"_s);
        f.Dm().SortKS(f.Dm().ColumnIndexOf(u"ZYYTJZCJ"_s));
        QCOMPARE(f.Shown(), (QStringList{u"G3"_s, u"G2"_s, u"G1"_s}));
        f.Dm().SortKS(f.Dm().ColumnIndexOf(u"ZYYTDJ"_s));
        QCOMPARE(f.Shown(), (QStringList{u"G2"_s, u"G1"_s, u"G3"_s}));
        f.Dm().SortKS(f.Dm().ColumnIndexOf(u"GKCJX03"_s));
        QCOMPARE(f.Shown(), (QStringList{u"G1"_s, u"G3"_s, u"G2"_s}));
    }

    // A graded item holding a text that is no grade number (damaged data) shows no grade
    // instead of failing the whole row.
    void gradeCellOfANonNumberIsEmpty()
    {
        TWorkspaceFixture f(true);
        f.AddColumn(u"GKCJX05"_s, u"生物"_s, u""_s, u"N"_s);
        TFixtureCandidate c{u"G9"_s, u"x"_s, u"001"_s};
        c.Extra = {{u"GKCJX05"_s, u"缺考"_s}};
        f.AddCandidate(c);
        f.Open();
        QCOMPARE(f.Cell(u"G9"_s, u"GKCJX05"_s), QString());
    }
};

QTEST_GUILESS_MAIN(TestSortAndText)
#include "tst_SortAndText.moc"
