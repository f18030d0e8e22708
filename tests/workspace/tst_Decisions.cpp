// Pre-admitting and pre-returning candidates through the status dialog's logic.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

TFixtureCandidate Cand(const QString &ksh, const QString &kszt, const QString &lqzy, const QString &ytzy,
                       double score, const QStringList &wishes = {})
{
    TFixtureCandidate c{ksh};
    c.KSZT = kszt;
    c.LQZY = lqzy;
    c.YTZY = ytzy;
    c.ZYYTJZCJ = score;
    c.ZYDH = wishes;
    return c;
}

// D1, D2 undecided with proposed majors 01 and 02; D3 pre-admitted to 01; D4 returned
// with a reason and a remark; D5 and D6 undecided with a proposed major that stands for
// a pseudo-major (returned, and a code the unit lacks).
void AddSix(TWorkspaceFixture &f)
{
    f.AddCandidate(Cand(u"D1"_s, u"0"_s, u" ?"_s, u"01"_s, 600, {u"01"_s}));
    f.AddCandidate(Cand(u"D2"_s, u"0"_s, u" ?"_s, u"02"_s, 610, {u"02"_s}));
    f.AddCandidate(Cand(u"D3"_s, u"1"_s, u"01"_s, u"01"_s, 620, {u"01"_s}));
    TFixtureCandidate d4 = Cand(u"D4"_s, u"2"_s, u"  "_s, u"01"_s, 630);
    d4.TDYYDM = u"02"_s;
    d4.BZ = u"原备注"_s;
    d4.ZYZYTJ = u"0"_s;
    f.AddCandidate(d4);
    f.AddCandidate(Cand(u"D5"_s, u"0"_s, u" ?"_s, u"  "_s, 590));
    f.AddCandidate(Cand(u"D6"_s, u"0"_s, u" ?"_s, u"09"_s, 580));
}

TChangeLQZTAnswer Ok(bool preAdmit, int reason = 0, const QString &remark = {})
{
    return {true, preAdmit, reason, remark};
}

QString TddRow(TWorkspaceFixture &f, const QString &ksh)
{
    return f.Rows(u"select KSZT, LQZY, TDYYDM, BZ from T_TDD where KSH = \"%1\""_s.arg(ksh)).value(0);
}

} // namespace

