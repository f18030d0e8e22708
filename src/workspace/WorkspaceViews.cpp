#include "workspace/WorkspaceViews.h"

#include <algorithm>

void TMemoryGrid::SetRowCount(int rows)
{
    Rows = rows < 0 ? 0 : rows;
    Selected.removeIf([this](int row) { return row >= Rows; });
    if (Focused >= Rows)
        Focused = -1;
}

QList<int> TMemoryGrid::SelectedRows() const
{
    QList<int> rows = Selected;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TMemoryGrid::SelectRow(int row)
{
    if (row >= 0 && row < Rows && !Selected.contains(row))
        Selected.append(row);
}
