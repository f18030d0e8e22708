#pragma once

#include "store/RecordField.h"
#include "store/Recordset.h"
#include "store/SqlConnection.h"

class TSqlQuery;

// Detached query results: the rows of a query copied into an in-memory recordset that
// no longer needs the connection (the client-side static cursors of the workspace and
// the download chain).
//
// Column types follow the declared types: texts become WSTR (memos long), binary code
// columns BYTES of their byte width holding the code as UTF-16LE text right-aligned to
// the width (as a leader's recordset carries them, and as the recordset's text
// accessors read them back), short/long/counter I2/I4, double R8, datetime DATE,
// bin BOOL, long binary BYTES. A column without a declared type (an expression) takes
// I4, I8 or R8 when every value it holds is such a number, else a long WSTR.

// The recordset column for a table or query column.
TRecordField RecordFieldFor(const TSqlFieldDef &def);

// Opens the query when it is not open, reads every row from the first and closes it.
// The recordset's rows are plain rows; it stands at its first row.
TRecordset OpenDetached(TSqlQuery &query);

// Every row of a table in storage order, detached from the connection.
TRecordset OpenTableRows(TSqlConnection &conn, const QString &table);

// A text value for Locate and filter expressions: in single quotes, a quote inside
// doubled, so that it compares as it is (binary code values are always passed so).
QString QuotedLocateValue(const QString &text);
