#include "store/SqlConnection.h"

#include "store/SqlError.h"
#include "store/PrivateFiles.h"
#include "store/SqlFunctions.h"
#include "store/SqlQuery.h"

#include <QFileInfo>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// Idle prepared statements kept per connection; an import reuses its insert statement,
// and the statements of a workspace operation come back when it runs again.
constexpr int MaxIdleStatements = 64;
constexpr int MaxPlans = 512;

// How long a statement waits for another connection (the task thread's own connection
// to the shared database) to finish writing.
constexpr int BusyTimeoutMs = 10000;

// First bytes of every database file this program creates ("ZKMD").
constexpr int ApplicationId = 0x5A4B4D44;

QByteArray Utf8(const QString &s)
{
    return s.toUtf8();
}

QString Quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', "\"\""_L1) + u'"';
}

void ThrowOnDb(sqlite3 *db, int rc, const QString &statement)
{
    if (rc == SQLITE_OK)
        return;
    throw EZKSqlError(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)),
                      statement, db ? sqlite3_extended_errcode(db) : rc);
}

void Configure(sqlite3 *db)
{
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    // A double-quoted text must never be taken as a literal by SQLite: the dialect
    // translation turns Jet's literals into single-quoted ones, and anything it missed
    // should fail loudly.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    RegisterJetFunctions(db);
    const char *pragmas = "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; "
                          "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-16384; "
                          "SELECT count(*) FROM sqlite_schema;";
    ThrowOnDb(db, sqlite3_exec(db, pragmas, nullptr, nullptr, nullptr), QString());
}

} // namespace

QString DatabasePathFromConnectionString(const QString &connectionString)
{
    const QString s = connectionString.trimmed();
    if (!s.startsWith("Provider="_L1, Qt::CaseInsensitive))
        return s;
    // The program's own connection strings end with the path: all of it is the path, so
    // that a ";" in a folder name shows up in the path (and is refused) instead of cutting
    // it short.
    if (s.startsWith(JetConnectionPrefix, Qt::CaseInsensitive))
        return s.mid(JetConnectionPrefix.size());
    const QStringList parts = s.split(u';');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0 || part.left(eq).trimmed().compare("Data Source"_L1, Qt::CaseInsensitive) != 0)
            continue;
        QString path = part.mid(eq + 1).trimmed();
        // Parts without "=" after it are pieces of the same path, not properties.
        while (i + 1 < parts.size() && !parts[i + 1].contains(u'=') && !parts[i + 1].trimmed().isEmpty())
            path += u';' + parts[++i];
        if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
            path = path.mid(1, path.size() - 2);
        return path;
    }
    return QString();
}

namespace {

// A database path with ";" in it cannot be told apart from a cut one: it is refused.
void RefuseAmbiguousPath(const QString &path)
{
    if (path.contains(u';'))
        throw EZKSqlError(u"数据库路径“%1”含有“;”，不能打开。"_s.arg(path), QString(),
                          SQLITE_CANTOPEN);
}

} // namespace

TSqlConnection::TSqlConnection(const QString &connectionString)
    : FConnectionString(connectionString)
{}

TSqlConnection::~TSqlConnection()
{
    Close();
    const QSet<TSqlQuery *> queries = FQueries;
    for (TSqlQuery *q : queries)
        q->SetConnection(nullptr);
}

void TSqlConnection::SetConnectionString(const QString &connectionString)
{
    Close();
    FConnectionString = connectionString;
}

void TSqlConnection::Open(const QString &connectionString)
{
    SetConnectionString(connectionString);
    Open();
}

