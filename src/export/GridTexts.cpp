#include "export/GridTexts.h"

#include "workspace/MainDM.h"

QStringList GridHeaderTexts(const TMainDM &dm)
{
    QStringList header;
    for (const TZKColumnRec &column : dm.ZKColumn)
        header.append(column.Desc);
    return header;
}

QStringList GridRowTexts(const TMainDM &dm, const TKSItem *ks)
{
    QStringList cells;
    cells.reserve(dm.ZKColumn.size());
    for (const TZKColumnRec &column : dm.ZKColumn)
        cells.append(dm.GetTddFieldStr(ks, column));
    return cells;
}
