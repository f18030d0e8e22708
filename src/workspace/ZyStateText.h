#pragma once

#include <QString>
#include <QStringList>

class TMainDM;
class TJHItem;

// What the major state panel ("专业信息") shows for one entry of the workspace's current
// major list: the fourteen cells of its detail view, the state picture (0 places left,
// 1 full, 2 over-filled; the text colour follows the picture) and the line of its list
// view.
struct TZyStateRow
{
    QStringList Cells;
    int Picture = 1;
    QString ListLine;
};

TZyStateRow ZyStateRowOf(const TMainDM &dm, const TJHItem &jh);

// The captions of the detail view's columns.
const QStringList &ZyStateColumnCaptions();
