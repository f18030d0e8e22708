// The filters of an open set and their menus, selection, focus and the clipboard.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

TFixtureCandidate Cand(const QString &ksh, const QString &tddw, const QString &kszt, const QString &lqzy,
                       double score)
{
    TFixtureCandidate c{ksh};
    c.TDDW = tddw;
    c.KSZT = kszt;
    c.LQZY = lqzy;
    c.ZYYTJZCJ = score;
    return c;
}

void AddFive(TWorkspaceFixture &f)
{
    f.AddCandidate(Cand(u"K1"_s, u"001"_s, u"1"_s, u"01"_s, 610));
    f.AddCandidate(Cand(u"K2"_s, u"001"_s, u"0"_s, u" ?"_s, 600));
    f.AddCandidate(Cand(u"K3"_s, u"002"_s, u"1"_s, u"03"_s, 590));
    f.AddCandidate(Cand(u"K4"_s, u"002"_s, u"0"_s, u" ?"_s, 580));
    f.AddCandidate(Cand(u"K5"_s, u"001"_s, u"2"_s, u"  "_s, 570));
}

} // namespace

class TestNavigate : public QObject
{
    Q_OBJECT

private slots:
    void majorMenuAndUnitFilter()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        // Majors of other members and the undecided pseudo-major are never listed.
        QCOMPARE(f.View.MenuCaptions(TFolderMenu::ZY),
                 (QStringList{u"所有的专业"_s, u"-"_s, u"01 计算机科学与技术"_s, u"02 数学与应用数学"_s,
                              u"03 物理学"_s, u"05 生物科学"_s, u"-"_s, u"预退档考生"_s}));
        QCOMPARE(f.View.Menus[TFolderMenu::ZY][7].Tag, 4);
        QCOMPARE(f.Dm().Jh(3)->JhIndex, -1);
        QCOMPARE(f.Dm().Jh(6)->JhIndex, -1);
        QCOMPARE(f.Dm().Jh(5)->JhIndex, 4);
        QCOMPARE(f.Dm().CurrentJhList.size(), 5);
        QCOMPARE(f.Panel.UpdateAlls, 1);

