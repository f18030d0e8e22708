#include "store/SqlQuery.h"

#include "store/SqlError.h"
#include "store/SqlText.h"

#include <QDateTime>
#include <cmath>
#include <limits>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

const QString DateTimeFormat = u"yyyy-MM-dd HH:mm:ss"_s;

QString DateTimeText(const QDateTime &dt)
{
    return dt.toString(dt.time().msec() ? DateTimeFormat + u".zzz"_s : DateTimeFormat);
}

// A DATETIME value: the text this layer writes, or a day number counted from
// 1899-12-30 with the time as the fraction (the engine's serial date).
QVariant DateTimeValue(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::QString) {
        QString text = stored.toString().trimmed();
        if (text.size() > 10 && text[10] == u' ')
            text[10] = u'T';
        const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        return dt.isValid() ? QVariant(dt) : stored;
    }
    const double serial = stored.toDouble();
    const double days = std::floor(serial);
    const qint64 msecs = std::llround(std::fabs(serial - days) * 86400000.0);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days));
    return QDateTime(date, QTime(0, 0)).addMSecs(msecs);
}

QVariant ColumnValue(sqlite3_stmt *stmt, int i, TSqlFieldKind kind)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, i);
        if (kind == TSqlFieldKind::Boolean)
            return v != 0;
        if (kind == TSqlFieldKind::DateTime)
            return DateTimeValue(double(v));
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return int(v);
        return qlonglong(v);
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, i);
        return kind == TSqlFieldKind::DateTime ? DateTimeValue(v) : QVariant(v);
    }
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                          sqlite3_column_bytes(stmt, i));
    default: {
        const QString text = SqlText::Column(stmt, i);
        return kind == TSqlFieldKind::DateTime ? DateTimeValue(text) : QVariant(text);
    }
    }
}

int BindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() <= quint64(std::numeric_limits<qint64>::max()))
            return sqlite3_bind_int64(stmt, index, value.toLongLong());
        return sqlite3_bind_double(stmt, index, value.toDouble());
    case QMetaType::Double:
    case QMetaType::Float: {
        // A whole number goes in as an integer: a text column then holds "3", as Jet
        // writes it, not SQLite's "3.0"; numeric columns take it as the same number.
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
            return sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(d));
        return sqlite3_bind_double(stmt, index, d);
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT);
    }
    case QMetaType::QDateTime:
        return sqlite3_bind_text16(stmt, index, DateTimeText(value.toDateTime()).utf16(), -1,
                                   SQLITE_TRANSIENT);
    case QMetaType::QDate:
        return sqlite3_bind_text16(stmt, index, DateTimeText(value.toDate().startOfDay()).utf16(), -1,
                                   SQLITE_TRANSIENT);
    case QMetaType::QTime:
        return sqlite3_bind_text16(stmt, index,
                                   DateTimeText(QDateTime(QDate(1899, 12, 30), value.toTime())).utf16(), -1,
                                   SQLITE_TRANSIENT);
    default:
        return SqlText::Bind(stmt, index, value.toString());
    }
}

// Whether the statement reports changed rows.
bool IsSchemaChange(const QString &sql)
{
    const QString head = sql.trimmed().left(6).toLower();
    return head.startsWith("create"_L1) || head.startsWith("drop"_L1) || head.startsWith("alter"_L1);
}

bool IsDataChange(const QString &sql)
{
    const QString head = sql.trimmed().left(7).toLower();
    return head.startsWith("insert"_L1) || head.startsWith("update"_L1) || head.startsWith("delete"_L1) ||
           head.startsWith("replace"_L1);
}

QString QuotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', "\"\""_L1) + u'"';
}

} // namespace

QString SqlValueText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? u"True"_s : u"False"_s;
    case QMetaType::QDateTime:
        return DateTimeText(value.toDateTime());
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

