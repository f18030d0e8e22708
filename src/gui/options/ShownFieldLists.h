#pragma once

#include <QList>
#include <QString>

class TMainDM;

// A dossier field of the shown-field selection.
struct TShownFieldItem
{
    QString ZDMC;  // caption
    QString ZDDH;  // field code
    QString XH;    // order of the hidden list
    QString BX;    // must-show mark
    int WZSY = -1; // stored place in the grid, -1 when hidden

    // The item's picture: BX read as a number, 0 when it is not one.
    int ImageIndex() const;
    // A field with a non-zero mark never leaves the shown list.
    bool MustShow() const { return ImageIndex() != 0; }
};

// The two lists of the shown-field selection of the open dossier set and the rules for
// moving fields between them, without any window: the hidden fields (Exc) and the shown
// fields in grid order (Inc), each with its selected place (-1: none).
class TShownFieldLists
{
public:
    enum class TSide
    {
        Exc,
        Inc
    };

    // Fills both lists for the open set (CurPCDM, CurKLDM, CurJHXZ) and clears
    // ApplyToAll. Errors of the database pass on (EZKError).
    void Load(TMainDM &dm);

    // The selected hidden field goes into the shown list before place `before` (-1 or
    // past the end: at the end) and becomes selected there; the hidden list's selection
    // stays at its place, or moves to its last item. False when no hidden field is
    // selected.
    bool Add(int before);
    // The selected shown field goes back to the hidden list (kept in XH order, ignoring
    // case) and becomes selected there; the shown list's selection stays at its place or
    // moves to its last item. Refused (false) for a must-show field or without a selection.
    bool Remove();
    // The selected shown field swaps place with its neighbour; nothing at the ends.
    bool MoveUp();
    bool MoveDown();
    // The selected shown field moves to place `to` (-1 or past the end: the end).
    bool MoveWithin(int to);

    // Whether a field dragged from one list may be dropped on a list: only from the other
    // list or within the shown list, only with a selected field in the source, and never
    // a must-show field from one list onto the other.
    bool AcceptsDrag(TSide from, TSide to) const;
    // A drop on place `target` of a list (-1: no item under the cursor); false when the
    // drop is refused or changed nothing.
    bool Drop(TSide from, TSide to, int target);

    // Stores the order for the open set, or, with ApplyToAll, for every set (then also
    // the grid's column widths). True when the shown fields or their order changed for
    // the open set. Errors of the database pass on (EZKError).
    bool Done(TMainDM &dm) const;

    QList<TShownFieldItem> Exc;
    QList<TShownFieldItem> Inc;
    int ExcIndex = -1;
    int IncIndex = -1;
    bool ApplyToAll = false;

private:
    void SortExc();
};
