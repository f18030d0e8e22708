// Column values on the wire. Fixed-size types are exactly their bytes, little-endian:
//   I1/I2/I4/I8, UI1/UI2/UI4/UI8  integers of 1, 2, 4, 8 bytes
//   R4/R8                         IEEE-754 (bit for bit, -0.0 included)
//   CY                            int64 count of 1/10000
//   DATE                          double: days since 1899-12-30
//   BOOL                          VARIANT_BOOL: FF FF true, 00 00 false (any non-zero reads true)
//   DECIMAL                       tag word (ignored, written 0), scale, sign (80 = negative),
//                                 Hi32, Lo32, Mid32
//   NUMERIC                       precision, scale, sign (01 positive, 00 negative), 16-byte magnitude
//   GUID                          Data1..Data3 little-endian, then 8 bytes
//   DBDATE                        year (i16), month, day (u16)
//   DBTIME                        hour, minute, second (u16)
//   DBTIMESTAMP                   year (i16), month, day, hour, minute, second (u16), fraction (u32 ns)
//   FILETIME                      u64, 100 ns since 1601-01-01
// Text, binary and VARNUMERIC come as TValueLayout says; WSTR and BSTR are
// UTF-16LE, STR is multi-byte text of the code page, VARNUMERIC is precision,
// scale (signed), sign (01 positive) and the shortest little-endian magnitude.
#include "store/AdtgValues.h"

#include "store/ZKError.h"

#include <QSysInfo>
#include <QtEndian>
#include <bit>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace Adtg {

