// The temporary copy of a table ("_tmp") that an import keeps while it reloads the table.
// Table and column names reach the statements checked and quoted (SqlIdentifiers.h): the
// columns of a reloaded table are those of the leader's recordsets.

#include "store/SqlConnection.h"
#include "store/SqlIdentifiers.h"
#include "store/SqlQuery.h"
#include "store/TableTools.h"
#include "store/ZKError.h"

using namespace Qt::StringLiterals;

namespace {

QString BackupName(const QString &tableName)
{
    return tableName + u"_tmp"_s;
}

// Runs work; an error gets "(operation table) " in front of its text.
template<class Work>
void WithErrorPrefix(const QString &operation, const QString &tableName, Work work)
{
    try {
        work();
    } catch (const EZKError &e) {
        throw e.WithPrefix(u"(%1 %2) "_s.arg(operation, tableName));
    }
}

QStringList FieldNames(const QList<TSqlFieldDef> &fields)
{
    QStringList names;
    for (const TSqlFieldDef &f : fields)
        names.append(f.Name);
    return names;
}

// The backup's columns that the table also has, in the backup's order, each quoted,
// joined by ",".
QString RestoredColumns(TSqlConnection &conn, const QString &tableName)
{
    TSqlQuery backup(&conn);
    backup.SetSQL(u"select top 1 * from "_s + QuoteIdentifier(BackupName(tableName)));
    backup.Open();
    const QStringList backupColumns = FieldNames(backup.FieldDefs());
    backup.Close();
    TSqlQuery table(&conn);
    table.OpenTable(tableName);
    const QStringList tableColumns = FieldNames(table.FieldDefs());
    table.Close();

    QStringList columns;
    for (const QString &name : backupColumns) {
        if (tableColumns.contains(name, Qt::CaseInsensitive))
            columns.append(QuoteIdentifier(name));
    }
    return columns.join(u',');
}

} // namespace

void BackupTable(TSqlConnection &conn, const QString &tableName)
{
    WithErrorPrefix(u"BackupTable"_s, tableName, [&] {
        const QString table = QuoteIdentifier(tableName);
        conn.ExecSQL(u"select * into "_s + QuoteIdentifier(BackupName(tableName)) + u" from "_s + table);
    });
}

void RestoreTable(TSqlConnection &conn, const QString &tableName)
{
    WithErrorPrefix(u"RestoreTable"_s, tableName, [&] {
        const QString table = QuoteIdentifier(tableName);
        const QString backup = QuoteIdentifier(BackupName(tableName));
        TSqlTransaction transaction(conn);
        conn.ExecSQL(u"delete from "_s + table);
        const QString columns = RestoredColumns(conn, tableName);
        conn.ExecSQL(QStringList{u"insert into "_s + table, u"select "_s + columns + u" from "_s + backup});
        conn.ExecSQL(u"drop table "_s + backup);
        transaction.Commit();
    });
}

void ModifyTable(TSqlConnection &conn, const QString &tableName, const QStringList &setFields,
                 const QStringList &keyFields)
{
    WithErrorPrefix(u"ModifyTable"_s, tableName, [&] {
        const QString table = QuoteIdentifier(tableName);
        const QString backup = QuoteIdentifier(BackupName(tableName));
        QString assignments;
        for (const QString &field : setFields)
            assignments = u"%1%2.%3=%4.%3,"_s.arg(assignments, table, QuoteIdentifier(field), backup);
        assignments.chop(1);
        QString condition;
        for (const QString &key : keyFields)
            condition = u"%1 and %2.%3=%4.%3"_s.arg(condition, table, QuoteIdentifier(key), backup);
        condition.remove(0, 5);

        QStringList statement{u"update "_s + table + u","_s + backup, u"set "_s + assignments};
        if (!condition.isEmpty())
            statement.append(u"where "_s + condition);
        TSqlTransaction transaction(conn);
        conn.ExecSQL(statement);
        conn.ExecSQL(u"drop table "_s + backup);
        transaction.Commit();
    });
}
