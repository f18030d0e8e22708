#include "export/DbfFile.h"

#include "store/ZKError.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QStringEncoder>
#include <QtEndian>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

void PutLe32(QByteArray &bytes, int offset, quint32 value)
{
    qToLittleEndian<quint32>(value, bytes.data() + offset);
}

void PutLe16(QByteArray &bytes, int offset, quint16 value)
{
    qToLittleEndian<quint16>(value, bytes.data() + offset);
}

void PutDate(QByteArray &bytes, int offset, const QDate &date)
{
    bytes[offset] = char(qBound(0, date.year() - 1900, 255));
    bytes[offset + 1] = char(date.month());
    bytes[offset + 2] = char(date.day());
}

// The length of the longest start of bytes that holds whole GBK characters and fits
// max bytes (a lead byte is 0x81..0xFE and takes the byte after it).
int WholeCharacterLength(const QByteArray &bytes, int max)
{
    int n = 0;
    while (n < bytes.size()) {
        const int width = quint8(bytes[n]) >= 0x81 && quint8(bytes[n]) <= 0xFE ? 2 : 1;
        if (n + width > max)
            break;
        n += width;
    }
    return n;
}

EZKError FileError(const QString &path, const QFile &file)
{
    return EZKError(u"无法写入 dBase 文件“%1”：%2"_s.arg(path, file.errorString()));
}

QByteArray Padded(QByteArray bytes, int length, bool rightAligned)
{
    if (bytes.size() >= length)
        return bytes.left(length);
    const QByteArray fill(length - bytes.size(), ' ');
    return rightAligned ? fill + bytes : bytes + fill;
}

QByteArray NumberBytes(const QVariant &value, const TDbfField &field)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) {
        if (value.toString().trimmed().isEmpty())
            return QByteArray(field.Length, ' ');
        throw EZKError(u"数据类型不符：“%1”不是字段 %2 能存放的数值。"_s.arg(value.toString(), field.Name));
    }
    const QByteArray text = QByteArray::number(number, 'f', field.Decimals);
    if (text.size() > field.Length)
        throw EZKError(u"数值溢出：%1 超出了字段 %2 的宽度。"_s.arg(QString::fromLatin1(text), field.Name));
    return Padded(text, field.Length, true);
}

QByteArray LogicalBytes(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? "T" : "F";
    const QString text = value.toString().trimmed().toUpper();
    if (text.isEmpty())
        return " ";
    bool numeric = false;
    const double number = text.toDouble(&numeric);
    if (numeric)
        return number != 0 ? "T" : "F";
    return text == "T"_L1 || text == "TRUE"_L1 || text == "Y"_L1 ? "T" : "F";
}

QByteArray DateBytes(const QVariant &value, int length)
{
    QDate date;
    if (value.typeId() == QMetaType::QDateTime)
        date = value.toDateTime().date();
    else if (value.typeId() == QMetaType::QDate)
        date = value.toDate();
    else
        date = QDateTime::fromString(value.toString().left(19), Qt::ISODate).date();
    if (!date.isValid())
        date = QDate::fromString(value.toString().left(10), Qt::ISODate);
    return date.isValid() ? Padded(date.toString(u"yyyyMMdd"_s).toLatin1(), length, false)
                          : QByteArray(length, ' ');
}

} // namespace

QByteArray GbkBytes(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    std::optional<QStringEncoder> encoder(std::in_place, "GBK");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        const qsizetype units =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray bytes = encoder->encode(QStringView(text).mid(i, units));
        // ICU puts its substitution byte 0x1A (or nothing) where GBK has no character.
        if (encoder->hasError() || bytes.isEmpty() || bytes.contains('\x1a') || bytes == "?") {
            out.append('?');
            // The error flag outlives resetState(): a fresh encoder keeps it from marking
            // every following character as unencodable too.
            encoder.emplace("GBK");
        } else {
            out.append(bytes);
            encoder->resetState();
        }
        i += units - 1;
    }
    return out;
}

TDbfFile::~TDbfFile()
{
    try {
        Close();
    } catch (const EZKError &) {
        // The error that unwinds past this file is the one to report.
    }
}

