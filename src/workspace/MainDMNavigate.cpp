// The filters of an open set (submission unit, major), the lists they give, their menus,
// and the grid's selection and focus.
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

namespace {

// Every 28th item of the major menu (counted from 1) starts a new menu column.
constexpr int MajorMenuColumnLength = 28;

} // namespace

QString TMainDM::AllMajorsCaption() const
{
    const int unit = ZKMainDef().TddwFilter;
    const TCurrentTDDWItem *item = Order.Unit(unit);
    return unit == -1 || !item ? u"所有的专业"_s : item->TDDWMC + u"的所有专业"_s;
}

QString TMainDM::MajorMenuCaption(const TJHItem &jh) const
{
    if (jh.JhId == JhRecCount)
        return u"预退档考生"_s;
    if (jh.JhId == JhRecCount + 1)
        return u"未确定专业考生"_s;
    return jh.ZYDH + u' ' + jh.Zymc.left(20);
}

void TMainDM::SetCurrentJhList()
{
    TZKMainDef &def = ZKMainDef();
    QList<TMenuItemRec> menu{{AllMajorsCaption(), -1, false}, {u"-"_s, 0, false}};
    CurrentJhList.clear();
    for (int r = 0; r < JhRecCount + 2 && r < int(JhTable.size()); ++r) {
        TJHItem &jh = *JhTable[size_t(r)];
        const bool shown = r == JhRecCount || (r < JhRecCount && jh.CZYHM == def.LoginInfo.UserName &&
                                               (def.TddwFilter == -1 || def.TddwFilter == jh.TDDW));
        if (!shown) {
            jh.JhIndex = -1;
            continue;
        }
        if (r == JhRecCount)
            menu.append({u"-"_s, 0, false});
        jh.JhIndex = int(CurrentJhList.size());
        menu.append({MajorMenuCaption(jh), jh.JhIndex, false});
        CurrentJhList.append(&jh);
    }
    for (int i = 0; i < menu.size(); ++i)
        menu[i].Break = (i + 1) % MajorMenuColumnLength == 0;
    FMainView->SetFolderMenu(TFolderMenu::ZY, menu);
    FZyStatePanel->UpdateAllItems();
    if (def.ZyFilter >= 0 &&
        (def.ZyFilter >= int(JhTable.size()) || JhTable[size_t(def.ZyFilter)]->JhIndex < 0))
        def.ZyFilter = -1;
    const TCurrentTDDWItem *unit = Order.Unit(def.TddwFilter);
    FMainView->SetFolderButtonCaption(TFolderButton::TDDW, def.TddwFilter == -1 || !unit
                                                               ? u"所有的投档单位"_s
                                                               : unit->TDDWDM + u' ' + unit->TDDWMC);
}

void TMainDM::SetCurrentKsList(bool SelectFirstKs)
{
    const TZKMainDef &def = ZKMainDef();
    CurrentKSList.clear();
    for (const auto &ks : KsTable) {
        const bool shown = (def.TddwFilter == -1 || ks->DqTddw == def.TddwFilter) &&
                           (def.ZyFilter == -1 || ks->LqZyId == def.ZyFilter);
        ks->KsIndex = shown ? int(CurrentKSList.size()) : -1;
        if (shown)
            CurrentKSList.append(ks.get());
    }
    FMainView->HideHintPanel();
    // The live filter narrows the sorted list (SortKS narrows after sorting).
    FKsFilterBase.clear();
    if (FKsFilter.IsActive())
        FKsFilterBase = CurrentKSList;
    if (SortColIndex >= 0 && SortColIndex < ColumnNum)
        SortKS(SortColIndex);
    else
        NarrowCurrentKsList();
    FGrid->SetRowCount(int(CurrentKSList.size()));
    if (SelectFirstKs && !CurrentKSList.isEmpty())
        SetFocusedKs(CurrentKSList.first());
    FGrid->Repaint();
    ShowKsCount();

    QString caption = AllMajorsCaption();
    if (def.ZyFilter == JhRecCount)
        caption = u"预退档考生"_s;
    else if (def.ZyFilter == JhRecCount + 1)
        caption = u"未确定专业考生"_s;
    else if (def.ZyFilter >= 0 && def.ZyFilter < JhRecCount)
        caption = Jh(def.ZyFilter)->ZYDH + u' ' + Jh(def.ZyFilter)->Zymc;
    FMainView->SetFolderButtonCaption(TFolderButton::ZY, caption);
}

void TMainDM::PCMenuItemClick(const QString &caption)
{
    const QString code = caption.left(1);
    if (code != ZKMainDef().CurPCDM)
        ChangeCurrTDDPc(code);
}