        f.Dm().TDDWMenuItemClick(1);
        QCOMPARE(ZKMainDef().TddwFilter, 1);
        QCOMPARE(f.View.Buttons[TFolderButton::TDDW], u"002 二志愿投档"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::ZY], u"二志愿投档的所有专业"_s);
        QCOMPARE(f.View.MenuCaptions(TFolderMenu::ZY),
                 (QStringList{u"二志愿投档的所有专业"_s, u"-"_s, u"03 物理学"_s, u"-"_s, u"预退档考生"_s}));
        QCOMPARE(f.Shown(), (QStringList{u"K3"_s, u"K4"_s}));
        QCOMPARE(f.Grid.Rows, 2);
        QCOMPARE(f.Grid.Focused, 0);
        QCOMPARE(f.Dm().KsTable[0]->KsIndex, -1);
        f.Dm().TDDWMenuItemClick(-1);
        QCOMPARE(f.Shown().size(), 5);
    }

    void majorFilter()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        f.Dm().ZYMenuItemClick(0);
        QCOMPARE(ZKMainDef().ZyFilter, 0);
        QCOMPARE(f.View.Buttons[TFolderButton::ZY], u"01 计算机科学与技术"_s);
        QCOMPARE(f.Shown(), QStringList{u"K1"_s});
        f.Dm().ZYMenuItemClick(4);
        QCOMPARE(ZKMainDef().ZyFilter, 5);
        QCOMPARE(f.View.Buttons[TFolderButton::ZY], u"预退档考生"_s);
        QCOMPARE(f.Shown(), QStringList{u"K5"_s});
        f.Dm().ChangeZyFilter(6);
        QCOMPARE(f.View.Buttons[TFolderButton::ZY], u"未确定专业考生"_s);
        QCOMPARE(f.Shown(), (QStringList{u"K2"_s, u"K4"_s}));
        // A unit filter under which the chosen major is not listed drops the major filter.
        f.Dm().ZYMenuItemClick(0);
        f.Dm().TDDWMenuItemClick(1);
        QCOMPARE(ZKMainDef().ZyFilter, -1);
        QCOMPARE(f.Shown(), (QStringList{u"K3"_s, u"K4"_s}));
    }

    void longMajorMenusBreakIntoColumns()
    {
        TWorkspaceFixture f;
        for (int i = 10; i < 40; ++i) {
            f.Exec({u"insert into T_JHK values (\"1\", \"1\", \"1\", \"001\", \"%1\", \"\", "
                    "\"一个名字非常非常长的专业名称用来测试截断到二十个字\", \"1\", 1, \"4\", \"member1\", "
                    "\"\", \"\", \"\", "
                    "\"\")"_s.arg(i)});
        }
        f.Open();
        const QList<TMenuItemRec> &menu = f.View.Menus[TFolderMenu::ZY];
        QCOMPARE(menu.size(), 2 + 34 + 2);
        QCOMPARE(menu[27].Break, true);
        QCOMPARE(std::count_if(menu.begin(), menu.end(), [](const TMenuItemRec &m) { return m.Break; }), 1);
        QCOMPARE(menu[6].Caption, u"10 一个名字非常非常长的专业名称用来测试截断"_s);
    }

    void makeKsVisible()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        f.Dm().ZYMenuItemClick(0);
        // Hidden by the major filter: the filter follows the candidate's major.
        f.Dm().MakeKSVisible(u" K2 "_s);
        QCOMPARE(ZKMainDef().ZyFilter, 6);
        QCOMPARE(f.Shown(), (QStringList{u"K2"_s, u"K4"_s}));
        QCOMPARE(f.Grid.Focused, 0);
        QCOMPARE(f.Grid.SelectedRows(), QList<int>{0});
        // Hidden by the unit filter, no major filter: the unit changes, the major filter stays off.
        f.Dm().ChangeZyFilter(-1);
        f.Dm().TDDWMenuItemClick(1);
        f.Dm().MakeKSVisible(u"K5"_s);
        QCOMPARE(ZKMainDef().TddwFilter, 0);
        QCOMPARE(ZKMainDef().ZyFilter, -1);
        QCOMPARE(f.View.Buttons[TFolderButton::TDDW], u"001 一志愿投档"_s);
        QCOMPARE(f.Grid.Focused, f.Ks(u"K5"_s)->KsIndex);
        // Shown already: only the focus moves.
        f.Dm().MakeKSVisible(u"K1"_s);
        QCOMPARE(ZKMainDef().TddwFilter, 0);
        QCOMPARE(f.Grid.Focused, f.Ks(u"K1"_s)->KsIndex);
        f.Dm().MakeKSVisible(u"nobody"_s);
        QCOMPARE(f.Grid.Focused, f.Ks(u"K1"_s)->KsIndex);
    }

    void selectionAndClipboard()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        f.Dm().CopyKshToClipboard();
        QCOMPARE(f.Clipboard.Text, u"K1"_s); // the first row is selected at opening
        f.Grid.ClearSelection();
        f.Dm().CopyKshToClipboard();
        QCOMPARE(f.Clipboard.Count, 1);
        // Rows in row order; the selected list by candidate number.
        f.Dm().SortKS(f.Dm().ColumnIndexOf(u"ZYYTJZCJ"_s)); // unit, then score
        QCOMPARE(f.Shown(), (QStringList{u"K1"_s, u"K2"_s, u"K5"_s, u"K3"_s, u"K4"_s}));
        f.Select({u"K4"_s, u"K2"_s, u"K5"_s});
        f.Dm().CopyKshToClipboard();
        QCOMPARE(f.Clipboard.Text, u"K2\r\nK5\r\nK4"_s);
        f.Dm().SetSelectedKsList(true);
        QCOMPARE(f.Dm().SelectedKsList.size(), 3);
        QCOMPARE(f.Dm().SelectedKsList[0]->Ksh, u"K2"_s);
        QCOMPARE(f.Dm().SelectedKsList[2]->Ksh, u"K5"_s);
        QCOMPARE(f.Dm().FocusedKsItem->Ksh, u"K4"_s);
        // After a new order the same candidates are selected where they now stand.
        f.Dm().SortKS(0);
        f.Dm().SetSelectedListItem();
        QCOMPARE(f.Grid.SelectedRows(), (QList<int>{1, 3, 4}));
        QCOMPARE(f.Grid.Focused, 3);
        // A filter that hides the focused candidate leaves no focus.
        f.Dm().TDDWMenuItemClick(0);
        f.Dm().SetSelectedListItem();
        QCOMPARE(f.Grid.SelectedRows(), (QList<int>{1, 2}));
        QCOMPARE(f.Grid.Focused, -1);
    }

    void gotoKs()
    {
        TWorkspaceFixture f;
        AddFive(f);
        f.Open();
        f.Dm().LQGridTableGotoKs(f.Ks(u"K3"_s));
        QCOMPARE(f.Dm().LQGridQuery.RecNo(), 3);
        QCOMPARE(f.Dm().LQGridQuery.FieldByName(u"KSH").AsString(), u"K3"_s);
        try {
            f.Dm().LQGridTableGotoKs(nullptr);
            QFAIL("no error");
        } catch (const EZKError &e) {
            QVERIFY(e.Message().startsWith(u"(LQGridTableGotoKs) "_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestNavigate)
#include "tst_Navigate.moc"
