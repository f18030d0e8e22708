#pragma once

#include "store/Recordset.h"
#include "store/SqlDetached.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class TSqlConnection;
class TSqlQuery;

// Table access of the workspace: the data-access layer's table cursor (open a table,
// locate a row, edit it, post) on the engine.

// The row id of the first row of a table in storage order, 0 when it has none.
qint64 FirstRowId(TSqlConnection &conn, const QString &table);

// Sets the named columns of the row with the row id (an edit posted on a table cursor).
void UpdateRow(TSqlConnection &conn, const QString &table, qint64 rowId,
               const QList<QPair<QString, QVariant>> &values);

// The value of a query column at the current row as text: "" for NULL and when the
// query stands after its last row (an empty table). A column the query lacks is an error.
QString FieldText(const TSqlQuery &query, const QString &name);