void SetCodeParam(TSqlQuery &query, const QString &name, int width, const QString &value)
{
    if (width <= 0)
        throw EZKSqlError(u"SetCodeParam：参数 %1 的宽度必须大于 0。"_s.arg(name), query.SQL(), 0);
    query.SetTextParam(name, value);
}

TSqlQuery::TSqlQuery(TSqlConnection *connection)
{
    SetConnection(connection);
}

TSqlQuery::~TSqlQuery()
{
    SetConnection(nullptr);
}

void TSqlQuery::SetConnection(TSqlConnection *connection)
{
    if (connection == FConnection)
        return;
    ReleaseStatement();
    if (FConnection)
        FConnection->Unregister(this);
    FConnection = connection;
    FPlan.reset();
    if (FConnection)
        FConnection->Register(this);
}

TSqlConnection &TSqlQuery::Conn() const
{
    if (!FConnection || !FConnection->Connected())
        throw EZKSqlError(u"查询没有打开的数据库连接。"_s, FSQL, 0);
    return *FConnection;
}

void TSqlQuery::Fail(const QString &message) const
{
    throw EZKSqlError(message, FSQL, 0);
}

void TSqlQuery::SetSQL(const QString &sql)
{
    ReleaseStatement();
    FSQL = sql;
    FPlan.reset();
    FParamIndex.clear();
    FParamValues.clear();
    FParamGiven.clear();
    FTableMode = false;
}

void TSqlQuery::SetSQL(const QStringList &lines)
{
    SetSQL(lines.join(u"\r\n"_s));
}

const TSqlPlan &TSqlQuery::CurrentPlan()
{
    if (!FPlan) {
        if (FConnection) {
            FPlan = FConnection->Plan(FSQL);
        } else {
            try {
                FPlan = TranslateJetSql(FSQL);
            } catch (const EZKError &e) {
                Fail(e.Message());
            }
        }
        for (qsizetype i = 0; i < FPlan->ParamNames.size(); ++i)
            FParamIndex.insert(FPlan->ParamNames[i], int(i));
        FParamValues = QVariantList(FPlan->ParamNames.size());
        FParamGiven = QList<bool>(FPlan->ParamNames.size(), false);
    }
    return *FPlan;
}

QStringList TSqlQuery::ParamNames()
{
    return FTableMode ? QStringList() : CurrentPlan().ParamNames;
}

int TSqlQuery::ParamIndex(const QString &name)
{
    if (!FTableMode)
        CurrentPlan();
    if (const auto it = FParamIndex.constFind(name); it != FParamIndex.constEnd())
        return *it;
    const auto it = FParamIndex.constFind(name.toLower());
    if (it == FParamIndex.constEnd())
        return -1;
    // Remember the spelling: a loop sets the same names row after row.
    const int index = *it;
    FParamIndex.insert(name, index);
    return index;
}

void TSqlQuery::SetParam(const QString &name, const QVariant &value)
{
    const int index = ParamIndex(name);
    if (index < 0)
        Fail(u"找不到参数“%1”。"_s.arg(name));
    SetParamAt(index, value);
}

void TSqlQuery::SetParamAt(int index, const QVariant &value)
{
    if (index < 0 || index >= FParamValues.size())
        Fail(u"没有第 %1 个参数。"_s.arg(index));
    FParamValues[index] = value;
    FParamGiven[index] = true;
}

void TSqlQuery::ClearParams()
{
    FParamValues.fill(QVariant());
    FParamGiven.fill(false);
}

// For each parameter position of a statement (0-based), the index of its value.
QList<int> TSqlQuery::BindMapOf(sqlite3_stmt *stmt)
{
    QList<int> map;
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char *raw = sqlite3_bind_parameter_name(stmt, i);
        if (!raw)
            Fail(u"参数必须带名称（:name）。"_s);
        const int index = ParamIndex(QString::fromUtf8(raw + 1));
        if (index < 0)
            Fail(u"找不到参数“%1”。"_s.arg(QString::fromUtf8(raw + 1)));
        map.append(index);
    }
    return map;
}

