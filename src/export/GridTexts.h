#pragma once

#include <QStringList>

class TMainDM;
class TKSItem;

// The texts of the candidate grid of the open set, shared by everything that writes what
// the grid shows (the screen export, zelkinc-cli grid).

// The captions of the grid's columns, in grid order.
QStringList GridHeaderTexts(const TMainDM &dm);
// The cells of a candidate's row as the grid shows them, in grid order.
QStringList GridRowTexts(const TMainDM &dm, const TKSItem *ks);
