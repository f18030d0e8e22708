// The live filter of the candidate grid: the matching rule, the narrowing as the member
// types, and the shown list of an open set narrowed by it.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"
#include "workspace/CandidateFilter.h"

#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

TFixtureCandidate Cand(const QString &ksh, const QString &xm, const QString &school, const QString &tddw,
                       double score)
{
    TFixtureCandidate c{ksh};
    c.XM = xm;
    c.TDDW = tddw;
    c.ZYYTJZCJ = score;
    c.Extra[u"BYXX"_s] = school;
    return c;
}

// Five candidates in number order F1..F5; F2 is pre-admitted to 01, F4 pre-returned
// for reason 01 ("专业不录取"), F5 pre-admitted to 03.
void AddFive(TWorkspaceFixture &f)
{
    f.AddCandidate(Cand(u"26110100000001"_s, u"张三"_s, u"北京市第一中学"_s, u"001"_s, 600));
    TFixtureCandidate f2 = Cand(u"26110100000002"_s, u"李四"_s, u"第１２中学"_s, u"001"_s, 610);
    f2.KSZT = u"1"_s;
    f2.LQZY = f2.YTZY = u"01"_s;
    f.AddCandidate(f2);
    f.AddCandidate(Cand(u"26110100000003"_s, u"张四"_s, u"ABC School"_s, u"002"_s, 590));
    TFixtureCandidate f4 = Cand(u"26110100000004"_s, u"王五"_s, u"北京市第一中学"_s, u"001"_s, 580);
    f4.KSZT = u"2"_s;
    f4.LQZY = u"  "_s;
    f4.TDYYDM = u"01"_s;
    f.AddCandidate(f4);
    TFixtureCandidate f5 = Cand(u"26110100000005"_s, u"赵六"_s, u"abc school"_s, u"002"_s, 570);
    f5.KSZT = u"1"_s;
    f5.LQZY = f5.YTZY = u"03"_s;
    f.AddCandidate(f5);
}

QString F(int n)
{
    return u"2611010000000%1"_s.arg(n);
}

QStringList Fs(std::initializer_list<int> ns)
{
    QStringList kshs;
    for (const int n : ns)
        kshs.append(F(n));
    return kshs;
}

} // namespace

