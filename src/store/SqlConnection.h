#pragma once

#include "store/SqlColumnTypes.h"
#include "store/SqlDialect.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;
class TSqlQuery;

// Prefix of the connection strings of the three local databases; the file path follows.
inline constexpr QLatin1StringView
    JetConnectionPrefix("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=");

// The file path of a connection string ("Provider=…;Data Source=path", with or without
// further properties); a text without "Provider=" is taken as the path itself.
QString DatabasePathFromConnectionString(const QString &connectionString);

// A column of a table or of a query result.
struct TSqlFieldDef
{
    QString Name;
    QString DeclaredType; // as SQLite reports it; empty for an expression
    TSqlFieldKind Kind = TSqlFieldKind::Unknown;
    int Size = 0;         // characters for texts, bytes for binary codes and numbers, 0 for memos
    bool NotNull = false; // the column refuses null
    // Part of the primary key: GetColumns gives the 1-based position in the key; a query
    // field that is a table column gives 1; 0 when not part of a key.
    int PrimaryKeyPart = 0;
    QString BaseTable;  // query fields: the table and column the value comes from,
    QString BaseColumn; // empty for an expression
};

// A connection to one database file (SQLite standing in for the Jet engine). Statements
// are written in the Jet dialect (SqlDialect.h). Several connections may be open at once,
// each used from one thread only. Every failure throws EZKSqlError.
//
// Files are opened with a rollback journal (journal_mode=DELETE) and full synchronous
// writes: between transactions each database is the one file, so copying it (first
// set-up) or rewriting it (compaction) never misses a side file, and a decision the user
// made is on disk when its statement returns. Imports put their many statements into
// one transaction (TSqlTransaction), which makes them fast and all-or-nothing.
class TSqlConnection
{
public:
    TSqlConnection() = default;
    explicit TSqlConnection(const QString &connectionString);
    ~TSqlConnection();
    TSqlConnection(const TSqlConnection &) = delete;
    TSqlConnection &operator=(const TSqlConnection &) = delete;

    // A connection string or a bare path; closes the connection first.
    void SetConnectionString(const QString &connectionString);
    const QString &ConnectionString() const { return FConnectionString; }
    QString FileName() const { return DatabasePathFromConnectionString(FConnectionString); }

    // Opens the existing database file; a missing file is an error (nothing is created).
    void Open();
    void Open(const QString &connectionString);
    // Closes; open queries of this connection become inactive; an open transaction is
    // rolled back.
    void Close();
    bool Connected() const { return FDb != nullptr; }

    // Creates a new, empty database file; an existing file is an error.
    static void CreateDatabase(const QString &path);

    // Runs one statement without parameters; returns the number of rows it changed.
    int ExecSQL(const QString &sql);
    // The lines of one statement, joined with line breaks.
    int ExecSQL(const QStringList &lines);

    // Transactions nest: the outermost level is a database transaction (which takes the
    // write lock at once), inner levels are savepoints.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    int TransactionLevel() const { return FTransactionLevel; }
    bool InTransaction() const { return FTransactionLevel > 0; }

    // The tables of the database, in name order (no internal tables).
    QStringList GetTableNames();
    bool TableExists(const QString &table);
    // The columns of a table in their order; an error when the table does not exist.
    QList<TSqlFieldDef> GetColumns(const QString &table);

    // For the query classes of this layer.
    sqlite3 *Handle() const { return FDb; }
    const TSqlPlan &Plan(const QString &jetSql);
    sqlite3_stmt *AcquireStatement(const QString &sql, const QString &jetSql);
    void ReleaseStatement(sqlite3_stmt *stmt);
    // After a statement that changed the schema: a kept statement would still describe
    // the old columns of a table made again under the same name until it runs. Queries
    // compare SchemaGeneration with the one their statement was prepared in.
    void ForgetIdleStatements()
    {
        ClearCaches();
        ++FSchemaGeneration;
    }
    quint64 SchemaGeneration() const { return FSchemaGeneration; }
    void PrepareAttachments(const TSqlPlan &plan, const QString &jetSql);
    void Register(TSqlQuery *query) { FQueries.insert(query); }
    void Unregister(TSqlQuery *query) { FQueries.remove(query); }
    [[noreturn]] void Fail(const QString &jetSql) const;

private:
    void RunPlain(const QString &sql, const QString &jetSql);
    void ClearCaches();

    QString FConnectionString;
    sqlite3 *FDb = nullptr;
    int FTransactionLevel = 0;
    QSet<TSqlQuery *> FQueries;
    QHash<QString, TSqlPlan> FPlans;                     // Jet text → translation
    QMultiHash<QString, sqlite3_stmt *> FIdleStatements; // SQLite text → prepared, reset statements
    QSet<QString> FAttached;                             // aliases of attached files
    quint64 FSchemaGeneration = 0;                       // schema changes run so far
};

// Within its scope a delete leaves the pages it frees as they are instead of zeroing them
// first (SQLite's secure deletion, which Debian's build turns on). For work that writes
// the same rows again at once, such as an import replacing a set: its rows take those
// very pages again, and zeroing them first cost more than the deletion itself. Cells
// deleted from a page that stays in use are still zeroed.
class TSqlFastPageFreeing
{
public:
    explicit TSqlFastPageFreeing(TSqlConnection &connection);
    ~TSqlFastPageFreeing();
    TSqlFastPageFreeing(const TSqlFastPageFreeing &) = delete;
    TSqlFastPageFreeing &operator=(const TSqlFastPageFreeing &) = delete;

private:
    TSqlConnection &FConnection;
    QByteArray FRestore; // the statement that sets the mode found
};

// Runs a transaction unless committed: the destructor rolls back.
class TSqlTransaction
{
public:
    explicit TSqlTransaction(TSqlConnection &connection);
    ~TSqlTransaction();
    TSqlTransaction(const TSqlTransaction &) = delete;
    TSqlTransaction &operator=(const TSqlTransaction &) = delete;

    void Commit();
    void Rollback();

private:
    TSqlConnection &FConnection;
    bool FOpen = true;
};
