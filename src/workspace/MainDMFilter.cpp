// The grid's live filter: the shown list narrowed to the candidates whose shown cells hold
// every term the member typed.
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

QString TMainDM::KsFilterCells(const TKSItem *k) const
{
    QStringList cells;
    cells.reserve(ZKColumn.size());
    for (const TZKColumnRec &col : ZKColumn) {
        // The row number belongs to the row, not to the candidate: it changes as the
        // list narrows.
        if (col.ColType == u'I')
            continue;
        try {
            cells.append(GetTddFieldStr(k, col));
        } catch (const EZKError &e) {
            // The grid shows the error's text in the cell; it is what the member sees.
            cells.append(e.Message());
        }
    }
    return TCandidateFilter::JoinedCells(cells);
}

void TMainDM::PrepareKsFilter()
{
    if (!ZKMainDef().IsTDDOpen)
        return;
    QList<TKSItem *> all;
    all.reserve(qsizetype(KsTable.size()));
    for (const auto &ks : KsTable)
        all.append(ks.get());
    ForgetStaleKsFilterTexts();
    FKsFilter.PrepareTexts(all, [this](const TKSItem *k) { return KsFilterCells(k); });
}

void TMainDM::ForgetStaleKsFilterTexts()
{
    // The set is reopened when the option changes; the texts must not outlive it even so.
    if (FKsFilterShowCodes != ZKMainDef().ShowCodes) {
        FKsFilter.ForgetTexts();
        FKsFilterShowCodes = ZKMainDef().ShowCodes;
    }
}

void TMainDM::NarrowCurrentKsList()
{
    ForgetStaleKsFilterTexts();
    if (!FKsFilter.IsActive())
        return;
    for (TKSItem *ks : std::as_const(FKsFilterBase))
        ks->KsIndex = -1;
    CurrentKSList = FKsFilter.Narrow(FKsFilterBase, [this](const TKSItem *k) { return KsFilterCells(k); });
    for (int i = 0; i < CurrentKSList.size(); ++i)
        CurrentKSList[i]->KsIndex = i;
}

void TMainDM::SetKsFilterText(const QString &text)
{
    const bool wasActive = FKsFilter.IsActive();
    if (!FKsFilter.SetText(text) || !ZKMainDef().IsTDDOpen)
        return;
    SetSelectedKsList(false);
    if (!wasActive)
        FKsFilterBase = CurrentKSList;
    if (FKsFilter.IsActive()) {
        NarrowCurrentKsList();
    } else {
        CurrentKSList = FKsFilterBase;
        FKsFilterBase.clear();
        for (int i = 0; i < CurrentKSList.size(); ++i)
            CurrentKSList[i]->KsIndex = i;
    }
    FMainView->HideHintPanel();
    FGrid->SetRowCount(int(CurrentKSList.size()));
    SetSelectedListItem();
    if (FGrid->FocusedRow() < 0 && !CurrentKSList.isEmpty())
        SetFocusedKs(CurrentKSList.first());
    FGrid->Repaint();
    ShowKsCount();
}

void TMainDM::ShowKsCount()
{
    QString text = u"考生数"_s;
    if (FKsFilter.IsActive())
        text += QString::number(CurrentKSList.size()) + u'/';
    FMainView->SetStatusPanelText(ZKStatusPanel::KsCount, text + QString::number(KsNum));
}