namespace {

TDbValue ReadFixed(TInput &in, quint16 type)
{
    switch (type) {
    case DBTYPE_I1:
        return qint64(qint8(in.U8("I1 value")));
    case DBTYPE_I2:
        return qint64(qint16(in.U16("I2 value")));
    case DBTYPE_I4:
        return qint64(in.I32("I4 value"));
    case DBTYPE_I8:
        return qint64(in.U64("I8 value"));
    case DBTYPE_UI1:
        return qint64(in.U8("UI1 value"));
    case DBTYPE_UI2:
        return qint64(in.U16("UI2 value"));
    case DBTYPE_UI4:
        return qint64(in.U32("UI4 value"));
    case DBTYPE_UI8:
        return quint64(in.U64("UI8 value"));
    case DBTYPE_R4:
        return std::bit_cast<float>(in.U32("R4 value"));
    case DBTYPE_R8:
        return std::bit_cast<double>(in.U64("R8 value"));
    case DBTYPE_CY:
        return TDbCurrency{qint64(in.U64("CY value"))};
    case DBTYPE_DATE:
        return TOleDate{std::bit_cast<double>(in.U64("DATE value"))};
    case DBTYPE_BOOL:
        return in.U16("BOOL value") != 0;
    case DBTYPE_DECIMAL: {
        in.Take(2, "DECIMAL tag");
        TDbDecimal d;
        d.Scale = in.U8("DECIMAL scale");
        d.Negative = in.U8("DECIMAL sign") & 0x80;
        d.Hi = in.U32("DECIMAL Hi32");
        const quint32 lo = in.U32("DECIMAL Lo32");
        d.Lo = (quint64(in.U32("DECIMAL Mid32")) << 32) | lo;
        return d;
    }
    case DBTYPE_NUMERIC: {
        TDbDecimal d;
        d.Precision = in.U8("NUMERIC precision");
        d.Scale = in.U8("NUMERIC scale");
        d.Negative = in.U8("NUMERIC sign") == 0;
        d.Lo = in.U64("NUMERIC value");
        d.Hi = in.U64("NUMERIC value");
        return d;
    }
    case DBTYPE_GUID:
        return in.Guid("GUID value");
    case DBTYPE_DBDATE: {
        TDbDate d;
        d.Year = qint16(in.U16("DBDATE year"));
        d.Month = in.U16("DBDATE month");
        d.Day = in.U16("DBDATE day");
        return d;
    }
    case DBTYPE_DBTIME: {
        TDbTime t;
        t.Hour = in.U16("DBTIME hour");
        t.Minute = in.U16("DBTIME minute");
        t.Second = in.U16("DBTIME second");
        return t;
    }
    case DBTYPE_DBTIMESTAMP: {
        TDbTimeStamp ts;
        ts.Year = qint16(in.U16("DBTIMESTAMP year"));
        ts.Month = in.U16("DBTIMESTAMP month");
        ts.Day = in.U16("DBTIMESTAMP day");
        ts.Hour = in.U16("DBTIMESTAMP hour");
        ts.Minute = in.U16("DBTIMESTAMP minute");
        ts.Second = in.U16("DBTIMESTAMP second");
        ts.Fraction = in.U32("DBTIMESTAMP fraction");
        return ts;
    }
    case DBTYPE_FILETIME:
        return TFileTime{in.U64("FILETIME value")};
    default:
        Malformed(u"a value of type %1"_s.arg(DbTypeName(type)), in.Offset());
    }
}

TDbValue ReadVarNumeric(const char *p, qsizetype length, qsizetype offset)
{
    if (length < 3)
        Malformed(u"a VARNUMERIC value of %1 bytes"_s.arg(length), offset);
    TDbDecimal d;
    d.Precision = quint8(p[0]);
    d.Scale = qint8(p[1]);
    d.Negative = p[2] == 0;
    for (qsizetype i = 3; i < length; ++i) {
        const quint64 byte = quint8(p[i]);
        const qsizetype k = i - 3;
        if (k < 8)
            d.Lo |= byte << (8 * k);
        else if (k < 16)
            d.Hi |= byte << (8 * (k - 8));
        else if (byte != 0)
            Malformed(u"a VARNUMERIC value beyond 128 bits"_s, offset);
    }
    return d;
}

void CheckUtf16Length(qsizetype length, qsizetype offset)
{
    if (length % 2 != 0)
        Malformed(u"UTF-16 text of an odd number of bytes (%1)"_s.arg(length), offset);
}

// The value of the length bytes at p, which lie at offset in the file.
TDbValue VariableValue(const char *p, qsizetype length, qsizetype offset, quint16 type, TAnsiCodec &ansi)
{
    switch (type) {
    case DBTYPE_BYTES:
        return QByteArray(p, length);
    case DBTYPE_STR:
        return ansi.Decode(p, length, offset);
    case DBTYPE_VARNUMERIC:
        return ReadVarNumeric(p, length, offset);
    default: { // WSTR, BSTR
        CheckUtf16Length(length, offset);
        // Unit by unit: a leading byte-order mark is text here, not a marker.
        QString s(length / 2, Qt::Uninitialized);
        QChar *out = s.data();
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            std::memcpy(out, p, size_t(length));
        } else {
            for (qsizetype i = 0; i < length / 2; ++i)
                out[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
        }
        return s;
    }
    }
}

} // namespace

TColumnReader::TColumnReader(const TRecordField &field, const TValueLayout &layout)
    : FType(field.Type)
    , FLayout(layout)
    , FVariable(IsVariableDbType(field.Type))
    , FRepeatable(FVariable && field.Type != DBTYPE_VARNUMERIC)
    , FUtf16(QSysInfo::ByteOrder == QSysInfo::LittleEndian &&
             (field.Type == DBTYPE_WSTR || field.Type == DBTYPE_BSTR))
{}

qsizetype TColumnReader::VariableLength(TInput &in) const
{
    qint64 length = 0;
    switch (FLayout.Framing) {
    case TValueLayout::NoData:
        return 0;
    case TValueLayout::FixedSize:
        length = FLayout.Size;
        break;
    case TValueLayout::Prefix1:
        length = in.U8("length prefix");
        break;
    case TValueLayout::Prefix4:
        length = in.U32("length prefix");
        if (FLayout.Padded && length != FLayout.Capacity)
            Malformed(
                u"a fixed-length value of %1 bytes in a column of %2"_s.arg(length).arg(FLayout.Capacity),
                in.Offset());
        break;
    }
    if (FLayout.Capacity >= 0 && length > FLayout.Capacity)
        Malformed(u"a value of %1 bytes in a column of at most %2"_s.arg(length).arg(FLayout.Capacity),
                  in.Offset());
    return qsizetype(length);
}

