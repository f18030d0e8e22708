#pragma once

#include "store/Recordset.h"

#include <QFlags>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class TSqlConnection;

// Table tools: loading a recordset file, copying a recordset into a local table, and
// the temporary copy of a table that an import keeps while it reloads the table.
// Errors are thrown as EZKError; nothing here shows a message.

enum TCopyTableOption
{
    // Keep the table's rows; a source row whose key already exists updates that row.
    ctoMerge = 0x1,
    // Delete the copied rows from the source recordset (once the load has succeeded).
    ctoDeleteSource = 0x2,
};
// The empty set replaces every row of the table.
Q_DECLARE_FLAGS(TCopyTableOptions, TCopyTableOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCopyTableOptions)

// Called once after each source row.
using TCopyProgressProc = std::function<void()>;

// Replaces the dataset with the recordset stored in the recordset (ADTG) file. The
// dataset is emptied first, so a file that cannot be read leaves it without columns.
void OpenRecordsetFile(TRecordset &dataSet, const QString &fileName);

// Copies the shown rows of source (its filter applies) into the table tableName of conn.
//
// - A source with a field whose name is not a plain identifier (SqlIdentifiers.h) is
//   refused with EZKError before the table is touched; names become quoted columns.
// - A missing table is created from the visible fields of source, one column per field
//   with the column type of its kind; the key names (keys split at ';', spaces and
//   control characters) become its primary key when every one is a field of source.
// - Without ctoMerge the table's rows are deleted first; a source row whose key is
//   already in the table (a second row of the same key) is dropped: the first one wins.
// - With ctoMerge a row that cannot be added because its key exists updates the row with
//   that key (exact, case-sensitive key values): the last one wins. A row whose key is
//   not found is dropped. No key is used when a key name has no column of the same name
//   in both the table and the source.
// - Columns pair by name; table columns without a source field are not written, source
//   fields without a table column are dropped. A binary code column of n bytes takes the
//   source's text right-aligned to n/2 characters (a binary source field gives its text
//   up to the first NUL unit, without leading spaces).
//
// The load runs in one transaction: a savepoint inside the caller's transaction when
// there is one, else a transaction of its own; any error undoes the whole load (the
// delete of the old rows and a table created here included), leaves the source whole
// (ctoDeleteSource deletes the copied rows only after the load) and goes on to the caller.
// A connection that was closed is opened for the load and closed again. Returns true
// when every row was processed.
bool CopyDataSetToTable(TRecordset &source, TSqlConnection &conn, const QString &tableName,
                        const QString &keys, TCopyTableOptions options,
                        const TCopyProgressProc &onProgress = {});

// The key names of a key list: split at ';', spaces and control characters.
QStringList SplitKeyNames(const QString &keys);

// The column type that a created table gives a recordset field ("text(14) with comp",
// "binary(2)", "long" …). Throws EZKError for a field kind that has no column type.
QString ColumnTypeForField(const TRecordField &field);

// The create statement of a table for the visible fields of a recordset with a key list,
// and whether the key became the table's primary key. Column and key names are quoted;
// one that is not a plain identifier throws EZKError.
QString CreateTableStatement(const TRecordset &source, const QString &tableName, const QStringList &keyNames,
                             bool *withKey = nullptr);

// Keeps a copy of a table as tableName + "_tmp" ("select * into"). Errors get
// "(BackupTable " + tableName + ") " in front of their text.
void BackupTable(TSqlConnection &conn, const QString &tableName);
// Empties the table, puts the copy's rows back (columns the table also has, by name; the
// table's other columns take their defaults) and drops the copy. All or nothing; errors
// get "(RestoreTable " + tableName + ") " in front and leave the copy.
void RestoreTable(TSqlConnection &conn, const QString &tableName);
// Copies the columns setFields from the copy into the rows whose keyFields match (every
// row when there are no key fields) and drops the copy. All or nothing; errors get
// "(ModifyTable " + tableName + ") " in front.
void ModifyTable(TSqlConnection &conn, const QString &tableName, const QStringList &setFields,
                 const QStringList &keyFields);

// A field's value as text for display and export: a binary code column's bytes as the
// UTF-16LE text they hold (up to the first NUL unit), a memo's text, other values as
// their text; NULL gives "". displayText does not change the text.
void VarBytesOrMemoFieldGetText(const TConstFieldRef &sender, QString &text, bool displayText);
// The same for a value read through a query (QByteArray, QString or another value).
QString VarBytesOrMemoText(const QVariant &value);
