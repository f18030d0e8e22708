#pragma once

#include "store/AdtgStream.h"
#include "store/DbValue.h"

namespace Adtg {

// One column value on the wire (a non-NULL value; NULL travels in the row maps).
TDbValue ReadValue(TInput &in, const TRecordField &field, const TValueLayout &layout, TAnsiCodec &ansi);
void WriteValue(TOutput &out, const TRecordField &field, const TValueLayout &layout, const TDbValue &value,
                TAnsiCodec &ansi);

} // namespace Adtg
