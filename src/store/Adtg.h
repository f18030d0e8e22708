#pragma once

#include "store/Recordset.h"

#include <QByteArray>
#include <QString>

// Persisted recordsets in the Advanced Data TableGram format (ADTG): the tables
// the leader's server sends and the result package the client sends back.
//
// Reading accepts flat recordsets as the platform's persistence writes them, in
// both descriptor profiles (recordsets it built itself, and query results with
// table descriptors), every data type a flat recordset carries, nullable, key,
// hidden, long and fixed-length columns, and the four row operations: a changed
// row shows its new values, a pending delete is kept but not shown, inserted rows
// come last as in the file. Hierarchical recordsets, VARIANT and unknown column
// types and malformed data are refused with an EZKError; the reader never reads
// past its input and never sizes memory by a count it has not checked.
//
// Writing follows what the platform writes for a recordset it built: one bare
// TableGram, no table descriptors, every column described by name, and rows in
// its order (pending deletes, other stored rows, inserts). Each field's type,
// MaxLength, precision, scale and flags are written as the field holds them
// (TRecordField::Define gives the flags the platform writes). STR columns are
// encoded in the code page of the options; fixed-length text is padded with
// spaces and fixed binary with zeros. A value that does not fit its column (too
// long, out of range, not encodable) is refused with an EZKError.

struct TAdtgOptions
{
    // Code page of STR (multi-byte) text. The file does not record it; the
    // leader's server writes GBK. Any name QStringDecoder accepts ("GBK",
    // "CP949", ...).
    QByteArray CodePage = QByteArrayLiteral("GBK");
};

TRecordset LoadAdtg(const QByteArray &bytes, const TAdtgOptions &options = {});
// Reads a whole file; errors name the file.
TRecordset LoadAdtgFile(const QString &fileName, const TAdtgOptions &options = {});

QByteArray SaveAdtg(const TRecordset &set, const TAdtgOptions &options = {});
// Writes atomically: the file is replaced only when the whole recordset was written.
void SaveAdtgFile(const TRecordset &set, const QString &fileName, const TAdtgOptions &options = {});