TDbValue TColumnReader::Read(TInput &in, TAnsiCodec &ansi)
{
    if (FLayout.Framing == TValueLayout::NoData)
        return {};
    if (FLayout.Framing == TValueLayout::FixedSize && !FVariable)
        return ReadFixed(in, FType);
    const qsizetype length = VariableLength(in);
    const qsizetype offset = in.Offset();
    return VariableValue(in.Take(length, "text or binary value"), length, offset, FType, ansi);
}

void TColumnReader::ReadInto(TInput &in, TAnsiCodec &ansi, TRecordColumn &column)
{
    if (FLayout.Framing == TValueLayout::NoData ||
        (FLayout.Framing == TValueLayout::FixedSize && !FVariable)) {
        column.Append(Read(in, ansi));
        return;
    }
    const qsizetype length = VariableLength(in);
    // The bytes stay in the input for the whole load: the previous value's bytes are
    // compared where they lie.
    const qsizetype offset = in.Offset();
    const char *bytes = in.Take(length, "text or binary value");
    if (FRepeatable && length == FPreviousLength && std::memcmp(bytes, FPreviousBytes, size_t(length)) == 0) {
        column.AppendRepeat();
        return;
    }
    if (FUtf16) {
        CheckUtf16Length(length, offset);
        column.AppendUtf16(bytes, length / 2);
    } else {
        column.Append(VariableValue(bytes, length, offset, FType, ansi));
    }
    FPreviousBytes = bytes;
    FPreviousLength = length;
}

void TColumnReader::PutNull(TRecordColumn &column)
{
    column.Append(TDbValue());
    Forget();
}

