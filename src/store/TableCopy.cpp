// CopyDataSetToTable: a recordset into a local table, row by row, through one prepared
// insert (and, in merge mode, one prepared update by key) bound straight from the
// recordset's values.

#include "store/SqlConnection.h"
#include "store/SqlError.h"
#include "store/SqlIdentifiers.h"
#include "store/TableCopyValues.h"
#include "store/TableTools.h"

#include <memory>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

QString QuotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', "\"\""_L1) + u'"';
}

bool IsConstraintFailure(int rc)
{
    return (rc & 0xFF) == SQLITE_CONSTRAINT;
}

// Gives the connection back its state: closed again when the load opened it.
class TConnectionState
{
public:
    explicit TConnectionState(TSqlConnection &conn)
        : FConn(conn)
        , FWasConnected(conn.Connected())
    {
        FConn.Open();
    }
    ~TConnectionState()
    {
        if (!FWasConnected)
            FConn.Close();
    }
    TConnectionState(const TConnectionState &) = delete;
    TConnectionState &operator=(const TConnectionState &) = delete;

private:
    TSqlConnection &FConn;
    bool FWasConnected;
};

// A statement of the connection's cache, given back when the copy ends.
class TCachedStatement
{
public:
    TCachedStatement(TSqlConnection &conn, const QString &sql)
        : FConn(conn)
        , FSql(sql)
        , FStmt(conn.AcquireStatement(sql, sql))
    {}
    ~TCachedStatement() { FConn.ReleaseStatement(FStmt); }
    TCachedStatement(const TCachedStatement &) = delete;
    TCachedStatement &operator=(const TCachedStatement &) = delete;

    sqlite3_stmt *Handle() const { return FStmt; }

    // Steps once and resets. SQLITE_DONE, or a constraint failure when those are
    // allowed, is returned; any other outcome is thrown.
    int Run(bool constraintAllowed)
    {
        const int rc = sqlite3_step(FStmt);
        if (rc == SQLITE_DONE || (constraintAllowed && IsConstraintFailure(rc))) {
            sqlite3_reset(FStmt);
            return rc;
        }
        const EZKSqlError error(QString::fromUtf8(sqlite3_errmsg(FConn.Handle())), FSql,
                                sqlite3_extended_errcode(FConn.Handle()));
        sqlite3_reset(FStmt);
        throw error;
    }

    [[noreturn]] void FailWith(int rc) const
    {
        throw EZKSqlError(QString::fromUtf8(sqlite3_errstr(rc)), FSql, rc);
    }

private:
    TSqlConnection &FConn;
    QString FSql;
    sqlite3_stmt *FStmt;
};

// The columns of the table that have a source field, in the table's order.
QList<TCopyPair> PairColumns(const TRecordset &source, const QList<TSqlFieldDef> &targetColumns)
{
    QList<TCopyPair> pairs;
    for (const TSqlFieldDef &target : targetColumns) {
        const int column = source.FindField(target.Name);
        if (column < 0)
            continue;
        TCopyPair pair;
        pair.SourceColumn = column;
        pair.SourceType = source.Column(column).Type;
        pair.Name = target.Name;
        pair.Kind = target.Kind;
        pair.CodeChars = target.Kind == TSqlFieldKind::BinaryCode ? target.Size / 2 : 0;
        pairs.append(pair);
    }
    return pairs;
}

// Positions in pairs of the key names; empty when a key name has no pair.
QList<int> KeyPairs(const QList<TCopyPair> &pairs, const QStringList &keyNames)
{
    QList<int> keys;
    for (const QString &key : keyNames) {
        int found = -1;
        for (int i = 0; i < pairs.size() && found < 0; ++i) {
            if (pairs[i].Name.compare(key, Qt::CaseInsensitive) == 0)
                found = i;
        }
        if (found < 0)
            return {};
        keys.append(found);
    }
    return keys;
}

QString InsertStatement(const QString &table, const QList<TCopyPair> &pairs)
{
    if (pairs.isEmpty()) // no column to copy: each row still adds a row of defaults
        return u"INSERT INTO %1 DEFAULT VALUES"_s.arg(QuotedName(table));
    QStringList names;
    QStringList values;
    for (int i = 0; i < pairs.size(); ++i) {
        names.append(QuotedName(pairs[i].Name));
        values.append(u"?%1"_s.arg(i + 1));
    }
    return u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(QuotedName(table), names.join(u','), values.join(u','));
}