void TSqlQuery::BindParams(sqlite3_stmt *stmt, const QList<int> &map)
{
    for (int i = 0; i < map.size(); ++i) {
        const int index = map[i];
        if (!FParamGiven[index])
            Fail(u"参数“%1”没有给出值。"_s.arg(FPlan->ParamNames[index]));
        if (BindValue(stmt, i + 1, FParamValues[index]) != SQLITE_OK)
            Conn().Fail(FSQL);
    }
}

// The query's own prepared statement, kept from run to run: an import runs it once per
// row with new values.
sqlite3_stmt *TSqlQuery::Statement(const QString &sql)
{
    if (FStmt && FStmtGeneration != Conn().SchemaGeneration())
        ReleaseStatement(); // prepared before a schema change: it may describe a dropped table
    if (!FStmt) {
        FStmtGeneration = Conn().SchemaGeneration();
        FStmt = Conn().AcquireStatement(sql, FSQL);
        try {
            FBindMap = BindMapOf(FStmt);
        } catch (...) {
            ReleaseStatement();
            throw;
        }
    }
    return FStmt;
}

void TSqlQuery::ReleaseStatement()
{
    Close();
    // A statement prepared before a schema change is not kept for reuse.
    if (FStmt && FConnection && FStmtGeneration == FConnection->SchemaGeneration())
        FConnection->ReleaseStatement(FStmt);
    else if (FStmt)
        sqlite3_finalize(FStmt);
    FStmt = nullptr;
    FBindMap.clear();
}

int TSqlQuery::ExecSQL()
{
    Close();
    TSqlConnection &conn = Conn();
    const TSqlPlan &plan = CurrentPlan();
    conn.PrepareAttachments(plan, FSQL);
    if (plan.Kind == TSqlPlanKind::SelectInto)
        return ExecSelectInto(plan);
    if (plan.Kind == TSqlPlanKind::InsertSelect)
        return ExecInsertSelect(plan);
    sqlite3_stmt *stmt = Statement(plan.Sql);
    const int changed = RunToEnd(stmt, FBindMap, IsDataChange(plan.Sql));
    if (IsSchemaChange(plan.Sql))
        conn.ForgetIdleStatements();
    for (const QString &followUp : plan.FollowUps)
        ExecStatement(followUp);
    return changed;
}

// Binds, steps to the end and resets; the number of changed rows when asked for.
int TSqlQuery::RunToEnd(sqlite3_stmt *stmt, const QList<int> &map, bool countChanges)
{
    TSqlConnection &conn = Conn();
    int rc = SQLITE_OK;
    try {
        BindParams(stmt, map);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
    } catch (...) {
        sqlite3_reset(stmt);
        throw;
    }
    if (rc != SQLITE_DONE) {
        const EZKSqlError error(QString::fromUtf8(sqlite3_errmsg(conn.Handle())), FSQL,
                                sqlite3_extended_errcode(conn.Handle()));
        sqlite3_reset(stmt);
        throw error;
    }
    const int changed = countChanges ? int(sqlite3_changes64(conn.Handle())) : 0;
    sqlite3_reset(stmt);
    return changed;
}

// A statement other than the query's own (the parts of select … into, numbering triggers).
int TSqlQuery::ExecStatement(const QString &sql)
{
    TSqlConnection &conn = Conn();
    sqlite3_stmt *stmt = conn.AcquireStatement(sql, FSQL);
    try {
        const int changed = RunToEnd(stmt, BindMapOf(stmt), IsDataChange(sql));
        conn.ReleaseStatement(stmt);
        if (IsSchemaChange(sql))
            conn.ForgetIdleStatements();
        return changed;
    } catch (...) {
        conn.ReleaseStatement(stmt);
        throw;
    }
}

