#pragma once

#include "store/SqlConnection.h"

#include <QByteArrayView>
#include <QHash>
#include <QVariant>
#include <functional>
#include <optional>

// The current row of a query as the statement holds it, for readers that copy many
// rows: each field's storage class and its bytes, without a QVariant per value.
class TSqlCells
{
public:
    TSqlCells(sqlite3_stmt *stmt, int offset, const QList<TSqlFieldDef> &fields)
        : FStmt(stmt)
        , FOffset(offset)
        , FFields(fields)
    {}
    bool IsNull(int field) const;
    bool IsText(int field) const;
    // The bytes of a text as stored (UTF-8); valid until the next call on this field.
    QByteArrayView Utf8(int field) const;
    // The text of Utf8's bytes, as Value gives it.
    QString Text(int field) const;
    // The value as TSqlQuery::Value gives it.
    QVariant Value(int field) const;

private:
    sqlite3_stmt *FStmt;
    int FOffset;
    const QList<TSqlFieldDef> &FFields;
};

// A statement on a connection: run it (ExecSQL), or open its rows (Open, OpenTable) and
// walk them with First, Next and Eof. The statement is Jet dialect (SqlDialect.h) given
// as one text or as lines; parameters are written :name and bound by name, ignoring case.
//
// Values come as QVariant: a null value is an invalid QVariant; texts (codes of binary
// code columns included) are QString; whole numbers int (qlonglong when larger);
// floating point double; BOOLEAN columns bool; DATETIME columns QDateTime (local time);
// BLOB columns QByteArray. Each field has its name, declared type, kind and size, so a
// caller can copy the rows into a recordset of its own.
//
// Errors throw EZKSqlError with the statement as the caller wrote it.
class TSqlQuery
{
public:
    explicit TSqlQuery(TSqlConnection *connection = nullptr);
    ~TSqlQuery();
    TSqlQuery(const TSqlQuery &) = delete;
    TSqlQuery &operator=(const TSqlQuery &) = delete;

    void SetConnection(TSqlConnection *connection);
    TSqlConnection *Connection() const { return FConnection; }

    // Sets the statement; closes the query and forgets the parameter values.
    void SetSQL(const QString &sql);
    // The lines of one statement, joined with line breaks.
    void SetSQL(const QStringList &lines);
    const QString &SQL() const { return FSQL; }
    // The parameters of the statement, lower case, in order of first appearance.
    QStringList ParamNames();

    // A parameter that the statement does not have is an error. QString binds text,
    // whole numbers and doubles bind numbers, bool binds 1 or 0, QDateTime binds its
    // text "yyyy-MM-dd HH:mm:ss", an invalid QVariant binds null.
    void SetParam(const QString &name, const QVariant &value);
    void SetTextParam(const QString &name, const QString &value) { SetParam(name, value); }
    void SetNumberParam(const QString &name, double value) { SetParam(name, value); }
    void SetIntParam(const QString &name, qint64 value) { SetParam(name, qlonglong(value)); }
    void SetNullParam(const QString &name) { SetParam(name, QVariant()); }
    // For loops that set the same parameters row after row: the position of a
    // parameter in ParamNames (-1 when the statement lacks it), and setting by position.
    int ParamIndex(const QString &name);
    void SetParamAt(int index, const QVariant &value);
    // Forgets the values; every parameter needs one again.
    void ClearParams();

    // Runs the statement; returns the rows inserted, updated or deleted (0 for others).
    // Every parameter must have a value.
    int ExecSQL();

    // Runs a select and stands on its first row (Eof when there is none).
    void Open();
    // All rows of a table, in storage order; RowId gives each row's identity, for
    // statements that change the row later.
    void OpenTable(const QString &table);
    void Close();
    bool Active() const { return FActive; }

    bool Eof() const { return FEof; }
    // Back to the first row (the statement runs again).
    void First();
    void Next();

    int FieldCount() const { return int(FFields.size()); }
    const QList<TSqlFieldDef> &FieldDefs() const { return FFields; }
    const TSqlFieldDef &FieldDef(int index) const { return FFields.at(index); }
    // -1 when the result has no such field; names ignore case.
    int FieldIndex(const QString &name) const;
    // Values of the current row; an unknown name is an error.
    QVariant Value(int index) const;
    QVariant Value(const QString &name) const;
    // The value as text: "" for null, numbers in their shortest form.
    QString AsString(int index) const;
    QString AsString(const QString &name) const;
    const QVariantList &Row() const { return FRow; }
    // Hands the current row and every row after it to the reader, and ends at Eof.
    void ReadRemainingRows(const std::function<void(const TSqlCells &)> &reader);
    qint64 RowId() const { return FRowId; }

    // Called by the connection when it closes.
    void ConnectionClosing();

private:
    TSqlConnection &Conn() const;
    const TSqlPlan &CurrentPlan();
    QList<int> BindMapOf(sqlite3_stmt *stmt);
    void BindParams(sqlite3_stmt *stmt, const QList<int> &map);
    sqlite3_stmt *Statement(const QString &sql);
    void ReleaseStatement();
    int RunToEnd(sqlite3_stmt *stmt, const QList<int> &map, bool countChanges);
    void ReadFieldDefs();
    void Step();
    void EndRows(int rc);
    int ExecStatement(const QString &sql);
    QList<QPair<QString, QString>> SelectColumns(const QString &sql);
    int ExecSelectInto(const TSqlPlan &plan);
    int ExecInsertSelect(const TSqlPlan &plan);
    [[noreturn]] void Fail(const QString &message) const;

    TSqlConnection *FConnection = nullptr;
    QString FSQL;
    std::optional<TSqlPlan> FPlan;
    QHash<QString, int> FParamIndex; // parameter name → position in the plan's ParamNames
    QVariantList FParamValues;
    QList<bool> FParamGiven;
    sqlite3_stmt *FStmt = nullptr; // prepared for the query's statement, kept until it changes
    QList<int> FBindMap;           // FStmt's parameter positions → value positions
    quint64 FStmtGeneration = 0;   // the connection's schema generation FStmt was prepared in
    bool FActive = false;
    bool FEof = true;
    bool FTableMode = false; // column 0 of the statement is the row id
    QList<TSqlFieldDef> FFields;
    QVariantList FRow;
    qint64 FRowId = 0;
};

// Binds a code as the named parameter. The leader's tables keep batch, category and
// plan-nature codes in binary columns of 2 × width bytes; here such a column holds the
// code as text (SqlColumnTypes.h), so the value is bound as text, unchanged.
void SetCodeParam(TSqlQuery &query, const QString &name, int width, const QString &value);

// Text of a value as TSqlQuery::AsString gives it.
QString SqlValueText(const QVariant &value);
