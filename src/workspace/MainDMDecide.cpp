// A member's decisions on candidates: the database row, the candidate query and the
// major lists change together.
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DecisionJournal.h"
#include "workspace/MainDM.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The remark box of the status dialog takes at most this many characters.
constexpr int MaxRemarkLength = 254;

} // namespace

QList<TKSItem *> TMainDM::ApplyLQZT(const QList<TKSItem *> &candidates, const TLQZTDecision &decision)
{
    QList<TKSItem *> ordered = candidates;
    std::stable_sort(ordered.begin(), ordered.end(), [](const TKSItem *a, const TKSItem *b) {
        return TCandidateOrder::CompareKsh(a, b) < 0;
    });
    const QString remark = decision.TDYYBZ.left(MaxRemarkLength);

    // The rows first, in one transaction for speed, each candidate's row and its journal
    // row together under a savepoint: a refused row (or journal row) undoes that
    // candidate's part and stops the walk, and the candidates before it keep their
    // decision with their journal rows. When the engine has dropped the whole transaction
    // (a full disk) the commit fails, nothing was written, and the workspace stays as it
    // was. A crash before the commit loses the decisions and their journal rows together.
    const TZKMainDef &def = ZKMainDef();
    TDecisionJournal journal(UnivConn);
    journal.EnsureTable();
    QList<TKSItem *> decided;
    std::optional<EZKError> refused;
    {
        TSqlTransaction transaction(UnivConn);
        TSqlQuery update(&UnivConn);
        update.SetSQL(
            u"update t_tdd set kszt = :kszt, lqzy = :lqzy, tdyydm = :tdyydm, bz = :bz where ksh = :ksh"_s);
        for (TKSItem *ks : ordered) {
            const QString major = decision.PreAdmit ? Jh(ks->YTZyId)->ZYDH : QString();
            update.SetTextParam(u"kszt"_s, decision.PreAdmit ? u"1"_s : u"2"_s);
            update.SetTextParam(u"lqzy"_s, major);
            update.SetTextParam(u"tdyydm"_s, decision.PreAdmit ? QString() : decision.TDYYDM);
            update.SetTextParam(u"bz"_s, decision.PreAdmit ? QString() : remark);
            update.SetTextParam(u"ksh"_s, ks->Ksh);
            UnivConn.BeginTrans();
            try {
                bool written = false;
                if (update.ExecSQL() > 0) {
                    TJournalEntry entry;
                    entry.PCDM = def.CurPCDM;
                    entry.KLDM = def.CurKLDM;
                    entry.JHXZ = def.CurJHXZ;
                    entry.KSH = ks->Ksh;
                    entry.XM = ks->Xm;
                    entry.OldStatus = QString::number(ks->KsZt);
                    entry.NewStatus = decision.PreAdmit ? u"1"_s : u"2"_s;
                    entry.LQZY = major;
                    entry.TDYYDM = decision.PreAdmit ? QString() : decision.TDYYDM;
                    entry.BZ = decision.PreAdmit ? QString() : remark;
                    journal.Append(entry);
                    written = true;
                }
                UnivConn.CommitTrans();
                if (written)
                    decided.append(ks);
            } catch (const EZKError &e) {
                UnivConn.RollbackTrans();
                refused = e;
                break;
            }
        }
        try {
            transaction.Commit();
        } catch (const EZKError &) {
            if (refused)
                throw *refused;
            throw;
        }
    }

    QList<bool> changed(JhRecCount + 2, false);
    for (TKSItem *ks : decided) {
        changed[ks->LqZyId] = true;
        Jh(ks->LqZyId)->DeleteKs(ks);
        if (decision.PreAdmit) {
            ks->KsZt = 1;
            ks->LqZyId = ks->YTZyId;
            LQGridTableSetTDYY(ks, QString(), QString());
        } else {
            ks->KsZt = 2;
            ks->LqZyId = JhRecCount;
            LQGridTableSetTDYY(ks, decision.TDYYDM, remark);
        }
        ks->SetZyXh(JhRecCount);
        // The adjusted score follows the new status and major position, so the candidate
        // stands where the next opening of the set puts it.
        ks->SetTddwDxCj(Order.UnitTemplate(ks->Tddw));
        changed[ks->LqZyId] = true;
        Jh(ks->LqZyId)->AddKs(ks);
        FKsFilter.ForgetTexts(ks);
        RefreshKS(ks->KsIndex);
    }
    if (!decision.PreAdmit)
        changed[JhRecCount] = true;
    for (int id = 0; id < changed.size(); ++id) {
        if (changed[id])
            UpdateJhItem(id);
    }
    UpdateYLS();
    if (refused)
        throw *refused;
    return decided;
}

void TMainDM::LQGridTableSetTDYY(const TKSItem *AKsItem, const QString &TDYYDM, const QString &TDYYBZ)
{
    LQGridTableGotoKs(AKsItem);
    LQGridQuery.Edit();
    if (TDYYDMField >= 0)
        LQGridQuery.SetValue(TDYYDMField, TDbValue(TDYYDM));
    if (TDYYBZField >= 0)
        LQGridQuery.SetValue(TDYYBZField, TDbValue(TDYYBZ));
    LQGridQuery.Post();
}

void TMainDM::UpdateJhItem(int ZyId)
{
    if (ZyId < 0 || ZyId >= int(JhTable.size()))
        return;
    TJHItem &jh = *Jh(ZyId);
    if (!jh.KsList.isEmpty()) {
        double max = 0, min = 0, sum = 0;
        int counted = 0;
        for (const TKSItem *ks : jh.KsList) {
            const double score = ks->ZyytJzCj;
            if (score <= NoScoreValue)
                continue;
            max = counted == 0 ? score : std::max(max, score);
            min = counted == 0 ? score : std::min(min, score);
            sum += score;
            ++counted;
        }
        jh.MaxScore = max;
        jh.MinScore = min;
        jh.AveScore = counted == 0 ? 0 : sum / counted;
    }
    if (jh.JhIndex >= 0)
        FZyStatePanel->UpdateAZyItem(jh.JhIndex);
}

void TMainDM::RefreshKS(int)
{
    FGrid->Repaint();
}