void TSqlConnection::Open()
{
    if (FDb)
        return;
    const QString path = FileName();
    if (path.isEmpty())
        throw EZKSqlError(u"连接没有指定数据库文件。"_s, QString(), 0);
    RefuseAmbiguousPath(path);
    if (!QFileInfo(path).isFile())
        throw EZKSqlError(u"找不到文件“%1”。"_s.arg(path), QString(), SQLITE_CANTOPEN);
    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(Utf8(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        ThrowOnDb(db, rc, QString());
        Configure(db);
    } catch (const EZKSqlError &e) {
        sqlite3_close_v2(db);
        throw EZKSqlError(u"无法打开数据库“%1”：%2"_s.arg(path, e.EngineMessage()), QString(),
                          e.ResultCode());
    }
    FDb = db;
}

void TSqlConnection::Close()
{
    if (!FDb)
        return;
    for (TSqlQuery *q : std::as_const(FQueries))
        q->ConnectionClosing();
    ClearCaches();
    sqlite3_close_v2(FDb);
    FDb = nullptr;
    FTransactionLevel = 0;
    FAttached.clear();
}

void TSqlConnection::ClearCaches()
{
    for (sqlite3_stmt *stmt : std::as_const(FIdleStatements))
        sqlite3_finalize(stmt);
    FIdleStatements.clear();
}

void TSqlConnection::CreateDatabase(const QString &path)
{
    RefuseAmbiguousPath(path);
    if (QFileInfo::exists(path))
        throw EZKSqlError(u"数据库“%1”已经存在。"_s.arg(path), QString(), SQLITE_CANTOPEN);
    sqlite3 *db = nullptr;
    int rc =
        sqlite3_open_v2(Utf8(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray sql =
            "PRAGMA journal_mode=DELETE; PRAGMA application_id=" + QByteArray::number(ApplicationId);
        rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK)
        throw EZKSqlError(u"无法创建数据库“%1”：%2"_s.arg(path, message), QString(), rc);
    // SQLite makes the file 0644, and its journals take the file's mode: a database is
    // the member's alone from the start.
    MakePrivateFile(path);
}

int TSqlConnection::ExecSQL(const QString &sql)
{
    TSqlQuery query(this);
    query.SetSQL(sql);
    return query.ExecSQL();
}

int TSqlConnection::ExecSQL(const QStringList &lines)
{
    TSqlQuery query(this);
    query.SetSQL(lines);
    return query.ExecSQL();
}

void TSqlConnection::RunPlain(const QString &sql, const QString &jetSql)
{
    if (!FDb)
        throw EZKSqlError(u"数据库连接没有打开。"_s, jetSql, 0);
    if (sqlite3_exec(FDb, Utf8(sql).constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(jetSql);
}

void TSqlConnection::Fail(const QString &jetSql) const
{
    throw EZKSqlError(QString::fromUtf8(sqlite3_errmsg(FDb)), jetSql, sqlite3_extended_errcode(FDb));
}

void TSqlConnection::BeginTrans()
{
    if (FTransactionLevel == 0)
        RunPlain(u"BEGIN IMMEDIATE"_s, u"BeginTrans"_s);
    else
        RunPlain(u"SAVEPOINT zk_level_%1"_s.arg(FTransactionLevel), u"BeginTrans"_s);
    ++FTransactionLevel;
}

void TSqlConnection::CommitTrans()
{
    if (FTransactionLevel == 0 || !FDb)
        throw EZKSqlError(u"没有可以提交的事务。"_s, u"CommitTrans"_s, 0);
    if (FTransactionLevel == 1) {
        RunPlain(u"COMMIT"_s, u"CommitTrans"_s);
    } else {
        RunPlain(u"RELEASE zk_level_%1"_s.arg(FTransactionLevel - 1), u"CommitTrans"_s);
    }
    --FTransactionLevel;
}

void TSqlConnection::RollbackTrans()
{
    if (FTransactionLevel == 0 || !FDb)
        throw EZKSqlError(u"没有可以回滚的事务。"_s, u"RollbackTrans"_s, 0);
    // An error such as a full disk may already have rolled the whole transaction back.
    if (sqlite3_get_autocommit(FDb)) {
        FTransactionLevel = 0;
        return;
    }
    if (FTransactionLevel == 1) {
        RunPlain(u"ROLLBACK"_s, u"RollbackTrans"_s);
    } else {
        const int n = FTransactionLevel - 1;
        RunPlain(u"ROLLBACK TO zk_level_%1; RELEASE zk_level_%1"_s.arg(n), u"RollbackTrans"_s);
    }
    --FTransactionLevel;
}

QStringList TSqlConnection::GetTableNames()
{
    TSqlQuery q(this);
    q.SetSQL(u"select name from sqlite_schema where type = 'table' and substr(name, 1, 7) <> 'sqlite_' "
             "order by name"_s);
    QStringList names;
    for (q.Open(); !q.Eof(); q.Next())
        names.append(q.AsString(0));
    return names;
}

bool TSqlConnection::TableExists(const QString &table)
{
    TSqlQuery q(this);
    q.SetSQL(u"select count(*) from sqlite_schema where type = 'table' and name = :name collate nocase"_s);
    q.SetTextParam(u"name"_s, table);
    q.Open();
    return q.Value(0).toInt() > 0;
}

QList<TSqlFieldDef> TSqlConnection::GetColumns(const QString &table)
{
    TSqlQuery q(this);
    q.SetSQL(u"select name, type, [notnull], pk from pragma_table_info(:table)"_s);
    q.SetTextParam(u"table"_s, table);
    QList<TSqlFieldDef> columns;
    for (q.Open(); !q.Eof(); q.Next()) {
        TSqlFieldDef f;
        f.Name = q.AsString(0);
        f.DeclaredType = q.AsString(1);
        const TSqlColumnType type = ParseDeclaredType(f.DeclaredType);
        f.Kind = type.Kind;
        f.Size = type.Size;
        f.NotNull = q.Value(2).toInt() != 0;
        f.PrimaryKeyPart = q.Value(3).toInt();
        columns.append(f);
    }
    if (columns.isEmpty())
        throw EZKSqlError(u"数据表“%1”不存在。"_s.arg(table), QString(), 0);
    return columns;
}

const TSqlPlan &TSqlConnection::Plan(const QString &jetSql)
{
    if (const auto it = FPlans.constFind(jetSql); it != FPlans.constEnd())
        return *it;
    if (FPlans.size() >= MaxPlans)
        FPlans.clear();
    try {
        return *FPlans.insert(jetSql, TranslateJetSql(jetSql));
    } catch (const EZKSqlError &) {
        throw;
    } catch (const EZKError &e) {
        throw EZKSqlError(e.Message(), jetSql, 0);
    }
}

sqlite3_stmt *TSqlConnection::AcquireStatement(const QString &sql, const QString &jetSql)
{
    if (!FDb)
        throw EZKSqlError(u"数据库连接没有打开。"_s, jetSql, 0);
    if (sqlite3_stmt *idle = FIdleStatements.take(sql))
        return idle;
    const QByteArray text = Utf8(sql);
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v3(FDb, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                           &tail) != SQLITE_OK)
        Fail(jetSql);
    if (!stmt || QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(stmt);
        throw EZKSqlError(stmt ? u"SQL 语句结束后还有多余的字符。"_s
                               : u"SQL 语句是空的。"_s,
                          jetSql, SQLITE_ERROR);
    }
    return stmt;
}

void TSqlConnection::ReleaseStatement(sqlite3_stmt *stmt)
{
    if (!stmt)
        return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (!FDb || FIdleStatements.size() >= MaxIdleStatements) {
        sqlite3_finalize(stmt);
        return;
    }
    FIdleStatements.insert(QString::fromUtf8(sqlite3_sql(stmt)), stmt);
}

void TSqlConnection::PrepareAttachments(const TSqlPlan &plan, const QString &jetSql)
{
    for (const TSqlAttachment &a : plan.Attachments) {
        if (FAttached.contains(a.Alias))
            continue;
        if (InTransaction())
            throw EZKSqlError(
                u"读取其他数据库文件的语句不能在事务中执行。"_s, jetSql,
                0);
        if (!QFileInfo(a.Path).isFile())
            throw EZKSqlError(u"找不到文件“%1”。"_s.arg(a.Path), jetSql, SQLITE_CANTOPEN);
        TSqlQuery attach(this);
        attach.SetSQL(u"attach :path as "_s + Quoted(a.Alias));
        attach.SetTextParam(u"path"_s, a.Path);
        attach.ExecSQL();
        FAttached.insert(a.Alias);
    }
}

TSqlFastPageFreeing::TSqlFastPageFreeing(TSqlConnection &connection)
    : FConnection(connection)
{
    sqlite3 *db = connection.Handle();
    if (!db)
        throw EZKSqlError(u"数据库连接没有打开。"_s, u"PRAGMA secure_delete"_s, 0);
    sqlite3_stmt *statement = nullptr;
    ThrowOnDb(db, sqlite3_prepare_v2(db, "PRAGMA secure_delete", -1, &statement, nullptr),
              u"PRAGMA secure_delete"_s);
    const int rc = sqlite3_step(statement);
    const int mode = rc == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    sqlite3_finalize(statement);
    if (rc != SQLITE_ROW)
        ThrowOnDb(db, rc, u"PRAGMA secure_delete"_s);
    // Setting the mode read back as 2 takes its name: "2" would read as on.
    FRestore = "PRAGMA secure_delete=" + QByteArray(mode == 2 ? "FAST" : mode ? "ON" : "OFF");
    ThrowOnDb(db, sqlite3_exec(db, "PRAGMA secure_delete=FAST", nullptr, nullptr, nullptr),
              u"PRAGMA secure_delete=FAST"_s);
}

TSqlFastPageFreeing::~TSqlFastPageFreeing()
{
    // Setting a flag of the open connection does not fail; were the connection closed
    // meanwhile, the next one starts with the build's mode anyway.
    if (sqlite3 *db = FConnection.Handle())
        sqlite3_exec(db, FRestore.constData(), nullptr, nullptr, nullptr);
}

TSqlTransaction::TSqlTransaction(TSqlConnection &connection)
    : FConnection(connection)
{
    FConnection.BeginTrans();
}

TSqlTransaction::~TSqlTransaction()
{
    if (!FOpen)
        return;
    try {
        FConnection.RollbackTrans();
    } catch (const EZKError &) {
        // Nothing more can be done here; closing the connection rolls back too.
    }
}

void TSqlTransaction::Commit()
{
    if (!FOpen)
        return;
    FConnection.CommitTrans();
    FOpen = false;
}

void TSqlTransaction::Rollback()
{
    if (!FOpen)
        return;
    FOpen = false;
    FConnection.RollbackTrans();
}
