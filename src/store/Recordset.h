#pragma once

#include "store/DbValue.h"
#include "store/RecordColumn.h"
#include "store/RecordField.h"

#include <QBitArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

class TRecordset;
class TRecordsetFilter;

// The state a stored row is in. A recordset read from a file keeps the pending
// changes the file carries, and one built in memory records its own: a file
// written from it carries them on (deleted rows as pending deletes, changed rows
// with their original values, appended rows as inserts).
enum class TRowStatus : quint8
{
    Unchanged, // a plain row
    Modified,  // changed: Original holds the values before, Changed the assigned columns
    Inserted,  // appended
    Deleted,   // a pending delete: kept for writing, never shown
};

// A stored row with its values, as a reader hands it in and a writer takes it out.
struct TRecordRow
{
    QList<TDbValue> Values;   // one per column, hidden ones included
    QList<TDbValue> Original; // Modified rows only
    QBitArray Changed;        // Modified rows only: the columns the change assigned
    TRowStatus Status = TRowStatus::Unchanged;

    bool operator==(const TRecordRow &) const = default;
};

enum class TRecordsetState
{
    Browse,
    Edit,
    Insert
};

// A field of a recordset at its current row (or at the row being edited).
class TConstFieldRef
{
public:
    TConstFieldRef(const TRecordset *set, int column)
        : FSet(set)
        , FColumn(column)
    {}
    int Column() const { return FColumn; }
    const TRecordField &Def() const;
    const QString &Name() const { return Def().Name; }
    const TDbValue &Value() const;
    bool IsNull() const { return Value().IsNull(); }
    QString AsString() const { return Value().AsString(); }
    qint64 AsInteger() const { return Value().AsInteger(); }
    double AsFloat() const { return Value().AsFloat(); }
    bool AsBoolean() const { return Value().AsBoolean(); }

protected:
    const TRecordset *FSet;
    int FColumn;
};

class TFieldRef : public TConstFieldRef
{
public:
    TFieldRef(TRecordset *set, int column)
        : TConstFieldRef(set, column)
        , FMutable(set)
    {}
    // Assigns in the Edit or Insert state; the value is converted to the field's type.
    void SetValue(const TDbValue &value) const;
    void SetAsString(const QString &text) const { SetValue(TDbValue(text)); }
    void Clear() const { SetValue(TDbValue()); }

private:
    TRecordset *FMutable;
};

// An in-memory recordset: what a recordset file loads into, what a detached query
// holds and what the table loader reads. Columns are fixed at construction; rows
// are kept in storage order (the file's order); a view of the rows that are shown
// (not deleted, passing the filter, in sort order) carries the current row.
//
// Errors (unknown field, bad filter, a value that does not fit its field, editing
// in the wrong state) are thrown as EZKError.
class TRecordset
{
public:
    TRecordset() = default;
    // Throws when a column has a type a recordset cannot hold.
    explicit TRecordset(QList<TRecordField> columns);

    // Every column, hidden ones included, in ordinal order.
    int ColumnCount() const { return int(FColumns.size()); }
    const TRecordField &Column(int column) const { return FColumns.at(column); }
    const QList<TRecordField> &Columns() const { return FColumns; }

    // The fields: the visible columns, by position or by name (case-insensitive).
    int FieldCount() const { return int(FFieldColumns.size()); }
    const TRecordField &Field(int index) const { return FColumns.at(FFieldColumns.at(index)); }
    int FieldColumn(int index) const { return FFieldColumns.at(index); }
    int FindField(QStringView name) const; // column of the field, -1 when absent
    TFieldRef FieldByName(QStringView name);
    TConstFieldRef FieldByName(QStringView name) const;
    TFieldRef Fields(int index) { return TFieldRef(this, FieldColumn(index)); }
    TConstFieldRef Fields(int index) const { return TConstFieldRef(this, FieldColumn(index)); }

    // Navigation over the shown rows. RecNo is 1-based, 0 without a current row.
    int RecordCount() const { return int(FView.size()); }
    bool IsEmpty() const { return FView.isEmpty(); }
    int RecNo() const { return Eof() || Bof() ? 0 : FCurrent + 1; }
    void SetRecNo(int recNo);
    bool Bof() const { return FCurrent < 0 || FView.isEmpty(); }
    bool Eof() const { return FCurrent >= FView.size(); }
    void First();
    void Last();
    void Next();
    void Prior();

    // The value of a column at the current row (at the edit buffer while editing);
    // NULL when there is no current row.
    const TDbValue &Value(int column) const;
    void SetValue(int column, const TDbValue &value);

