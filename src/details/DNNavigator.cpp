// Stepping through the main window's candidate list.
#include "details/DNNavigator.h"

#include "workspace/MainDM.h"

void FillDNItemRec(TMainDM &dm, TKSItem *item, TDNItemRec &rec)
{
    rec.Ksh = item->Ksh;
    rec.KsItem = item;
    rec.PositionStates = {};
    const int count = int(dm.CurrentKSList.size());
    if (item->KsIndex <= 0)
        rec.PositionStates |= dpsFirst;
    if (item->KsIndex >= count - 1)
        rec.PositionStates |= dpsLast;
    dm.SetFocusedKs(item);
}

bool NavigateCandidates(TMainDM &dm, TDNNavigatorDirection dir, TDNItemRec &rec)
{
    const QList<TKSItem *> &list = dm.CurrentKSList;
    int index = rec.KsItem ? rec.KsItem->KsIndex : -1;
    // The item's index is only trusted while it still points at this candidate.
    if (index >= list.size() || (index >= 0 && list[index] != rec.KsItem))
        index = -1;
    if (index < 0) {
        if (list.isEmpty())
            return false;
        index = 0;
    } else if (dir == TDNNavigatorDirection::dndPrior) {
        index = qMax(0, index - 1);
    } else {
        index = qMin(int(list.size()) - 1, index + 1);
    }
    FillDNItemRec(dm, list[index], rec);
    return true;
}