// Names and declared types of the columns of a select, without running it.
QList<QPair<QString, QString>> TSqlQuery::SelectColumns(const QString &sql)
{
    TSqlConnection &conn = Conn();
    sqlite3_stmt *stmt = conn.AcquireStatement(sql, FSQL);
    QList<QPair<QString, QString>> columns;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i)
        columns.append({QString::fromUtf8(sqlite3_column_name(stmt, i)),
                        QString::fromUtf8(sqlite3_column_decltype(stmt, i))});
    conn.ReleaseStatement(stmt);
    return columns;
}

// select … into T from …: T gets the names and declared types of the select's columns
// (text columns compare without case, as all of ours do), then the rows. All or nothing.
int TSqlQuery::ExecSelectInto(const TSqlPlan &plan)
{
    QStringList columns;
    QStringList used;
    for (const auto &[selected, decl] : SelectColumns(plan.Sql)) {
        QString name = selected;
        for (int n = 1; used.contains(name.toLower()); ++n)
            name = selected + QString::number(n);
        used.append(name.toLower());
        const TSqlFieldKind kind = ParseDeclaredType(decl).Kind;
        const bool text = IsTextKind(kind) || kind == TSqlFieldKind::Unknown;
        columns.append(QuotedName(name) + u' ' + decl + (text ? u" COLLATE NOCASE"_s : QString()));
    }
    TSqlTransaction transaction(Conn());
    ExecStatement(u"CREATE TABLE %1 (%2)"_s.arg(QuotedName(plan.Table), columns.join(u", "_s)));
    const int inserted = ExecStatement(u"INSERT INTO %1 "_s.arg(QuotedName(plan.Table)) + plan.Sql);
    transaction.Commit();
    return inserted;
}

// insert into T select …: the select's columns go into the columns of T with their names.
int TSqlQuery::ExecInsertSelect(const TSqlPlan &plan)
{
    QStringList names;
    for (const auto &column : SelectColumns(plan.Sql))
        names.append(QuotedName(column.first));
    return ExecStatement(u"INSERT INTO %1 (%2) "_s.arg(QuotedName(plan.Table), names.join(u", "_s)) +
                         plan.Sql);
}

void TSqlQuery::Open()
{
    Close();
    TSqlConnection &conn = Conn();
    const TSqlPlan &plan = CurrentPlan();
    if (plan.Kind != TSqlPlanKind::Plain)
        Fail(u"该语句不返回记录，不能打开，请用 ExecSQL 执行。"_s);
    conn.PrepareAttachments(plan, FSQL);
    sqlite3_stmt *stmt = Statement(plan.Sql);
    try {
        BindParams(stmt, FBindMap);
    } catch (...) {
        sqlite3_reset(stmt);
        throw;
    }
    ReadFieldDefs();
    FActive = true;
    Step();
}

void TSqlQuery::OpenTable(const QString &table)
{
    SetSQL(u"select * from [%1]"_s.arg(table));
    FTableMode = true;
    Statement(u"SELECT rowid, * FROM %1"_s.arg(QuotedName(table)));
    ReadFieldDefs();
    FActive = true;
    Step();
}

void TSqlQuery::ReadFieldDefs()
{
    FFields.clear();
    const int count = sqlite3_column_count(FStmt);
    for (int i = FTableMode ? 1 : 0; i < count; ++i) {
        TSqlFieldDef f;
        f.Name = QString::fromUtf8(sqlite3_column_name(FStmt, i));
        f.DeclaredType = QString::fromUtf8(sqlite3_column_decltype(FStmt, i));
        const TSqlColumnType type = ParseDeclaredType(f.DeclaredType);
        f.Kind = type.Kind;
        f.Size = type.Size;
        const char *database = sqlite3_column_database_name(FStmt, i);
        const char *table = sqlite3_column_table_name(FStmt, i);
        const char *column = sqlite3_column_origin_name(FStmt, i);
        if (database && table && column) {
            f.BaseTable = QString::fromUtf8(table);
            f.BaseColumn = QString::fromUtf8(column);
            int notNull = 0;
            int primaryKey = 0;
            if (sqlite3_table_column_metadata(FConnection->Handle(), database, table, column, nullptr,
                                              nullptr, &notNull, &primaryKey, nullptr) == SQLITE_OK) {
                f.NotNull = notNull != 0;
                f.PrimaryKeyPart = primaryKey ? 1 : 0;
            }
        }
        FFields.append(f);
    }
}

