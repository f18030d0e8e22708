#include "AdtgBuilder.h"

#include <QtEndian>

TAdtgBuilder &TAdtgBuilder::U8(quint8 v)
{
    Bytes.append(char(v));
    return *this;
}

TAdtgBuilder &TAdtgBuilder::U16(quint16 v)
{
    return U8(quint8(v)).U8(quint8(v >> 8));
}

TAdtgBuilder &TAdtgBuilder::U32(quint32 v)
{
    return U16(quint16(v)).U16(quint16(v >> 16));
}

TAdtgBuilder &TAdtgBuilder::Raw(const QByteArray &b)
{
    Bytes.append(b);
    return *this;
}

TAdtgBuilder &TAdtgBuilder::Hex(const char *hex)
{
    return Raw(QByteArray::fromHex(QByteArray(hex).replace(' ', "")));
}

TAdtgBuilder &TAdtgBuilder::LpStr(const QString &s)
{
    U16(quint16(s.size()));
    for (QChar c : s)
        U16(c.unicode());
    return *this;
}

TAdtgBuilder &TAdtgBuilder::Element(quint8 token, const QByteArray &body)
{
    return U8(token).U16(quint16(body.size())).Raw(body);
}

TAdtgBuilder &TAdtgBuilder::Header(quint8 byteOrder, quint8 unicode)
{
    return Hex("01 07 54 47 21 00 00").U8(byteOrder).U8(unicode);
}

// GUIDs as their bytes on the wire.
static const char *const kHandlerGuid = "b6 92 f2 3f 04 b2 cf 11 8d 23 00 aa 00 5f fe 58";
static const char *const kResultGuid = "d2 ad 63 f6 02 eb cf 11 b0 e3 00 aa 00 3f 00 0f";
static const char *const kAdcGuid = "c1 3c 8e b6 eb 6d d0 11 8d f6 00 aa 00 5f fe 58";
static const char *const kRowsetGuid = "be 22 b5 c8 f3 5c ce 11 ad e5 00 aa 00 44 77 3d";

TAdtgBuilder &TAdtgBuilder::HandlerOptions(quint16 async)
{
    TAdtgBuilder b;
    b.Hex(kHandlerGuid).U8(1).U16(0).U16(0).U16(0).U16(async);
    return Element(0x02, b.Bytes);
}

TAdtgBuilder &TAdtgBuilder::ResultDescriptor(quint16 visible, quint16 total, quint16 tables, quint32 rows)
{
    TAdtgBuilder b;
    b.Hex(kResultGuid).Hex("00 00 00").U16(visible).U16(total).U16(0).U16(tables).U16(0).U32(rows);
    b.U16(1).Hex(kAdcGuid).U16(7);
    b.U32(0x0B).U16(4).U32(1).U32(0x13).U16(4).U32(1);
    for (quint32 id : {0x0D, 0x0E, 0x0F, 0x10, 0x12})
        b.U32(id).U16(0);
    return Element(0x03, b.Bytes);
}

TAdtgBuilder &TAdtgBuilder::Context(quint32 commandTimeOut)
{
    TAdtgBuilder b;
    b.U16(2).Hex(kRowsetGuid).U16(4);
    b.U32(0x7F).U16(2).U16(0xFFFF).U32(0x86).U16(2).U16(0xFFFF);
    b.U32(0x22).U16(4).U32(commandTimeOut).U32(0x49).U16(4).U32(0);
    b.Hex(kAdcGuid).U16(5);
    for (auto [id, value] : {std::pair{0x04u, 15u}, {0x05u, 2u}, {0x03u, 15u}, {0x07u, 50u}, {0x08u, 3u}})
        b.U32(id).U16(4).U32(value);
    return Element(0x10, b.Bytes);
}

TAdtgBuilder &TAdtgBuilder::Column(quint16 ordinal, const QString &name, quint16 type, quint32 maxLength,
                                   quint32 flags, bool visible)
{
    TAdtgBuilder b;
    b.Hex("80 01 00").U16(ordinal).LpStr(name).U16(type).U32(maxLength).U32(0).U32(0).U32(flags);
    b.U16(0).U16(visible ? 0xFFFF : 0);
    return Element(0x06, b.Bytes);
}

TAdtgBuilder &TAdtgBuilder::Prologue(quint16 columns, quint32 rows)
{
    return Header().HandlerOptions().ResultDescriptor(columns, columns, 0, rows).Context();
}

QByteArray PublishersExample()
{
    TAdtgBuilder b;
    b.Header().HandlerOptions(3).ResultDescriptor(5, 5, 1, 1).Context(30);
    TAdtgBuilder table;
    table.U16(1).LpStr(QStringLiteral("\"pubs\"..\"Publishers\"")).LpStr(QStringLiteral("Publishers"));
    table.U16(0).U16(5).U16(1).U16(1); // code page, 5 columns, 1 key: ordinal 1
    b.Element(0x05, table.Bytes);
    // Presence map F2 01 00: name, base table and column ordinals, base column
    // name, catalog, IsAutoIncrement. The document's table gives the names, types,
    // sizes, pub_id's flags and the catalog; the precision and scale (255: none)
    // and the flags of the nullable columns follow what server results carry.
    struct
    {
        const char *name;
        quint32 maxLength;
        quint32 flags;
    } columns[] = {{"pub_id", 4, 0x8018},
                   {"pub_name", 40, 0x68},
                   {"city", 20, 0x68},
                   {"state", 2, 0x78},
                   {"country", 30, 0x68}};
    quint16 ordinal = 1;
    for (const auto &c : columns) {
        const QString name = QString::fromLatin1(c.name);
        TAdtgBuilder col;
        col.Hex("F2 01 00").U16(ordinal).LpStr(name).U16(1).U16(ordinal).LpStr(name);
        col.U16(129).U32(c.maxLength).U32(255).U32(255).U32(c.flags);
        col.LpStr(QStringLiteral("pubs")).U16(0).U16(0xFFFF);
        b.Element(0x06, col.Bytes);
        ++ordinal;
    }
    b.Hex("07 FF").Raw("0736").U8(14).Raw("New Moon Books").U8(8).Raw("New York").Raw("MA").U8(3).Raw("USA");
    b.U8(0x0F);
    return b.Bytes;
}