    // Filter expressions: terms "name = 'text'" or "name <> 'text'" joined by AND
    // and OR (AND binds first); a quote inside the text is doubled. Texts compare
    // case-insensitively, numbers and dates by value; NULL passes no term. An
    // empty expression shows every row. Setting a filter moves to the first row.
    void SetFilter(const QString &expression);
    const QString &Filter() const { return FFilterText; }
    // Sort by "A, B DESC" (commas or semicolons; ASC/DESC per field), stable; NULL
    // first, texts case-insensitively, bytes bytewise, numbers and dates by value.
    // An empty list gives the storage order. Moves to the first row.
    void SetSort(const QString &fields);
    const QString &Sort() const { return FSortText; }

    // Finds the first shown row whose key fields ("A;B;C") equal the values, exact
    // and case-sensitive, and makes it current; false (current row kept) when none
    // does. A text value enclosed in single quotes is compared without its quotes
    // (a doubled quote inside stands for one), as callers pass binary code values
    // quoted. Texts and bytes compare by their text, numbers by value.
    bool Locate(const QString &keyFields, const QVariantList &values);
    bool Locate(const QString &keyFields, const QVariant &value)
    {
        return Locate(keyFields, QVariantList{value});
    }

    TRecordsetState State() const { return FState; }
    // Append starts a new row (all NULL) that Post adds at the end; Edit starts
    // changing the current row; Post keeps the change, Cancel drops it. Moving to
    // another row posts first. Delete removes the current row from the view (a
    // pending delete for a stored row; an appended row is dropped); the next row
    // becomes current.
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // Adds a plain (unchanged) row at the end, values converted to the column types.
    void AddRow(const QList<TDbValue> &values);
    // Adds a plain row whose values already are what AddRow would make of them (a
    // reader that builds each value for its column's type); only lengths are checked.
    void AddFittedRow(QList<TDbValue> values);
    // Makes room for this many stored rows in all (a hint; rows may be more or fewer).
    void ReserveRows(qsizetype rows);
    // Adds a stored row as it is (the file reader); its values must already have
    // the column kinds. The row is shown unless it is a pending delete.
    void AddStoredRow(TRecordRow row);
    // A reader may instead put a row's values straight into their columns, one for
    // each column in order, and then end the row as plain or as a pending delete. A
    // reader that fails within a row must drop the recordset.
    TRecordColumn &LoadingColumn(int column) { return FCells[column]; }
    // Throws when a value is longer than its column allows (AddFittedRow's check).
    void CheckFits(int column, const TDbValue &value) const;
    void EndLoadedRow(TRowStatus status);
    // The values of the row being loaded, taken back out of their columns.
    QList<TDbValue> TakeLoadingRow();
    int StoredRowCount() const { return int(FStatus.size()); }
    // A stored row with all its values (pending deletes included), made on demand.
    TRecordRow StoredRow(int index) const;
    TRowStatus StoredStatus(int index) const { return FStatus.at(index); }
    // One value of a stored row (for a changed row, its value now).
    const TDbValue &StoredValue(int index, int column) const { return FCells.at(column).At(index); }
    // Makes every row plain: changes kept, pending deletes dropped.
    void AcceptChanges();
    void ClearRows();

    // Same columns and same stored rows (states included).
    bool SameContent(const TRecordset &other) const;

private:
    friend class TConstFieldRef;
    // The original values and assigned columns of a changed row.
    struct TRowChange
    {
        QList<TDbValue> Original;
        QBitArray Changed;
    };

    void CheckBrowseMode();
    void RebuildView();
    bool Shown(int index) const;
    void ShowAddedRow(int index);
    void AppendValues(QList<TDbValue> &&values, TRowStatus status);
    QList<TDbValue> StoredValues(int index) const;
    int CurrentRowIndex() const;
    int RequireColumn(QStringView name) const;

    QList<TRecordField> FColumns;
    QList<int> FFieldColumns;
    QList<TRecordColumn> FCells;     // the stored rows' values, column by column
    QList<TRowStatus> FStatus;       // per stored row
    QHash<int, TRowChange> FChanges; // Modified rows, by storage index
    QList<int> FView;                // storage indices of the shown rows
    int FCurrent = 0;
    TRecordsetState FState = TRecordsetState::Browse;
    QList<TDbValue> FBuffer;
    QBitArray FAssigned;
    QString FFilterText;
    std::shared_ptr<const TRecordsetFilter> FFilter; // parsed once, shared by copies
    QString FSortText;
    QList<QPair<int, bool>> FSortKeys; // column, descending
};
