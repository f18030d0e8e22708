#pragma once

#include "store/DbValue.h"
#include "store/SqlColumnTypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

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
//
// A row's values are prepared once (Prepare) and then bound to one statement or more
// (Apply): a merge binds the same row to its insert and, when the key exists, to its
// update. Texts are prepared as UTF-8, the database's own encoding, into buffers kept
// per parameter, so that SQLite neither converts nor copies them.
class TCopyValueBinder
{
public:
    explicit TCopyValueBinder(QList<TCopyPair> pairs);

    // Prepares the value for pair `index`. Throws EZKError for a value its column
    // cannot hold.
    void Prepare(int index, const TDbValue &value);
    // Binds the prepared value of pair `index` as parameter index + 1 and answers
    // SQLite's result code. The value stays bound until it is prepared again.
    int Apply(sqlite3_stmt *stmt, int index) const;

private:
    // One prepared value. Texts, bytes and their buffers live here (or in the source
    // recordset) until the next Prepare of the same pair.
    struct TPrepared
    {
        enum TKind : quint8
        {
            Null,
            Integer,
            Float,
            Utf8,
            Utf16,
            Blob
        } Kind = Null;
        qint64 IntegerValue = 0;
        double FloatValue = 0;
        QByteArray Utf8Buffer; // at least Utf8Size bytes
        qsizetype Utf8Size = 0;
        QString Text;          // a text that is kept as UTF-16
        QByteArray Bytes;
    };

    void PrepareValue(TPrepared &p, int index, const TDbValue &value);
    void PrepareNatural(TPrepared &p, const TDbValue &value);
    static void SetText(TPrepared &p, const QString &text);
    static void SetInteger(TPrepared &p, const TDbValue &value);

    QString DateTimeText(const TDbValue &value);

    QList<TCopyPair> FPairs;
    std::vector<TPrepared> FPrepared; // one per pair
    // The texts of the day numbers seen so far: working one out is costly, and a
    // table's dates (birthdays, school years) repeat.
    QHash<quint64, QString> FOleDateTexts;
};

// The text a binary code column of `chars` characters takes for a value: its text (a
// binary source field's text without leading spaces) right-aligned with spaces.
QString CodeColumnText(const TDbValue &value, quint16 sourceType, int chars);

// The text a date column holds for a date or time value ("yyyy-MM-dd HH:mm:ss" with
// ".zzz" when there are milliseconds; a time alone on 1899-12-30); empty when the value
// is no date or a text that reads as none.
QString StoredDateTimeText(const TDbValue &value);
