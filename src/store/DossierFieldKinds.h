#pragma once

// Shorthands for the column kinds of the leader's recordsets (DossierColumns*.cpp).

#include "store/RecordField.h"

namespace dossierfields {

// A key code column: fixed WSTR, not nullable.
inline TRecordField KeyCode(const QString &name, quint32 width)
{
    return TRecordField::Define(name, DBTYPE_WSTR, width, TRecordField::foKey | TRecordField::foFixedLength);
}
// A code or flag: fixed WSTR of the code's width.
inline TRecordField Code(const QString &name, quint32 width)
{
    return TRecordField::Define(name, DBTYPE_WSTR, width,
                                TRecordField::foNullable | TRecordField::foFixedLength);
}
// A free text of at most width characters.
inline TRecordField Text(const QString &name, quint32 width)
{
    return TRecordField::Define(name, DBTYPE_WSTR, width);
}
// A long (memo) text.
inline TRecordField Memo(const QString &name)
{
    return TRecordField::Define(name, DBTYPE_WSTR, 0, TRecordField::foNullable | TRecordField::foLong);
}
// A binary code column of one character: 2 bytes of UTF-16 text.
inline TRecordField BinaryCode(const QString &name)
{
    return TRecordField::Define(name, DBTYPE_BYTES, 2,
                                TRecordField::foNullable | TRecordField::foFixedLength);
}
inline TRecordField Real(const QString &name)
{
    return TRecordField::Define(name, DBTYPE_R8);
}
inline TRecordField Int(const QString &name)
{
    return TRecordField::Define(name, DBTYPE_I4);
}
inline TRecordField KeyInt(const QString &name)
{
    return TRecordField::Define(name, DBTYPE_I4, 0, TRecordField::foKey);
}
inline TRecordField Date(const QString &name)
{
    return TRecordField::Define(name, DBTYPE_DATE);
}

} // namespace dossierfields
