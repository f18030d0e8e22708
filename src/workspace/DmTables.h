#pragma once

#include <QList>
#include <QString>

// The 18 code tables of the user database, in their fixed order: the position is the
// code-table number every lookup and column definition uses.
struct TDmDBFRec
{
    QString TableName;
    QString DMField; // code column
    QString MCField; // name column
};

inline constexpr int DMTableCount = 18;

// Code-table numbers that other parts use by name.
inline constexpr int TD_CJXDM = 1;   // score items
inline constexpr int TD_JHXZDM = 3;  // plan natures
inline constexpr int TD_KLDM = 4;    // categories
inline constexpr int TD_PCDM = 9;    // batches
inline constexpr int TD_TDYYDM = 10; // return reasons

// The 18 tables, numbers 0..17.
const QList<TDmDBFRec> &DmDBFTable();
