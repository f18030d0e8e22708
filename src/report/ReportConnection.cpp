#include "report/ReportConnection.h"

#include "store/SqlDetached.h"

TTableConnection::TTableConnection(TSqlConnection &connection, QString table)
    : FConnection(connection)
    , FTable(std::move(table))
{}

void TTableConnection::Open()
{
    FRows = OpenTableRows(FConnection, FTable);
    FRow = 0;
}

void TTableConnection::GetRow(QHash<QString, QString> &fields)
{
    fields.clear();
    for (int c = 0; c < FRows.ColumnCount(); ++c)
        fields.insert(FRows.Column(c).Name.toLower(), FRows.StoredValue(FRow, c).AsString());
}