namespace {

[[noreturn]] void OutOfRange(const TDbValue &v, quint16 type)
{
    throw EZKError(u"value %1 is out of the range of %2"_s.arg(v.AsString(), DbTypeName(type)));
}

// The value in the kind its column's type holds (converted when it is not).
const TDbValue &Native(const TDbValue &v, quint16 type, TDbValue &scratch)
{
    bool native = false;
    switch (type) {
    case DBTYPE_I1:
    case DBTYPE_I2:
    case DBTYPE_I4:
    case DBTYPE_UI1:
    case DBTYPE_UI2:
    case DBTYPE_UI4:
    case DBTYPE_I8:
        native = false; // always range-checked by the conversion below, unless it fits
        if (const qint64 *i = v.Get<qint64>()) {
            const int bytes = DbTypeFixedSize(type);
            const bool isUnsigned = type == DBTYPE_UI1 || type == DBTYPE_UI2 || type == DBTYPE_UI4;
            const qint64 min = isUnsigned ? 0
                                          : (bytes == 8 ? std::numeric_limits<qint64>::min()
                                                        : -(qint64(1) << (8 * bytes - 1)));
            const qint64 max = bytes == 8 ? std::numeric_limits<qint64>::max()
                                          : (qint64(1) << (8 * bytes - (isUnsigned ? 0 : 1))) - 1;
            if (*i < min || *i > max)
                OutOfRange(v, type);
            native = true;
        }
        break;
    case DBTYPE_UI8:
        native = v.Get<quint64>();
        break;
    case DBTYPE_R4:
        native = v.Get<float>();
        break;
    case DBTYPE_R8:
        native = v.Get<double>();
        break;
    case DBTYPE_CY:
        native = v.Get<TDbCurrency>();
        break;
    case DBTYPE_DATE:
        native = v.Get<TOleDate>();
        break;
    case DBTYPE_BOOL:
        native = v.Get<bool>();
        break;
    case DBTYPE_DECIMAL:
    case DBTYPE_NUMERIC:
    case DBTYPE_VARNUMERIC:
        native = v.Get<TDbDecimal>();
        break;
    case DBTYPE_GUID:
        native = v.Get<QUuid>();
        break;
    case DBTYPE_DBDATE:
        native = v.Get<TDbDate>();
        break;
    case DBTYPE_DBTIME:
        native = v.Get<TDbTime>();
        break;
    case DBTYPE_DBTIMESTAMP:
        native = v.Get<TDbTimeStamp>();
        break;
    case DBTYPE_FILETIME:
        native = v.Get<TFileTime>();
        break;
    case DBTYPE_BYTES:
        native = v.Get<QByteArray>();
        break;
    default:
        native = v.Get<QString>();
        break;
    }
    if (native)
        return v;
    scratch = v.ConvertTo(type);
    return scratch;
}

void WriteFixed(TOutput &out, quint16 type, const TDbValue &v)
{
    switch (type) {
    case DBTYPE_I1:
    case DBTYPE_UI1:
        out.U8(quint8(*v.Get<qint64>()));
        break;
    case DBTYPE_I2:
    case DBTYPE_UI2:
        out.U16(quint16(*v.Get<qint64>()));
        break;
    case DBTYPE_I4:
    case DBTYPE_UI4:
        out.U32(quint32(*v.Get<qint64>()));
        break;
    case DBTYPE_I8:
        out.U64(quint64(*v.Get<qint64>()));
        break;
    case DBTYPE_UI8:
        out.U64(*v.Get<quint64>());
        break;
    case DBTYPE_R4:
        out.U32(std::bit_cast<quint32>(*v.Get<float>()));
        break;
    case DBTYPE_R8:
        out.U64(std::bit_cast<quint64>(*v.Get<double>()));
        break;
    case DBTYPE_CY:
        out.U64(quint64(v.Get<TDbCurrency>()->Units));
        break;
    case DBTYPE_DATE:
        out.U64(std::bit_cast<quint64>(v.Get<TOleDate>()->Days));
        break;
    case DBTYPE_BOOL:
        out.U16(*v.Get<bool>() ? 0xFFFF : 0);
        break;
    case DBTYPE_DECIMAL: {
        const TDbDecimal &d = *v.Get<TDbDecimal>();
        if (d.Scale < 0 || d.Scale > 255 || (d.Hi >> 32) != 0)
            OutOfRange(v, type);
        out.U16(0);
        out.U8(quint8(d.Scale));
        out.U8(d.Negative ? 0x80 : 0);
        out.U32(quint32(d.Hi));
        out.U32(quint32(d.Lo));
        out.U32(quint32(d.Lo >> 32));
        break;
    }
    case DBTYPE_NUMERIC: {
        const TDbDecimal &d = *v.Get<TDbDecimal>();
        if (d.Scale < 0 || d.Scale > 255)
            OutOfRange(v, type);
        out.U8(d.Precision);
        out.U8(quint8(d.Scale));
        out.U8(d.Negative ? 0 : 1);
        out.U64(d.Lo);
        out.U64(d.Hi);
        break;
    }
    case DBTYPE_GUID:
        out.Guid(*v.Get<QUuid>());
        break;
    case DBTYPE_DBDATE: {
        const TDbDate &d = *v.Get<TDbDate>();
        out.U16(quint16(d.Year));
        out.U16(d.Month);
        out.U16(d.Day);
        break;
    }
    case DBTYPE_DBTIME: {
        const TDbTime &t = *v.Get<TDbTime>();
        out.U16(t.Hour);
        out.U16(t.Minute);
        out.U16(t.Second);
        break;
    }
    case DBTYPE_DBTIMESTAMP: {
        const TDbTimeStamp &ts = *v.Get<TDbTimeStamp>();
        for (quint16 part : {quint16(ts.Year), ts.Month, ts.Day, ts.Hour, ts.Minute, ts.Second})
            out.U16(part);
        out.U32(ts.Fraction);
        break;
    }
    case DBTYPE_FILETIME:
        out.U64(v.Get<TFileTime>()->Ticks);
        break;
    default:
        break;
    }
}

QByteArray VarNumericBytes(const TDbValue &v)
{
    const TDbDecimal &d = *v.Get<TDbDecimal>();
    if (d.Scale < -128 || d.Scale > 127)
        OutOfRange(v, DBTYPE_VARNUMERIC);
    QByteArray bytes;
    bytes.append(char(d.Precision));
    bytes.append(char(qint8(d.Scale)));
    bytes.append(char(d.Negative ? 0 : 1));
    int length = 16;
    auto byteAt = [&d](int k) { return quint8(k < 8 ? d.Lo >> (8 * k) : d.Hi >> (8 * (k - 8))); };
    while (length > 1 && byteAt(length - 1) == 0)
        --length; // the shortest magnitude, at least one byte
    for (int k = 0; k < length; ++k)
        bytes.append(char(byteAt(k)));
    return bytes;
}

// The length prefix, the payload and the padding of a text or binary value whose
// payload is `size` bytes; writePayload puts exactly those bytes at the pointer.
template<class F>
void WriteFramed(TOutput &out, const TRecordField &field, const TValueLayout &layout, qsizetype size,
                 F &&writePayload)
{
    if (layout.Capacity >= 0 && size > layout.Capacity)
        throw EZKError(u"a value of %1 bytes is too long for field %2 (at most %3 bytes)"_s.arg(size)
                           .arg(field.Name)
                           .arg(layout.Capacity));
    const qsizetype missing = layout.Padded && size < layout.Capacity ? layout.Capacity - size : 0;
    if (layout.Framing == TValueLayout::Prefix1)
        out.U8(quint8(size + missing));
    else if (layout.Framing == TValueLayout::Prefix4)
        out.U32(quint32(size + missing));
    if (size > 0)
        writePayload(out.Grow(size));
    if (missing == 0)
        return;
    // Fixed text is padded with spaces, fixed binary with zeros.
    char *pad = out.Grow(missing);
    if (field.Type == DBTYPE_WSTR || field.Type == DBTYPE_BSTR) {
        for (qsizetype i = 0; i < missing; ++i)
            pad[i] = i % 2 == 0 && i + 1 < missing ? ' ' : '\0';
    } else {
        std::memset(pad, field.Type == DBTYPE_STR ? ' ' : '\0', size_t(missing));
    }
}

void WriteBytes(TOutput &out, const TRecordField &field, const TValueLayout &layout, const QByteArray &bytes)
{
    WriteFramed(out, field, layout, bytes.size(),
                [&bytes](char *p) { std::memcpy(p, bytes.constData(), size_t(bytes.size())); });
}

} // namespace

