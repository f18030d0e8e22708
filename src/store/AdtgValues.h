#pragma once

#include "store/AdtgStream.h"
#include "store/DbValue.h"
#include "store/RecordColumn.h"

namespace Adtg {

// Reads the values of one column on the wire (non-NULL values; NULL travels in the
// row maps). Read into a column, a text or binary value whose bytes equal the value
// above it is that value once more: code columns repeat their few values row after
// row, and a repeat costs neither a look-up nor an allocation.
class TColumnReader
{
public:
    TColumnReader(const TRecordField &field, const TValueLayout &layout);
    TDbValue Read(TInput &in, TAnsiCodec &ansi);
    // Reads a value into the column. A value whose bytes repeat the ones this reader
    // put last into the column is that value once more.
    void ReadInto(TInput &in, TAnsiCodec &ansi, TRecordColumn &column);
    void PutNull(TRecordColumn &column);
    // The column's last value no longer comes from this reader (a row put in whole).
    void Forget() { FPreviousLength = -1; }

private:
    qsizetype VariableLength(TInput &in) const;

    quint16 FType;
    TValueLayout FLayout;
    bool FVariable;
    bool FRepeatable; // equal bytes make an equal value
    bool FUtf16;      // texts whose units lie in the file in native order
    const char *FPreviousBytes = nullptr;
    qint64 FPreviousLength = -1;
};

void WriteValue(TOutput &out, const TRecordField &field, const TValueLayout &layout, const TDbValue &value,
                TAnsiCodec &ansi);

} // namespace Adtg
