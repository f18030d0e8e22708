#pragma once

// The reader's two halves: metadata (header to the last column descriptor) and
// rows (to the done token).

#include "store/AdtgStream.h"
#include "store/Recordset.h"

namespace Adtg {

struct TColumnInfo
{
    TRecordField Field;
    quint16 Ordinal = 0;
    TValueLayout Layout;
};

struct TMetadata
{
    QList<TColumnInfo> Columns; // in ordinal order, hidden ones included
    quint32 RowCount = 0;       // as the result descriptor announces it (not trusted)
};

// Reads everything before the first row; the input is left at the first row token.
TMetadata ReadMetadata(TInput &in);
// Reads the rows up to and including the done token into the recordset.
void ReadRows(TInput &in, const TMetadata &meta, TRecordset &set, TAnsiCodec &ansi);

} // namespace Adtg
