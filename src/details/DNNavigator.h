#pragma once

// Stepping through the main window's candidate list from the detail window.

#include <QFlags>
#include <QString>
#include <functional>

class TMainDM;
class TKSItem;

enum TDNPositionState
{
    dpsFirst = 1, // the first candidate of the list
    dpsLast = 2,  // the last candidate of the list
};
Q_DECLARE_FLAGS(TDNPositionStates, TDNPositionState)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDNPositionStates)

// The record that opens the detail window and travels through navigation.
struct TDNItemRec
{
    QString Ksh;
    TKSItem *KsItem = nullptr;
    TDNPositionStates PositionStates;
};

enum class TDNNavigatorDirection
{
    dndPrior,
    dndNext
};

// The navigator the detail window calls: replaces the record's candidate and position
// states; false when the window must close (the list is empty).
using TDNNavigatorProc = std::function<bool(TDNNavigatorDirection, TDNItemRec &)>;

// Fills the record for a candidate of the workspace's current list: its number, item and
// position states, and makes it the focused candidate (the grid follows).
void FillDNItemRec(TMainDM &dm, TKSItem *item, TDNItemRec &rec);

// The main window's navigator on the workspace's current candidate list: a candidate
// that left the list gives the first one of the list (false when the list is empty);
// otherwise one step up or down, staying at the ends.
bool NavigateCandidates(TMainDM &dm, TDNNavigatorDirection dir, TDNItemRec &rec);
