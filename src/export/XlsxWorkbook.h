#pragma once

#include "export/ExportSheet.h"

#include <QList>
#include <QString>

// Excel 2007 workbooks (.xlsx) through libxlsxwriter, with the same content rules as the
// Excel 97 writer: one worksheet per table, column names first, numbers as numbers,
// texts as texts, dates with a date format. A worksheet holds at most 1,048,576 rows.

// Writes the workbook file (replacing an existing file). Throws EZKError.
void WriteXlsxWorkbook(const QString &path, QList<TExportSheet> &sheets);

// A valid workbook with one empty worksheet named "Sheet1".
void WriteEmptyXlsxWorkbook(const QString &path);