void TMainDM::KL_JHXZMenuItemClick(int tag)
{
    if (tag < 0 || tag >= KL_JHXZTable.size())
        return;
    const TKL_JHXZRec rec = KL_JHXZTable[tag];
    const TZKMainDef &def = ZKMainDef();
    if (rec.KLDM != def.CurKLDM || rec.JHXZ != def.CurJHXZ)
        ChangeCurrTDDKlJhxz(rec.KLDM, rec.JHXZ);
}

void TMainDM::TDDWMenuItemClick(int tag)
{
    TZKMainDef &def = ZKMainDef();
    if (tag == def.TddwFilter || tag < -1 || tag >= int(CurrentTDDWTable.size()))
        return;
    def.TddwFilter = tag;
    SetCurrentJhList();
    SetCurrentKsList(true);
}

void TMainDM::ZYMenuItemClick(int tag)
{
    if (tag < -1 || tag >= CurrentJhList.size())
        return;
    ChangeZyFilter(tag == -1 ? -1 : CurrentJhList[tag]->JhId);
}

void TMainDM::ChangeZyFilter(int JhId)
{
    TZKMainDef &def = ZKMainDef();
    if (JhId == def.ZyFilter)
        return;
    def.ZyFilter = JhId;
    SetCurrentKsList(true);
}

void TMainDM::SetSelectedKsList(bool SortByKsh)
{
    SelectedKsList.clear();
    for (const int row : FGrid->SelectedRows()) {
        if (row >= 0 && row < CurrentKSList.size())
            SelectedKsList.append(CurrentKSList[row]);
    }
    if (SortByKsh) {
        std::stable_sort(
            SelectedKsList.begin(), SelectedKsList.end(),
            [](const TKSItem *a, const TKSItem *b) { return TCandidateOrder::CompareKsh(a, b) < 0; });
    }
    const int focused = FGrid->FocusedRow();
    FocusedKsItem = focused >= 0 && focused < CurrentKSList.size() ? CurrentKSList[focused] : nullptr;
}

void TMainDM::SetSelectedListItem()
{
    FGrid->ClearSelection();
    for (const TKSItem *ks : SelectedKsList) {
        if (ks->KsIndex >= 0)
            FGrid->SelectRow(ks->KsIndex);
    }
    FGrid->SetFocusedRow(FocusedKsItem && FocusedKsItem->KsIndex >= 0 ? FocusedKsItem->KsIndex : -1);
}

void TMainDM::SetFocusedKs(TKSItem *KsItem)
{
    if (!KsItem)
        return;
    FGrid->SetFocusedRow(KsItem->KsIndex);
    FGrid->ClearSelection();
    FGrid->SelectRow(KsItem->KsIndex);
}

void TMainDM::MakeKSVisible(const QString &Ksh)
{
    const int id = GetKsId(Ksh.trimmed());
    if (id < 0)
        return;
    TKSItem *ks = KsTable[size_t(id)].get();
    TZKMainDef &def = ZKMainDef();
    if (ks->KsIndex < 0) {
        if (def.TddwFilter != -1 && def.TddwFilter != ks->DqTddw) {
            def.TddwFilter = ks->DqTddw;
            SetCurrentJhList();
        }
        if (def.ZyFilter != -1)
            def.ZyFilter = ks->LqZyId;
        // A candidate looked for by number is shown even when the live filter hides it.
        if (FKsFilter.IsActive() &&
            !TCandidateFilter::Matches(KsFilterCells(ks), FKsFilter.CurrentTerms())) {
            FKsFilter.SetText(QString());
            FMainView->ShowKsFilterText(QString());
        }
        SetCurrentKsList(false);
    }
    SetFocusedKs(ks);
}

void TMainDM::CopyKshToClipboard()
{
    QStringList numbers;
    for (const int row : FGrid->SelectedRows()) {
        if (row >= 0 && row < CurrentKSList.size())
            numbers.append(CurrentKSList[row]->Ksh);
    }
    if (!numbers.isEmpty())
        FClipboard->SetText(numbers.join(u"\r\n"_s));
}

void TMainDM::UpdateYLS()
{
    qsizetype count = 0;
    for (int r = 0; r < JhRecCount && r < int(JhTable.size()); ++r)
        count += JhTable[size_t(r)]->KsList.size();
    FMainView->SetStatusPanelText(ZKStatusPanel::YlCount, u"已录数"_s + QString::number(count));
}

void TMainDM::LQGridTableGotoKs(const TKSItem *AKsItem)
{
    try {
        if (!AKsItem)
            throw EZKError(u"no candidate"_s);
        LQGridQuery.SetRecNo(AKsItem->KsId + 1);
    } catch (const EZKError &e) {
        throw e.WithPrefix(u"(LQGridTableGotoKs) "_s);
    }
}
