#pragma once

#include "store/DbValue.h"
#include "store/SqlColumnTypes.h"

#include <QList>
#include <QString>

struct sqlite3_stmt;

// A table column that takes the values of a source field (CopyDataSetToTable).
struct TCopyPair
{
    int SourceColumn = -1; // column of the source recordset
    quint16 SourceType = 0;
    QString Name; // the table column
    TSqlFieldKind Kind = TSqlFieldKind::Unknown;
    int CodeChars = 0; // binary code columns: characters (half the byte width)
};

// Binds recordset values as statement parameters in the form their table columns hold
// (SqlColumnTypes.h): texts for text and binary code columns, numbers for number
// columns, "yyyy-MM-dd HH:mm:ss[.zzz]" for date columns, 1 or 0 for flags, bytes only
// for long binary columns. A blank text given to a number, date or flag column is NULL.
class TCopyValueBinder
{
public:
    explicit TCopyValueBinder(QList<TCopyPair> pairs);

    // Binds the value for pair `index` as parameter index + 1 and answers SQLite's result
    // code. Throws EZKError for a value its column cannot hold.
    int Bind(sqlite3_stmt *stmt, int index, const TDbValue &value);

private:
    int BindValue(sqlite3_stmt *stmt, int index, const TDbValue &value);
    int BindText(sqlite3_stmt *stmt, int index, QString text);
    int BindNatural(sqlite3_stmt *stmt, int index, const TDbValue &value);

    QList<TCopyPair> FPairs;
    QList<QString> FTexts; // converted texts, kept while the statement may read them
};

// The text a binary code column of `chars` characters takes for a value: its text (a
// binary source field's text without leading spaces) right-aligned with spaces.
QString CodeColumnText(const TDbValue &value, quint16 sourceType, int chars);

// The text a date column holds for a date or time value ("yyyy-MM-dd HH:mm:ss" with
// ".zzz" when there are milliseconds; a time alone on 1899-12-30); empty when the value
// is no date or a text that reads as none.
QString StoredDateTimeText(const TDbValue &value);
