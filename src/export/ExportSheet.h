#pragma once

#include "store/SqlColumnTypes.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

// One table of an export as a workbook writer takes it: a worksheet named like the
// table, a first row with the column names, then one row per record.
struct TSheetColumn
{
    QString Name;
    TSqlFieldKind Kind = TSqlFieldKind::Unknown;
};

struct TExportSheet
{
    QString Name;
    QList<TSheetColumn> Columns;
    // Fills row with the next record's values (one per column, an invalid QVariant for
    // null); false after the last record.
    std::function<bool(QVariantList &row)> NextRow;
};

// What a cell holds: numbers as numbers, texts as texts, dates as dates (with a date
// format), logicals as logicals; null leaves the cell empty.
enum class TCellKind
{
    Empty,
    Number,
    Text,
    Date,
    Boolean
};

struct TSheetCell
{
    TCellKind Kind = TCellKind::Empty;
    double Number = 0; // Number, Date (days since 1899-12-30 with the time as fraction)
    bool Boolean = false;
    QString Text;
    bool HasTime = false; // Date: the value has a time of day
};

TSheetCell SheetCellOf(const QVariant &value, TSqlFieldKind kind);

// The most characters a worksheet cell holds; longer texts are cut there.
inline constexpr int MaxCellTextLength = 32767;