class TestCandidateFilter : public QObject
{
    Q_OBJECT

private slots:
    void theRule_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        const QStringList row{u"26110100000001"_s, u"张三"_s, u"北京市第一中学"_s, u"602.5"_s, u"预退[1计算机]"_s};
        QTest::newRow("no text") << row << QString() << true;
        QTest::newRow("blanks only") << row << u" \t　"_s << true;
        QTest::newRow("a part of a name") << row << u"三"_s << true;
        QTest::newRow("a part of a number") << row << u"0000001"_s << true;
        QTest::newRow("a score") << row << u"602.5"_s << true;
        QTest::newRow("nowhere") << row << u"李"_s << false;
        QTest::newRow("two terms in two cells") << row << u"张 北京"_s << true;
        QTest::newRow("order of terms") << row << u"北京  张"_s << true;
        QTest::newRow("one of two terms missing") << row << u"张 上海"_s << false;
        QTest::newRow("ideographic space separates") << row << u"张三　第一"_s << true;
        QTest::newRow("a term does not span two cells") << row << u"张三北京"_s << false;
        QTest::newRow("brackets in a cell") << row << u"[1计"_s << true;
        QTest::newRow("upper case text, lower case cell") << QStringList{u"abc school"_s} << u"ABC"_s << true;
        QTest::newRow("lower case text, upper case cell") << QStringList{u"ABC School"_s} << u"school"_s
                                                          << true;
        QTest::newRow("full-width text") << QStringList{u"No.12 ab"_s} << u"ＮＯ．１２"_s << true;
        QTest::newRow("full-width cell") << QStringList{u"第１２中学"_s} << u"第12中"_s << true;
        QTest::newRow("full-width brackets") << QStringList{u"（理科）"_s} << u"(理"_s << true;
        QTest::newRow("half-width katakana") << QStringList{u"ｶﾀｶﾅ"_s} << u"カタカナ"_s << true;
        QTest::newRow("Greek case") << QStringList{u"ΣΟΦΊΑ"_s} << u"σοφία"_s << true;
        QTest::newRow("digits are not letters") << QStringList{u"第一中学"_s} << u"1"_s << false;
        QTest::newRow("empty cells") << QStringList{QString(), QString()} << u"a"_s << false;
    }

    void theRule()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(TCandidateFilter::Matches(TCandidateFilter::JoinedCells(cells), TCandidateFilter::Terms(text)),
                 matches);
    }

    // Typing on, deleting and replacing terms give what the rule gives for every candidate;
    // each candidate's texts are made once until they are forgotten.
    void narrowsAsTheMemberTypes()
    {
        QList<QStringList> cells = {{u"zhang"_s, u"1中"_s}, {u"zhao"_s, u"2中"_s}, {u"li"_s, u"zha 1中"_s},
                                    {u"ZHANG LI"_s, u"3中"_s}, {u"wang"_s, u"1中"_s}, {QString(), QString()}};
        std::vector<std::unique_ptr<TKSItem>> items;
        QList<TKSItem *> base;
        for (int i = 0; i < cells.size(); ++i) {
            items.push_back(std::make_unique<TKSItem>());
            items.back()->KsId = i;
            base.prepend(items.back().get()); // the list's order is not the KsId order
        }
        int made = 0;
        auto maker = [&](const TKSItem *k) {
            ++made;
            return TCandidateFilter::JoinedCells(cells[k->KsId]);
        };
        TCandidateFilter filter;
        QCOMPARE(filter.Narrow(base, maker), base);
        for (const QString &text : {u"z"_s, u"zh"_s, u"zha"_s, u"zhan"_s, u"zha"_s, u"zha 1"_s, u"zha 1中"_s,
                                    u"1中 zha"_s, u"1中"_s, u"ZHANG LI"_s, u"  "_s, u"a"_s, u"an"_s}) {
            filter.SetText(text);
            QList<TKSItem *> expected;
            for (TKSItem *k : std::as_const(base)) {
                if (TCandidateFilter::Matches(TCandidateFilter::JoinedCells(cells[k->KsId]),
                                              TCandidateFilter::Terms(text)))
                    expected.append(k);
            }
            QCOMPARE(filter.Narrow(base, maker), expected);
        }
        QCOMPARE(made, int(cells.size()));
        QCOMPARE(filter.KeptTexts(), int(cells.size()));

        // A forgotten candidate is looked at again with its new texts.
        filter.SetText(u"wang"_s);
        QCOMPARE(filter.Narrow(base, maker), QList<TKSItem *>{items[4].get()});
        cells[1] = {u"wang"_s};
        filter.ForgetTexts(items[1].get());
        QCOMPARE(filter.Narrow(base, maker), (QList<TKSItem *>{items[4].get(), items[1].get()}));
        QCOMPARE(made, int(cells.size()) + 1);
        filter.ForgetTexts();
        QCOMPARE(filter.KeptTexts(), 0);
    }

    void narrowsTheShownListWithinUnitAndMajor()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        TMainDM &dm = f.Dm();
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数5"_s);

        dm.SetKsFilterText(u"张"_s);
        QCOMPARE(f.Shown(), Fs({1, 3}));
        QCOMPARE(f.Grid.Rows, 2);
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数2/5"_s);
        QCOMPARE(f.Ks(F(2))->KsIndex, -1);
        QCOMPARE(f.Ks(F(3))->KsIndex, 1);
        QCOMPARE(f.Cell(F(3), u"XH"_s), u"2"_s); // the row number of the narrowed list

        dm.SetKsFilterText(u"张 北京"_s);
        QCOMPARE(f.Shown(), Fs({1}));
        dm.SetKsFilterText(u"Ｓｃｈｏｏｌ"_s);
        QCOMPARE(f.Shown(), Fs({3, 5}));
        dm.SetKsFilterText(u"第12中"_s);
        QCOMPARE(f.Shown(), Fs({2}));

        // Inside the unit and major narrowing, which keeps the filter when it changes.
        dm.SetKsFilterText(u"北京"_s);
        QCOMPARE(f.Shown(), Fs({1, 4}));
        dm.ZYMenuItemClick(4); // the returned pseudo-major
        QCOMPARE(f.Shown(), Fs({4}));
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数1/5"_s);
        dm.ZYMenuItemClick(-1);
        dm.TDDWMenuItemClick(1);
        QVERIFY(f.Shown().isEmpty());
        QCOMPARE(f.Grid.Rows, 0);
        dm.SetKsFilterText(u"school"_s);
        QCOMPARE(f.Shown(), Fs({3, 5}));

        // Copying numbers takes the shown rows.
        f.Select(Fs({3, 5}));
        dm.CopyKshToClipboard();
        QCOMPARE(f.Clipboard.Text, Fs({3, 5}).join(u"\r\n"_s));

        dm.TDDWMenuItemClick(-1);
        dm.SetKsFilterText(u"  "_s);
        QCOMPARE(f.Shown(), Fs({1, 2, 3, 4, 5}));
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数5"_s);
        QVERIFY(!dm.IsKsFilterActive());
    }

    void keepsTheSelectionAndTheFocusedCandidate()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        TMainDM &dm = f.Dm();
        f.Select(Fs({3, 5}));
        dm.SetKsFilterText(u"张"_s);
        QCOMPARE(f.Grid.FocusedRow(), f.Ks(F(3))->KsIndex);
        QCOMPARE(f.Grid.SelectedRows(), QList<int>{1});
        dm.SetKsFilterText(QString());
        QCOMPARE(f.Shown().size(), 5);
        QCOMPARE(f.Grid.FocusedRow(), 2);
        QCOMPARE(f.Grid.SelectedRows(), QList<int>{2});

        // A focused candidate that the filter hides gives the focus to the first shown one.
        f.Select(Fs({2}));
        dm.SetKsFilterText(u"张"_s);
        QCOMPARE(f.Grid.FocusedRow(), 0);
        QCOMPARE(f.Grid.SelectedRows(), QList<int>{0});
        dm.SetKsFilterText(u"nobody"_s);
        QCOMPARE(f.Grid.FocusedRow(), -1);
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数0/5"_s);
    }

    void sortsTheWholeListWhileNarrowed()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        TMainDM &dm = f.Dm();
        dm.SetKsFilterText(u"中学"_s);
        QCOMPARE(f.Shown(), Fs({1, 2, 4}));
        dm.SortKS(dm.ColumnIndexOf(u"ZYYTJZCJ"_s));
        QCOMPARE(f.Shown(), Fs({2, 1, 4}));
        QCOMPARE(f.Ks(F(3))->KsIndex, -1);
        dm.SetKsFilterText(QString());
        QCOMPARE(f.Shown(), Fs({2, 1, 4, 3, 5})); // by unit, then score
    }

    // A decision changes the candidate's texts: the filter reads them anew.
    void followsDecisions()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        TMainDM &dm = f.Dm();
        dm.SetKsFilterText(u"专业不录取"_s);
        QCOMPARE(f.Shown(), Fs({4}));
        dm.SetKsFilterText(u"张"_s);
        f.Select(Fs({1}));
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = {true, false, 0, QString()}; // pre-return for reason 01
        TChangeLQZTForm(dm, dialog).Execute();
        QCOMPARE(f.Cell(F(1), u"TDYYDM"_s), u"专业不录取"_s);
        dm.SetKsFilterText(u"专业不录取"_s);
        QCOMPARE(f.Shown(), Fs({1, 4}));
    }

    void findingAHiddenCandidateClearsTheFilter()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        TMainDM &dm = f.Dm();
        dm.SetKsFilterText(u"张"_s);
        dm.MakeKSVisible(F(3)); // shown: the filter stays
        QVERIFY(f.View.FilterTexts.isEmpty());
        QCOMPARE(f.Grid.FocusedRow(), 1);
        dm.MakeKSVisible(F(5));
        QCOMPARE(f.View.FilterTexts, QStringList{QString()});
        QVERIFY(dm.KsFilterText().isEmpty());
        QCOMPARE(f.Shown().size(), 5);
        QCOMPARE(f.Grid.FocusedRow(), f.Ks(F(5))->KsIndex);
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数5"_s);
    }

    // The filter outlives the set: a reload (or another set) opens narrowed.
    void narrowsTheNextSetOpened()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        TMainDM &dm = f.Dm();
        dm.SetKsFilterText(u"张"_s);
        dm.CloseTDD();
        QCOMPARE(dm.KsFilterText(), u"张"_s);
        f.Exec({u"update T_TDD set XM = \"张五\" where KSH = \"%1\""_s.arg(F(5))});
        QCOMPARE(dm.OpenTDD(), 0);
        QCOMPARE(f.Shown(), Fs({1, 3, 5}));
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数3/5"_s);
        QCOMPARE(f.Grid.FocusedRow(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCandidateFilter)
#include "tst_CandidateFilter.moc"
