#pragma once

#include "store/AdtgStream.h"
#include "store/DbValue.h"

namespace Adtg {

// Reads the values of one column on the wire (non-NULL values; NULL travels in the
// row maps). A text or binary value whose bytes equal the column's previous value
// shares that value's data instead of a copy of its own: code columns repeat their
// few values row after row, and a shared text costs neither an allocation nor memory.
class TColumnReader
{
public:
    TColumnReader(const TRecordField &field, const TValueLayout &layout);
    TDbValue Read(TInput &in, TAnsiCodec &ansi);

private:
    static constexpr qint64 kSharingProbe = 256; // values between checks of the repeats

    quint16 FType;
    TValueLayout FLayout;
    bool FVariable;
    bool FSharing;
    TDbValue FPrevious;
    const char *FPreviousBytes = nullptr;
    qint64 FPreviousLength = -1;
    qint64 FRead = 0;
    qint64 FShared = 0;
};

void WriteValue(TOutput &out, const TRecordField &field, const TValueLayout &layout, const TDbValue &value,
                TAnsiCodec &ansi);

} // namespace Adtg
