#pragma once

#include "export/ExportSheet.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Excel 97 workbooks (BIFF8 in a compound file), written by our code: one worksheet per
// table, the column names in the first row, texts in the shared string table (Unicode),
// numbers as numbers, dates as numbers with a date format, logicals as logicals.
//
// An Excel 97 worksheet holds at most 65,536 rows and 256 columns: a table with more
// records or columns is refused with an error before anything is written.

inline constexpr int XlsMaxRows = 65536;
inline constexpr int XlsMaxColumns = 256;

// The "Workbook" stream of a workbook with these sheets (at least one).
QByteArray XlsWorkbookStream(QList<TExportSheet> &sheets);

// Writes the workbook file (replacing an existing file). Throws EZKError.
void WriteXlsWorkbook(const QString &path, QList<TExportSheet> &sheets);

// The refusal of a table too large for an Excel 97 worksheet (more than 65,535 records
// under the column names, or more than 256 columns): a Chinese text that names the table
// and suggests .xlsx or .dbf; empty when the table fits.
QString XlsLimitRefusalText(const QString &table, qint64 records, qint64 columns);

// A valid workbook with one empty worksheet named "Sheet1".
void WriteEmptyXlsWorkbook(const QString &path);