void WriteValue(TOutput &out, const TRecordField &field, const TValueLayout &layout, const TDbValue &value,
                TAnsiCodec &ansi)
{
    if (layout.Framing == TValueLayout::NoData)
        return;
    TDbValue scratch;
    const TDbValue &v = Native(value, field.Type, scratch);
    switch (field.Type) {
    case DBTYPE_BYTES:
        WriteBytes(out, field, layout, *v.Get<QByteArray>());
        return;
    case DBTYPE_STR:
        WriteBytes(out, field, layout, ansi.Encode(*v.Get<QString>(), field.Name));
        return;
    case DBTYPE_VARNUMERIC:
        WriteBytes(out, field, layout, VarNumericBytes(v));
        return;
    case DBTYPE_WSTR:
    case DBTYPE_BSTR: {
        const QString &s = *v.Get<QString>();
        WriteFramed(out, field, layout, s.size() * 2, [&s](char *p) {
            if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
                std::memcpy(p, s.constData(), size_t(s.size()) * 2);
            } else {
                for (qsizetype i = 0; i < s.size(); ++i)
                    qToLittleEndian(s[i].unicode(), p + 2 * i);
            }
        });
        return;
    }
    default:
        WriteFixed(out, field.Type, v);
        return;
    }
}

} // namespace Adtg
