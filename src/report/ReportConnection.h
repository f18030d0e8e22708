#pragma once

#include "store/Recordset.h"

#include <QHash>
#include <QString>
#include <functional>

class TSqlConnection;

// A data connection of a report: the rows of a data band. A custom connection produces
// its rows through the client's events (it may set the texts of the page's items
// itself); a table connection reads the rows of a table in their stored order.
class IReportConnection
{
public:
    virtual ~IReportConnection() = default;
    virtual void Open() = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    // The current row's field values by lower-case field name (custom connections may
    // leave it empty and set item texts themselves).
    virtual void GetRow(QHash<QString, QString> &fields) = 0;
    virtual void Restore() = 0;
};

// A connection whose rows come from the client's event handlers.
class TCustomConnection : public IReportConnection
{
public:
    std::function<void()> OnOpen, OnFirst, OnNext, OnGetRow, OnRestore;
    std::function<bool()> OnEOF;

    void Open() override { Call(OnOpen); }
    void First() override { Call(OnFirst); }
    void Next() override { Call(OnNext); }
    bool Eof() const override { return !OnEOF || OnEOF(); }
    void GetRow(QHash<QString, QString> &fields) override
    {
        fields.clear();
        Call(OnGetRow);
    }
    void Restore() override { Call(OnRestore); }

private:
    static void Call(const std::function<void()> &f)
    {
        if (f)
            f();
    }
};

// A connection over one table of a database, rows in stored (insertion) order.
class TTableConnection : public IReportConnection
{
public:
    TTableConnection(TSqlConnection &connection, QString table);
    void Open() override;
    void First() override { FRow = 0; }
    void Next() override { ++FRow; }
    bool Eof() const override { return FRow >= FRows.StoredRowCount(); }
    void GetRow(QHash<QString, QString> &fields) override;
    void Restore() override { FRows = TRecordset(); }

private:
    TSqlConnection &FConnection;
    QString FTable;
    TRecordset FRows;
    int FRow = 0;
};
