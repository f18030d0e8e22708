#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>

// Builds recordset file bytes by hand, field by field, independently of the
// production writer: for worked examples and malformed inputs.
class TAdtgBuilder
{
public:
    QByteArray Bytes;

    TAdtgBuilder &U8(quint8 v);
    TAdtgBuilder &U16(quint16 v);
    TAdtgBuilder &U32(quint32 v);
    TAdtgBuilder &Raw(const QByteArray &b);
    TAdtgBuilder &Hex(const char *hex); // "01 07 54"
    TAdtgBuilder &LpStr(const QString &s);
    // Token, u16 size and the body.
    TAdtgBuilder &Element(quint8 token, const QByteArray &body);

    // The parts every file has, with the property sets the platform writes
    // (commandTimeOut is 0 in saved files, 30 in the protocol document's example).
    TAdtgBuilder &Header(quint8 byteOrder = 0, quint8 unicode = 0);
    TAdtgBuilder &HandlerOptions(quint16 async = 0);
    TAdtgBuilder &ResultDescriptor(quint16 visible, quint16 total, quint16 tables, quint32 rows);
    TAdtgBuilder &Context(quint32 commandTimeOut = 0);
    // A column descriptor with presence map 80 01 00 (name, IsAutoIncrement).
    TAdtgBuilder &Column(quint16 ordinal, const QString &name, quint16 type, quint32 maxLength, quint32 flags,
                         bool visible = true);
    // Header, handler options, result descriptor and context for `columns` visible columns.
    TAdtgBuilder &Prologue(quint16 columns, quint32 rows = 0);
};

// The 744-byte example TableGram of the protocol document (one row of the
// "Publishers" table), rebuilt from its published layout.
QByteArray PublishersExample();
