#include "workspace/ChangeLQZT.h"

#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceText.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString DialogCaption = QStringLiteral("修改预录取状态");

} // namespace

QString TChangeLQZTForm::StoredRemark(const QString &ksh) const
{
    // The remark is a convenience: when it cannot be read the box starts empty.
    try {
        TSqlQuery query(&FDm.UnivConn);
        query.SetSQL(u"select bz from t_tdd where ksh = :ksh"_s);
        query.SetTextParam(u"ksh"_s, ksh);
        query.Open();
        return query.Eof() ? QString() : query.AsString(0);
    } catch (const EZKError &) {
        return {};
    }
}

TChangeLQZTValues TChangeLQZTForm::PrepareValues() const
{
    TChangeLQZTValues v;
    for (const TDMRec &reason : FDm.DMTables[size_t(TD_TDYYDM)])
        v.TDYYLines.append(reason.DM + u' ' + reason.DMMC);
    if (FDm.SelectedKsList.size() == 1) {
        const TKSItem *ks = FDm.SelectedKsList.first();
        const TJHItem &proposed = *FDm.Jh(ks->YTZyId);
        v.KSHLabel = u"考生号: "_s + ks->Ksh;
        v.XMLabel = u"姓名: "_s + ks->Xm;
        v.ScoreLabel = u"基准成绩: "_s + ShortestDecimalText(ks->ZyytJzCj);
        v.ZydpLabel = u"专业调剂: "_s + (ks->Zydpyxm ? u"允许"_s : u"不允许"_s);
        v.LQRadioCaption = u"预录取，专业: "_s + proposed.ZYDH + u" - "_s + proposed.Zymc;
        v.LQRadioAtLabels = true;
        v.Remark = StoredRemark(ks->Ksh);
        v.TDRadioChecked = ks->KsZt == 2;
        FDm.LQGridTableGotoKs(ks);
        const int reason = FDm.GetDMId(TD_TDYYDM, FDm.QueryText(ks, FDm.TDYYDMField));
        v.TDYYIndex = reason >= 0 ? reason : 0;
    } else {
        v.LQRadioCaption = u"预录取"_s;
        v.LQRadioAtLabels = false;
    }
    return v;
}

void TChangeLQZTForm::Execute()
{
    FDm.SetSelectedKsList(true);
    // The command is offered only with selected rows; without any there is nothing to decide.
    if (FDm.DMTables[size_t(TD_TDYYDM)].isEmpty() || FDm.SelectedKsList.isEmpty())
        return;
    const TChangeLQZTValues values = PrepareValues();
    FDm.ReloadSignal = false;
    const TChangeLQZTAnswer answer = FDialog.Show(values);
    if (!answer.Accepted)
        return;
    if (FDm.ReloadSignal) {
        FDm.MessageSink().ShowMessage(u"由于重新调入了投档单，刚才的操作被取消。"_s, DialogCaption,
                                      TMsgIcon::Warning);
        return;
    }
    TLQZTDecision decision;
    decision.PreAdmit = answer.PreAdmit;
    if (!answer.PreAdmit) {
        const QList<TDMRec> &reasons = FDm.DMTables[size_t(TD_TDYYDM)];
        decision.TDYYDM = reasons.value(answer.TDYYIndex).DM;
        decision.TDYYBZ = answer.Remark;
    }
    // A refused row ends the walk; the candidates decided before it are shown in their
    // new places before the error is reported.
    std::optional<QString> error;
    try {
        FDm.ApplyLQZT(FDm.SelectedKsList, decision);
    } catch (const EZKError &e) {
        error = e.Message();
    }
    FDm.SetCurrentKsList(false);
    FDm.SetSelectedListItem();
    if (error)
        FDm.MessageSink().ShowMessage(*error, DialogCaption, TMsgIcon::Error);
}
