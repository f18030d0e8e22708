#include "store/AdtgStream.h"

#include "store/ZKError.h"

#include <QSysInfo>
#include <QtEndian>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace Adtg {

const QUuid kHandlerGuid(0x3FF292B6, 0xB204, 0x11CF, 0x8D, 0x23, 0x00, 0xAA, 0x00, 0x5F, 0xFE, 0x58);
const QUuid kResultGuid(0xF663ADD2, 0xEB02, 0x11CF, 0xB0, 0xE3, 0x00, 0xAA, 0x00, 0x3F, 0x00, 0x0F);
const QUuid kPropSetAdc(0xB68E3CC1, 0x6DEB, 0x11D0, 0x8D, 0xF6, 0x00, 0xAA, 0x00, 0x5F, 0xFE, 0x58);
const QUuid kPropSetRowset(0xC8B522BE, 0x5CF3, 0x11CE, 0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D);

void Malformed(const QString &detail, qsizetype offset)
{
    throw EZKError(u"malformed recordset file: %1 at offset %2"_s.arg(detail).arg(offset));
}

void Hierarchical(const QString &detail)
{
    throw EZKError(u"hierarchical recordsets are not supported: %1"_s.arg(detail));
}

void TInput::Overrun(qsizetype n, const char *what) const
{
    Malformed(u"%1 needs %2 bytes, %3 are left"_s.arg(QLatin1String(what)).arg(n).arg(FSize - FPos), Offset());
}

QUuid TInput::Guid(const char *what)
{
    // First three groups little-endian, the last eight bytes as they stand.
    const uchar *p = reinterpret_cast<const uchar *>(Take(16, what));
    return QUuid(qFromLittleEndian<quint32>(p), qFromLittleEndian<quint16>(p + 4),
                 qFromLittleEndian<quint16>(p + 6), p[8], p[9], p[10], p[11], p[12], p[13], p[14], p[15]);
}

QString TInput::LpStr(const char *what)
{
    const quint16 units = U16(what);
    const char *p = Take(qsizetype(units) * 2, what);
    QString s(units, Qt::Uninitialized);
    QChar *out = s.data();
    for (qsizetype i = 0; i < units; ++i)
        out[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
    return s;
}

TInput TInput::Element(qsizetype size, const char *what)
{
    const qsizetype start = Offset();
    const char *p = Take(size, what);
    return TInput(p, size, start);
}

void TInput::ExpectEnd(const char *what) const
{
    if (!AtEnd())
        Malformed(u"%1 has %2 bytes more than its fields"_s.arg(QLatin1String(what)).arg(Remaining()),
                  Offset());
}

void TOutput::Guid(const QUuid &g)
{
    U32(g.data1);
    U16(g.data2);
    U16(g.data3);
    Raw(reinterpret_cast<const char *>(g.data4), 8);
}

void TOutput::LpStr(const QString &s)
{
    if (s.size() > 0xFFFF)
        throw EZKError(u"a name of %1 characters is too long for a recordset file"_s.arg(s.size()));
    U16(quint16(s.size()));
    Utf16(s.constData(), s.size());
}

void TOutput::Utf16(const QChar *units, qsizetype count)
{
    char *p = Grow(count * 2);
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        if (count > 0)
            std::memcpy(p, units, size_t(count) * 2);
    } else {
        for (qsizetype i = 0; i < count; ++i)
            qToLittleEndian(units[i].unicode(), p + 2 * i);
    }
}

qsizetype TOutput::BeginElement(quint8 token)
{
    U8(token);
    U16(0);
    return FSize;
}

void TOutput::EndElement(qsizetype start)
{
    const qsizetype size = FSize - start;
    if (size > 0xFFFF)
        throw EZKError(u"a recordset file element of %1 bytes exceeds 65535 bytes"_s.arg(size));
    qToLittleEndian(quint16(size), FData + start - 2);
}

void TOutput::Expand(qsizetype n)
{
    const qsizetype capacity = std::max({FSize + n, FCapacity * 2, qsizetype(4096)});
    FBytes.resize(capacity);
    FData = FBytes.data();
    FCapacity = capacity;
}

QByteArray TOutput::TakeBytes()
{
    FBytes.resize(FSize);
    FBytes.squeeze(); // the growth's spare room goes back
    QByteArray bytes = std::move(FBytes);
    FBytes = QByteArray();
    FData = nullptr;
    FSize = 0;
    FCapacity = 0;
    return bytes;
}

TValueLayout TValueLayout::Of(const TRecordField &field)
{
    TValueLayout layout;
    const int size = DbTypeFixedSize(field.Type);
    if (size > 0) {
        layout.Framing = FixedSize;
        layout.Size = size;
        return layout;
    }
    if (!IsVariableDbType(field.Type))
        return layout; // EMPTY, NULL: no bytes at all
    if (field.MaxLength != DB_NO_MAXLENGTH)
        layout.Capacity = qint64(field.MaxLength) * DbTypeUnitBytes(field.Type);
    const bool fixed = field.IsFixedLength() && layout.Capacity >= 0;
    if (layout.Capacity >= 0 && layout.Capacity <= 255) {
        layout.Framing = fixed ? FixedSize : Prefix1;
        layout.Size = layout.Capacity;
    } else {
        layout.Framing = Prefix4;
    }
    layout.Padded = fixed;
    return layout;
}

TAnsiCodec::TAnsiCodec(const QByteArray &codePage)
    : FCodePage(codePage)
{}

QString TAnsiCodec::Decode(const char *data, qsizetype size, qsizetype offset)
{
    if (!FDecoder) {
        FDecoder.emplace(FCodePage.constData(), QStringConverter::Flag::Stateless);
        if (!FDecoder->isValid())
            throw EZKError(u"code page %1 is not known"_s.arg(QString::fromLatin1(FCodePage)));
    }
    QString text = FDecoder->decode(QByteArrayView(data, size));
    // Once an error is seen the load ends, so the decoder's sticky error flag is
    // never carried into another value.
    if (FDecoder->hasError())
        Malformed(u"text that is not valid in code page %1"_s.arg(QString::fromLatin1(FCodePage)), offset);
    return text;
}

QByteArray TAnsiCodec::Encode(const QString &text, const QString &fieldName)
{
    if (!FEncoder) {
        FEncoder.emplace(FCodePage.constData(), QStringConverter::Flag::Stateless);
        if (!FEncoder->isValid())
            throw EZKError(u"code page %1 is not known"_s.arg(QString::fromLatin1(FCodePage)));
    }
    QByteArray bytes = FEncoder->encode(text);
    if (FEncoder->hasError()) {
        FEncoder.reset(); // drop the sticky error flag for later values
        throw EZKError(u"the text \"%1\" of field %2 cannot be written in code page %3"_s.arg(
            text, fieldName, QString::fromLatin1(FCodePage)));
    }
    return bytes;
}

} // namespace Adtg