// Updates the first row (in storage order) whose key columns hold the row's key values.
// A key parameter is the same parameter as the key column's new value: the key values are
// prepared exactly as they are copied (a binary code right-aligned). Text keys compare
// exactly, case included, while the table's key index (which ignores case) still finds
// the candidates.
QString UpdateStatement(const QString &table, const QList<TCopyPair> &pairs, const QList<int> &keys)
{
    QStringList assignments;
    for (int i = 0; i < pairs.size(); ++i)
        assignments.append(u"%1=?%2"_s.arg(QuotedName(pairs[i].Name)).arg(i + 1));
    QStringList conditions;
    for (int k : keys) {
        const QString name = QuotedName(pairs[k].Name);
        conditions.append(u"%1=?%2"_s.arg(name).arg(k + 1));
        if (IsTextKind(pairs[k].Kind))
            conditions.append(u"%1=?%2 COLLATE BINARY"_s.arg(name).arg(k + 1));
    }
    const QString t = QuotedName(table);
    return u"UPDATE %1 SET %2 WHERE rowid=(SELECT rowid FROM %1 WHERE %3 ORDER BY rowid LIMIT 1)"_s.arg(
        t, assignments.join(u','), conditions.join(u" AND "_s));
}

class TTableCopier
{
public:
    TTableCopier(TRecordset &source, TSqlConnection &conn, const QString &table, const QStringList &keyNames,
                 bool merge)
        : FSource(source)
        , FPairs(PairColumns(source, conn.GetColumns(table)))
        , FKeys(merge ? KeyPairs(FPairs, keyNames) : QList<int>())
        , FValues(FPairs)
        , FInsert(conn, InsertStatement(table, FPairs))
    {
        if (!FKeys.isEmpty())
            FUpdate = std::make_unique<TCachedStatement>(conn, UpdateStatement(table, FPairs, FKeys));
    }

    // Copies the current source row: added, updated by its key, or dropped.
    void CopyCurrentRow()
    {
        for (int i = 0; i < FPairs.size(); ++i)
            FValues.Prepare(i, FSource.Value(FPairs[i].SourceColumn));
        Bind(FInsert);
        if (FInsert.Run(true) == SQLITE_DONE || !FUpdate)
            return;
        // The row could not be added (its key exists, or another constraint): the row
        // with its key takes the values instead; without such a row the source row is
        // dropped.
        Bind(*FUpdate);
        FUpdate->Run(false);
    }

private:
    void Bind(TCachedStatement &stmt)
    {
        for (int i = 0; i < FPairs.size(); ++i) {
            const int rc = FValues.Apply(stmt.Handle(), i);
            if (rc != SQLITE_OK)
                stmt.FailWith(rc);
        }
    }

    TRecordset &FSource;
    QList<TCopyPair> FPairs;
    QList<int> FKeys;
    TCopyValueBinder FValues;
    TCachedStatement FInsert;
    std::unique_ptr<TCachedStatement> FUpdate;
};

// Creates the missing table (keyNames is emptied when it gets no key), or empties the
// existing one unless merging.
void PrepareTable(const TRecordset &source, TSqlConnection &conn, const QString &tableName,
                  QStringList &keyNames, bool merge)
{
    if (!conn.TableExists(tableName)) {
        bool withKey = false;
        conn.ExecSQL(CreateTableStatement(source, tableName, keyNames, &withKey));
        if (!withKey)
            keyNames.clear();
    } else if (!merge) {
        conn.ExecSQL(u"delete from "_s + tableName);
    }
}

} // namespace

bool CopyDataSetToTable(TRecordset &source, TSqlConnection &conn, const QString &tableName,
                        const QString &keys, TCopyTableOptions options, const TCopyProgressProc &onProgress)
{
    RequirePlainFieldNames(source); // before the table is created, emptied or written
    const bool merge = options.testFlag(ctoMerge);
    const bool deleteSource = options.testFlag(ctoDeleteSource);
    QStringList keyNames = SplitKeyNames(keys);
    TConnectionState connectionState(conn);
    TSqlTransaction transaction(conn);
    PrepareTable(source, conn, tableName, keyNames, merge);
    {
        TTableCopier copier(source, conn, tableName, keyNames, merge);
        for (source.First(); !source.Eof(); source.Next()) {
            copier.CopyCurrentRow();
            if (onProgress)
                onProgress();
        }
    }
    transaction.Commit();
    // The copied rows leave the source only once they are in the table: a load that
    // fails is undone in the table and leaves the source whole.
    if (deleteSource) {
        for (source.First(); !source.Eof();)
            source.Delete();
    }
    return true;
}