void TDbfFile::Create(const QString &path, const QList<TDbfField> &fields)
{
    if (fields.isEmpty())
        throw EZKError(u"dBase 数据表至少需要一个字段（%1）。"_s.arg(path));
    QByteArray header(ZKDbf::HeaderSize, '\0');
    int recordLength = 1; // the deletion flag
    for (const TDbfField &f : fields) {
        if (f.Length < 1 || f.Length > 255)
            throw EZKError(u"dBase 字段 %1 的长度不能是 %2 字节。"_s.arg(f.Name).arg(f.Length));
        QByteArray d(ZKDbf::DescriptorSize, '\0');
        const QByteArray name = GbkBytes(f.Name).left(10);
        d.replace(0, name.size(), name);
        d[11] = f.Type;
        d[16] = char(f.Length);
        d[17] = char(f.Decimals);
        header += d;
        recordLength += f.Length;
    }
    header += ZKDbf::HeaderTerminator;
    header[0] = ZKDbf::Version;
    PutDate(header, 1, QDate::currentDate());
    PutLe32(header, 4, 0);
    PutLe16(header, 8, quint16(header.size()));
    PutLe16(header, 10, quint16(recordLength));
    header[29] = ZKDbf::LanguageDriverGbk;
    if (recordLength > 0xFFFF)
        throw EZKError(u"%1 的记录长度超出了 dBase 文件的限制。"_s.arg(path));
    header += ZKDbf::EndOfFile;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(header) != header.size())
        throw FileError(path, file);
}

void TDbfFile::Open(const QString &path)
{
    Close();
    FPath = path;
    FFile = new QFile(path);
    if (!FFile->open(QIODevice::ReadWrite))
        throw EZKError(u"无法打开 dBase 文件“%1”：%2"_s.arg(path, FFile->errorString()));
    const QByteArray head = FFile->read(ZKDbf::HeaderSize);
    if (head.size() < ZKDbf::HeaderSize)
        throw EZKError(u"“%1”不是 dBase 文件。"_s.arg(path));
    FRecordCount = qFromLittleEndian<qint32>(head.constData() + 4);
    FHeaderLength = qFromLittleEndian<quint16>(head.constData() + 8);
    FRecordLength = qFromLittleEndian<quint16>(head.constData() + 10);
    FFields.clear();
    for (;;) {
        const QByteArray d = FFile->read(ZKDbf::DescriptorSize);
        if (d.isEmpty() || d[0] == ZKDbf::HeaderTerminator || d.size() < ZKDbf::DescriptorSize)
            break;
        TDbfField f;
        f.Name = QString::fromLatin1(d.left(11).constData());
        f.Type = d[11];
        f.Length = quint8(d[16]);
        f.Decimals = quint8(d[17]);
        FFields.append(f);
    }
}

QByteArray TDbfFile::Record(const QVariantList &values) const
{
    QByteArray record(" ");
    record.reserve(FRecordLength);
    for (qsizetype i = 0; i < FFields.size(); ++i) {
        const TDbfField &f = FFields[i];
        const QVariant value = i < values.size() ? values[i] : QVariant();
        if (value.isNull() || !value.isValid()) {
            record += QByteArray(f.Length, ' ');
            continue;
        }
        switch (f.Type) {
        case 'N':
        case 'F':
            record += NumberBytes(value, f);
            break;
        case 'L':
            record += Padded(LogicalBytes(value), f.Length, false);
            break;
        case 'D':
            record += DateBytes(value, f.Length);
            break;
        default: {
            const QByteArray bytes = GbkBytes(value.toString());
            record += Padded(bytes.left(WholeCharacterLength(bytes, f.Length)), f.Length, false);
        }
        }
    }
    return record;
}

void TDbfFile::Append(const QVariantList &values)
{
    if (!FFile)
        throw EZKError(u"没有打开的 dBase 文件。"_s);
    const QByteArray record = Record(values);
    if (record.size() != FRecordLength)
        throw EZKError(u"“%1”的文件头与其字段不符。"_s.arg(FPath));
    FPending += record;
    ++FRecordCount;
    if (FPending.size() >= (1 << 20)) {
        FFile->seek(FHeaderLength + qint64(FRecordCount) * FRecordLength - FPending.size());
        if (FFile->write(FPending) != FPending.size())
            throw FileError(FPath, *FFile);
        FPending.clear();
    }
}

void TDbfFile::Close()
{
    if (!FFile)
        return;
    QFile *file = FFile;
    FFile = nullptr;
    const std::unique_ptr<QFile> owner(file);
    const qint64 end = FHeaderLength + qint64(FRecordCount) * FRecordLength;
    QByteArray head(8, '\0');
    PutDate(head, 1, QDate::currentDate());
    PutLe32(head, 4, quint32(FRecordCount));
    bool ok =
        file->seek(end - FPending.size()) && file->write(FPending + ZKDbf::EndOfFile) == FPending.size() + 1;
    ok = ok && file->resize(end + 1) && file->seek(1) && file->write(head.mid(1, 7)) == 7;
    FPending.clear();
    if (!ok)
        throw FileError(FPath, *file);
}
