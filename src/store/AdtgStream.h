#pragma once

// Byte-level pieces shared by the ADTG reader and writer: a bounded little-endian
// input, an output buffer with element framing, the tokens and GUIDs of the
// format, the value framing of a column and the code page of STR text.

#include "store/RecordField.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QUuid>
#include <QtEndian>
#include <cstring>
#include <optional>

namespace Adtg {

// Element tokens of a TableGram.
enum : quint8
{
    TokHeader = 0x01,
    TokHandlerOptions = 0x02,
    TokResultDescriptor = 0x03,
    TokTableDescriptor = 0x05,
    TokColumnDescriptor = 0x06,
    TokRow = 0x07,     // original row: unchanged, or first half of a change or delete
    TokChange = 0x0A,  // follows its 07 row: update maps and new values
    TokDelete = 0x0C,  // follows its 07 row
    TokInsert = 0x0D,  // update maps and values
    TokDone = 0x0F,    // last byte of the file
    TokContext = 0x10, // recordset context: property sets
};

// Bits of the 3-byte presence map of a column descriptor (a big-endian number).
enum : quint32
{
    HasFriendlyName = 0x800000,
    HasBaseTableOrdinal = 0x400000,
    HasBaseColumnOrdinal = 0x200000,
    HasBaseColumnName = 0x100000,
    HasCatalogName = 0x020000,
    HasSchemaName = 0x010000,
    HasCollatingSequence = 0x008000,
    HasComputeMode = 0x004000,
    HasDateTimePrecision = 0x002000,
    HasDefaultValue = 0x001000,
    HasAutoIncrement = 0x000100,
    HasCaseSensitive = 0x000080,
    HasMultivalued = 0x000040,
    HasSearchable = 0x000020,
    HasUnique = 0x000010,
    HasOctetLength = 0x000008,
    HasCalculationInfo = 0x000004,
};

extern const QUuid kHandlerGuid;   // {3FF292B6-B204-11CF-8D23-00AA005FFE58}
extern const QUuid kResultGuid;    // {F663ADD2-EB02-11CF-B0E3-00AA003F000F}
extern const QUuid kPropSetAdc;    // {B68E3CC1-6DEB-11D0-8DF6-00AA005FFE58}
extern const QUuid kPropSetRowset; // {C8B522BE-5CF3-11CE-ADE5-00AA0044773D}

// Errors of the reader. Each names what was read and where.
[[noreturn]] void Malformed(const QString &detail, qsizetype offset);
[[noreturn]] void Hierarchical(const QString &detail);

// A bounded view of the input. Every read checks the bounds first and refuses
// with a "malformed" error naming the field and its file offset.
class TInput
{
public:
    TInput(const char *data, qsizetype size, qsizetype baseOffset = 0)
        : FData(data)
        , FSize(size)
        , FBase(baseOffset)
    {}
    qsizetype Offset() const { return FBase + FPos; }
    qsizetype Remaining() const { return FSize - FPos; }
    bool AtEnd() const { return FPos >= FSize; }
    quint8 Peek() const { return quint8(FData[FPos]); }

    // Inline: the rows call these for every value; only the refusal is out of line.
    const char *Take(qsizetype n, const char *what)
    {
        if (n < 0 || n > FSize - FPos) [[unlikely]]
            Overrun(n, what);
        const char *p = FData + FPos;
        FPos += n;
        return p;
    }
    quint8 U8(const char *what) { return quint8(*Take(1, what)); }
    quint16 U16(const char *what) { return qFromLittleEndian<quint16>(Take(2, what)); }
    quint32 U32(const char *what) { return qFromLittleEndian<quint32>(Take(4, what)); }
    qint32 I32(const char *what) { return qint32(U32(what)); }
    quint64 U64(const char *what) { return qFromLittleEndian<quint64>(Take(8, what)); }
    QUuid Guid(const char *what);
    // u16 count of UTF-16 units, then the units.
    QString LpStr(const char *what);
    // The next `size` bytes as an element of their own; this input moves past them.
    TInput Element(qsizetype size, const char *what);
    // Refuses an element whose bytes were not all used.
    void ExpectEnd(const char *what) const;

private:
    [[noreturn]] void Overrun(qsizetype n, const char *what) const;

    const char *FData;
    qsizetype FSize;
    qsizetype FBase;
    qsizetype FPos = 0;
};

// Output buffer; elements with a u16 size are framed by Begin/EndElement. The bytes
// are written in place into a buffer that grows geometrically: the rows of a large
// recordset write millions of small pieces.
class TOutput
{
public:
    void U8(quint8 v) { *Grow(1) = char(v); }
    void U16(quint16 v) { qToLittleEndian(v, Grow(2)); }
    void U32(quint32 v) { qToLittleEndian(v, Grow(4)); }
    void U64(quint64 v) { qToLittleEndian(v, Grow(8)); }
    void Guid(const QUuid &g);
    void LpStr(const QString &s);
    void Raw(const char *data, qsizetype n)
    {
        if (n > 0)
            std::memcpy(Grow(n), data, size_t(n));
    }
    // UTF-16 units as little-endian bytes.
    void Utf16(const QChar *units, qsizetype count);
    // n more bytes at the end, to be filled by the caller before the next write.
    char *Grow(qsizetype n)
    {
        if (n > FCapacity - FSize) [[unlikely]]
            Expand(n);
        char *p = FData + FSize;
        FSize += n;
        return p;
    }
    qsizetype Size() const { return FSize; }
    qsizetype BeginElement(quint8 token);
    void EndElement(qsizetype start); // refuses an element over 65535 bytes
    // The bytes written; the output is empty afterwards.
    QByteArray TakeBytes();

private:
    void Expand(qsizetype n);

    QByteArray FBytes; // FCapacity bytes, the first FSize written
    char *FData = nullptr;
    qsizetype FSize = 0;
    qsizetype FCapacity = 0;
};

// How the values of a column travel: the fixed-size types as their bytes; text,
// binary and VARNUMERIC after a length prefix whose width comes from the byte
// capacity (MaxLength x unit size): 1 byte up to 255, else 4; fixed-length text
// and binary up to 255 bytes without a prefix, over 255 with a 4-byte prefix that
// equals the capacity.
struct TValueLayout
{
    enum TFraming
    {
        NoData,
        FixedSize,
        Prefix1,
        Prefix4
    };
    TFraming Framing = NoData;
    qint64 Size = 0;      // FixedSize: the bytes
    qint64 Capacity = -1; // text and binary: the bytes at most, -1 for none
    bool Padded = false;  // fixed-length text/binary: exactly Capacity bytes
    static TValueLayout Of(const TRecordField &field);
};

// STR text in a code page; a text that is not valid in it is refused.
class TAnsiCodec
{
public:
    explicit TAnsiCodec(const QByteArray &codePage);
    QString Decode(const char *data, qsizetype size, qsizetype offset);
    QByteArray Encode(const QString &text, const QString &fieldName);

private:
    QByteArray FCodePage;
    std::optional<QStringDecoder> FDecoder;
    std::optional<QStringEncoder> FEncoder;
};

} // namespace Adtg