class TestDecisions : public QObject
{
    Q_OBJECT

private slots:
    void preparesTheDialogForOneCandidate()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D4"_s});
        form.Execute();
        QCOMPARE(dialog.Shown.size(), 1);
        const TChangeLQZTValues &v = dialog.Shown[0];
        QCOMPARE(v.KSHLabel, u"考生号: D4"_s);
        QCOMPARE(v.XMLabel, u"姓名: 考生"_s);
        QCOMPARE(v.ScoreLabel, u"基准成绩: 630"_s);
        QCOMPARE(v.ZydpLabel, u"专业调剂: 不允许"_s);
        QCOMPARE(v.LQRadioCaption, u"预录取，专业: 01 - 计算机科学与技术"_s);
        QVERIFY(v.LQRadioAtLabels);
        QVERIFY(v.TDRadioChecked);
        QCOMPARE(v.TDYYLines, (QStringList{u"01 专业不录取"_s, u"02 体检不合格"_s, u"03 其他"_s}));
        QCOMPARE(v.TDYYIndex, 1);
        QCOMPARE(v.Remark, u"原备注"_s);
        // An undecided candidate: pre-admit chosen, the first reason, the proposed pseudo-major.
        f.Select({u"D5"_s});
        form.Execute();
        const TChangeLQZTValues &w = dialog.Shown[1];
        QVERIFY(!w.TDRadioChecked);
        QCOMPARE(w.TDYYIndex, 0);
        QCOMPARE(w.Remark, QString());
        QCOMPARE(w.ZydpLabel, u"专业调剂: 允许"_s);
        QCOMPARE(w.LQRadioCaption, u"预录取，专业:    - "_s);
    }

    void preparesTheDialogForSeveralAndCancelWritesNothing()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D4"_s, u"D1"_s});
        dialog.Answer = {false, false, 2, u"x"_s};
        form.Execute();
        const TChangeLQZTValues &v = dialog.Shown[0];
        QVERIFY(v.KSHLabel.isEmpty() && v.XMLabel.isEmpty() && v.ScoreLabel.isEmpty() &&
                v.ZydpLabel.isEmpty());
        QCOMPARE(v.LQRadioCaption, u"预录取"_s);
        QVERIFY(!v.LQRadioAtLabels);
        QVERIFY(!v.TDRadioChecked);
        QCOMPARE(v.TDYYIndex, 0);
        QCOMPARE(v.Remark, QString());
        QCOMPARE(TddRow(f, u"D1"_s), u"0| ?|  |"_s);
        QCOMPARE(TddRow(f, u"D4"_s), u"2|  |02|原备注"_s);
        // Without a selected row the dialog does not show.
        f.Grid.ClearSelection();
        form.Execute();
        QCOMPARE(dialog.Shown.size(), 1);
    }

    void preAdmitsSeveralCandidates()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D2"_s, u"D1"_s, u"D3"_s});
        f.Panel.Updated.clear();
        form.Execute();
        // Each candidate gets its own proposed major, in the database and in the model.
        QCOMPARE(TddRow(f, u"D1"_s), u"1|01||"_s);
        QCOMPARE(TddRow(f, u"D2"_s), u"1|02||"_s);
        QCOMPARE(TddRow(f, u"D3"_s), u"1|01||"_s);
        QCOMPARE(f.InMajor(0), (QStringList{u"D3"_s, u"D1"_s}));
        QCOMPARE(f.InMajor(1), QStringList{u"D2"_s});
        QCOMPARE(f.InMajor(6), (QStringList{u"D5"_s, u"D6"_s}));
        QCOMPARE(f.Ks(u"D1"_s)->KsZt, 1);
        QCOMPARE(f.Ks(u"D1"_s)->ZyXh, 1);
        QCOMPARE(f.Dm().QueryText(f.Ks(u"D1"_s), f.Dm().TDYYDMField), QString());
        // The changed majors' statistics and panel lines, the count, the selection.
        QCOMPARE(f.Dm().Jh(0)->MaxScore, 620.0);
        QCOMPARE(f.Dm().Jh(0)->MinScore, 600.0);
        QCOMPARE(f.Dm().Jh(0)->AveScore, 610.0);
        QVERIFY(f.Panel.Updated.contains(0) && f.Panel.Updated.contains(1));
        QCOMPARE(f.View.Panels[ZKStatusPanel::YlCount], u"已录数3"_s);
        QCOMPARE(f.Grid.SelectedRows().size(), 3);
        f.Dm().SetSelectedKsList(true);
        QCOMPARE(f.Dm().SelectedKsList[0]->Ksh, u"D1"_s);
        QCOMPARE(f.Dm().SelectedKsList[2]->Ksh, u"D3"_s);
    }

    void preReturnsIntoTheReturnedList()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(false, 2, u"分数不够"_s + QString(300, u'x'));
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D3"_s});
        f.Panel.Updated.clear();
        form.Execute();
        QCOMPARE(TddRow(f, u"D3"_s), u"2||03|分数不够"_s + QString(250, u'x'));
        QCOMPARE(f.InMajor(0), QStringList());
        // The returned list keeps the pseudo-major order: score, then number.
        QCOMPARE(f.InMajor(5), (QStringList{u"D4"_s, u"D3"_s}));
        QCOMPARE(f.Ks(u"D3"_s)->KsZt, 2);
        QCOMPARE(f.Ks(u"D3"_s)->LqZyId, 5);
        QCOMPARE(f.Dm().QueryText(f.Ks(u"D3"_s), f.Dm().TDYYDMField), u"03"_s);
        QCOMPARE(f.Dm().Jh(0)->MaxScore, 620.0); // an emptied major keeps its figures
        QVERIFY(f.Panel.Updated.contains(0) && f.Panel.Updated.contains(f.Dm().Jh(5)->JhIndex));
        QCOMPARE(f.View.Panels[ZKStatusPanel::YlCount], u"已录数0"_s);
        QCOMPARE(f.Cell(u"D3"_s, u"LQZY"_s), u"预退[ 计算机科学与技术]"_s);
        // The next opening turns the empty major into "  " and keeps the decision.
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        QCOMPARE(TddRow(f, u"D3"_s).left(5), u"2|  |"_s);
        QCOMPARE(f.InMajor(5), (QStringList{u"D4"_s, u"D3"_s}));
    }

    void preAdmittingAReturnedCandidateClearsTheReason()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D4"_s});
        form.Execute();
        QCOMPARE(TddRow(f, u"D4"_s), u"1|01||"_s);
        QCOMPARE(f.Dm().QueryText(f.Ks(u"D4"_s), f.Dm().TDYYDMField), QString());
        QCOMPARE(f.InMajor(0), (QStringList{u"D4"_s, u"D3"_s}));
        QCOMPARE(f.InMajor(5), QStringList());
    }

    void aProposedPseudoMajorStandsForTheMajor()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D5"_s, u"D6"_s});
        form.Execute();
        QCOMPARE(TddRow(f, u"D5"_s), u"1|  ||"_s);
        QCOMPARE(TddRow(f, u"D6"_s), u"1| ?||"_s);
        QCOMPARE(f.InMajor(5), (QStringList{u"D4"_s, u"D5"_s}));
        QCOMPARE(f.InMajor(6), (QStringList{u"D2"_s, u"D1"_s, u"D6"_s}));
        QCOMPARE(f.Ks(u"D5"_s)->KsZt, 1);
        QCOMPARE(f.View.Panels[ZKStatusPanel::YlCount], u"已录数1"_s);
        // The next opening resets both rows to undecided.
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        QCOMPARE(TddRow(f, u"D5"_s), u"0| ?|  |"_s);
        QCOMPARE(TddRow(f, u"D6"_s), u"0| ?|  |"_s);
    }

    void aReloadWhileTheDialogIsOpenCancels()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        dialog.WhileOpen = [&f] {
            f.Dm().CloseTDD();
            f.Dm().OpenTDD();
        };
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D1"_s});
        form.Execute();
        QCOMPARE(f.Messages.Messages.size(), 1);
        QCOMPARE(f.Messages.Messages[0].Text, u"由于重新调入了投档单，刚才的操作被取消。"_s);
        QCOMPARE(f.Messages.Messages[0].Caption, u"修改预录取状态"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Warning);
        QCOMPARE(TddRow(f, u"D1"_s), u"0| ?|  |"_s);
    }

    void withoutReturnReasonsNothingIsShown()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Exec({u"delete from TD_TDYYDM"_s});
        f.Open();
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D1"_s});
        form.Execute();
        QVERIFY(dialog.Shown.isEmpty());
        QCOMPARE(TddRow(f, u"D1"_s), u"0| ?|  |"_s);
    }

    void aCandidateWithoutARowIsSkipped()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        f.Exec({u"delete from T_TDD where KSH = \"D2\""_s});
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D1"_s, u"D2"_s});
        form.Execute();
        QCOMPARE(TddRow(f, u"D1"_s), u"1|01||"_s);
        QCOMPARE(f.Ks(u"D2"_s)->KsZt, 0);
        QCOMPARE(f.InMajor(1), QStringList());
        QVERIFY(f.Messages.Messages.isEmpty());
    }

    void aRefusedRowStopsTheWalkAndEarlierDecisionsStay()
    {
        TWorkspaceFixture f;
        AddSix(f);
        f.Open();
        // The engine refuses the second row: a trigger written past the dialect layer.
        QCOMPARE(sqlite3_exec(f.Univ().Handle(),
                              "create trigger refuse_d2 before update on T_TDD when new.KSH = 'D2' "
                              "begin select raise(abort, 'refused'); end",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D4"_s, u"D2"_s, u"D1"_s});
        f.Panel.Updated.clear();
        form.Execute();
        QCOMPARE(f.Messages.Messages.size(), 1);
        QVERIFY(f.Messages.Messages[0].Text.contains(u"refused"_s));
        QCOMPARE(f.Messages.Messages[0].Caption, u"修改预录取状态"_s);
        // D1 came before the refused row: decided in the database and in the workspace,
        // with its major's figures, the count and the selection brought up to date.
        QCOMPARE(TddRow(f, u"D1"_s), u"1|01||"_s);
        QCOMPARE(f.Ks(u"D1"_s)->KsZt, 1);
        QCOMPARE(f.InMajor(0), (QStringList{u"D3"_s, u"D1"_s}));
        QCOMPARE(f.Dm().Jh(0)->MinScore, 600.0);
        QVERIFY(f.Panel.Updated.contains(0));
        QCOMPARE(f.View.Panels[ZKStatusPanel::YlCount], u"已录数2"_s);
        QCOMPARE(f.Grid.SelectedRows().size(), 3);
        // The walk stopped at D2: neither it nor D4 after it changed.
        QCOMPARE(TddRow(f, u"D2"_s), u"0| ?|  |"_s);
        QCOMPARE(f.Ks(u"D2"_s)->KsZt, 0);
        QCOMPARE(TddRow(f, u"D4"_s).left(5), u"2|  |"_s);
        QCOMPARE(f.Ks(u"D4"_s)->KsZt, 2);
        QCOMPARE(f.InMajor(6), (QStringList{u"D2"_s, u"D5"_s, u"D6"_s}));
        QCOMPARE(f.InMajor(5), QStringList{u"D4"_s});
    }

    void theAdjustedScoreFollowsTheDecision()
    {
        TWorkspaceFixture f;
        f.Exec({u"update T_TDDWCSMB set ZYZYJBZT = \"3\""_s,
                u"insert into T_TDDWCSMBZYJCB values (\"T1\", \"2\", \"1\", 15)"_s});
        f.AddCandidate(Cand(u"E1"_s, u"1"_s, u"02"_s, u"02"_s, 620, {u"01"_s, u"02"_s}));
        f.AddCandidate(Cand(u"E2"_s, u"0"_s, u" ?"_s, u"02"_s, 610, {u"01"_s, u"02"_s}));
        f.Open();
        QCOMPARE(f.Ks(u"E1"_s)->ZyytTddwDxCj, 605.0); // major 02 is its second wish
        TFakeChangeLQZTDialog dialog;
        dialog.Answer = Ok(true);
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"E2"_s});
        form.Execute();
        // Undecided it kept its whole score; admitted to its second wish it loses the first
        // major-level difference and stands where the next opening puts it.
        QCOMPARE(f.Ks(u"E2"_s)->ZyytTddwDxCj, 595.0);
        QCOMPARE(f.InMajor(1), (QStringList{u"E1"_s, u"E2"_s}));
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        QCOMPARE(f.InMajor(1), (QStringList{u"E1"_s, u"E2"_s}));
    }
};

QTEST_GUILESS_MAIN(TestDecisions)
#include "tst_Decisions.moc"