void TSqlQuery::Step()
{
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW) {
        FEof = false;
        FRow.clear();
        const int offset = FTableMode ? 1 : 0;
        FRowId = FTableMode ? sqlite3_column_int64(FStmt, 0) : 0;
        for (int i = 0; i < FFields.size(); ++i)
            FRow.append(ColumnValue(FStmt, i + offset, FFields[i].Kind));
        return;
    }
    EndRows(rc);
}

// After the last row (SQLITE_DONE) or a failed step, which closes the query and throws.
void TSqlQuery::EndRows(int rc)
{
    FEof = true;
    FRow.clear();
    if (rc != SQLITE_DONE) {
        const EZKSqlError error(QString::fromUtf8(sqlite3_errmsg(FConnection->Handle())), FSQL,
                                sqlite3_extended_errcode(FConnection->Handle()));
        Close();
        throw error;
    }
}

void TSqlQuery::ReadRemainingRows(const std::function<void(const TSqlCells &)> &reader)
{
    const TSqlCells cells(FStmt, FTableMode ? 1 : 0, FFields);
    while (!FEof) {
        reader(cells);
        const int rc = sqlite3_step(FStmt);
        if (rc != SQLITE_ROW)
            EndRows(rc);
    }
}

bool TSqlCells::IsNull(int field) const
{
    return sqlite3_column_type(FStmt, field + FOffset) == SQLITE_NULL;
}

bool TSqlCells::IsText(int field) const
{
    return sqlite3_column_type(FStmt, field + FOffset) == SQLITE_TEXT;
}

QByteArrayView TSqlCells::Utf8(int field) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(FStmt, field + FOffset));
    return QByteArrayView(data, sqlite3_column_bytes(FStmt, field + FOffset));
}

QString TSqlCells::Text(int field) const
{
    return SqlText::Column(FStmt, field + FOffset);
}

QVariant TSqlCells::Value(int field) const
{
    return ColumnValue(FStmt, field + FOffset, FFields.at(field).Kind);
}

void TSqlQuery::First()
{
    if (!FActive)
        Fail(u"查询没有打开。"_s);
    sqlite3_reset(FStmt);
    Step();
}

void TSqlQuery::Next()
{
    if (!FActive)
        Fail(u"查询没有打开。"_s);
    if (!FEof)
        Step();
}

void TSqlQuery::Close()
{
    if (FStmt && FActive)
        sqlite3_reset(FStmt);
    FActive = false;
    FEof = true;
    FRow.clear();
    FFields.clear();
    FRowId = 0;
}

void TSqlQuery::ConnectionClosing()
{
    if (FStmt)
        sqlite3_finalize(FStmt);
    FStmt = nullptr;
    FBindMap.clear();
    Close();
}

int TSqlQuery::FieldIndex(const QString &name) const
{
    for (int i = 0; i < FFields.size(); ++i) {
        if (FFields[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant TSqlQuery::Value(int index) const
{
    if (FEof || index < 0 || index >= FRow.size())
        Fail(FEof ? u"没有当前记录。"_s : u"没有第 %1 个字段。"_s.arg(index));
    return FRow.at(index);
}

QVariant TSqlQuery::Value(const QString &name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        Fail(u"在集合中找不到字段 %1。"_s.arg(name));
    return Value(index);
}

QString TSqlQuery::AsString(int index) const
{
    return SqlValueText(Value(index));
}

QString TSqlQuery::AsString(const QString &name) const
{
    return SqlValueText(Value(name));
}
