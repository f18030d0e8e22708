#include "workspace/WorkspaceTables.h"

#include "store/SqlDetached.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

using namespace Qt::StringLiterals;

qint64 FirstRowId(TSqlConnection &conn, const QString &table)
{
    TSqlQuery query(&conn);
    query.OpenTable(table);
    return query.Eof() ? 0 : query.RowId();
}

void UpdateRow(TSqlConnection &conn, const QString &table, qint64 rowId,
               const QList<QPair<QString, QVariant>> &values)
{
    QStringList assignments;
    for (int i = 0; i < values.size(); ++i)
        assignments.append(u"[%1] = :v%2"_s.arg(values[i].first).arg(i));
    TSqlQuery query(&conn);
    query.SetSQL(u"update [%1] set %2 where rowid = :rowid"_s.arg(table, assignments.join(u", "_s)));
    for (int i = 0; i < values.size(); ++i)
        query.SetParam(u"v%1"_s.arg(i), values[i].second);
    query.SetIntParam(u"rowid"_s, rowId);
    query.ExecSQL();
}

QString FieldText(const TSqlQuery &query, const QString &name)
{
    const int at = query.FieldIndex(name);
    if (at < 0)
        throw EZKError(u"Field '%1' not found"_s.arg(name));
    return query.Eof() ? QString() : query.AsString(at);
}
