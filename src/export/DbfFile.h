#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// dBase IV table files (".dbf") as the export writes them: version byte 0x03, the
// language driver of code page 936 (0x7A), every text in GBK. A character that GBK
// cannot hold is written as "?", so a text never loses its length in characters.
//
// A file is created with its field descriptors and no records (TDbfFile::Create), and
// records are appended to an existing file through its own header (TDbfFile::Open): a
// descriptor changed on disk in between (the decimal count of a numeric field) governs
// how the values are written.

struct TDbfField
{
    QString Name;     // at most 10 characters are stored
    char Type = 'C';  // C text, N numeric, L logical, D date
    int Length = 0;   // bytes of the field in a record
    int Decimals = 0; // numeric fields
};

// The header layout of a dBase file.
namespace ZKDbf {
inline constexpr char Version = 0x03;
inline constexpr char LanguageDriverGbk = 0x7A;
inline constexpr char EndOfFile = 0x1A;
inline constexpr char HeaderTerminator = 0x0D;
inline constexpr int HeaderSize = 32;
inline constexpr int DescriptorSize = 32;
inline constexpr int MaxTextLength = 254;
} // namespace ZKDbf

// GBK bytes of a text, "?" for each character GBK lacks.
QByteArray GbkBytes(const QString &text);

class TDbfFile
{
public:
    TDbfFile() = default;
    ~TDbfFile();
    TDbfFile(const TDbfFile &) = delete;
    TDbfFile &operator=(const TDbfFile &) = delete;

    // Writes a new file (an existing one is replaced) with these fields and no records.
    // Throws EZKError when the fields are unusable or the file cannot be written.
    static void Create(const QString &path, const QList<TDbfField> &fields);

    // Opens an existing file for appending; its header gives the fields.
    void Open(const QString &path);
    const QList<TDbfField> &Fields() const { return FFields; }
    int RecordCount() const { return FRecordCount; }

    // Appends a record: one value per field, in order (missing ones are null). Null is
    // written as blanks; texts are cut to the field's bytes without splitting a
    // character; numbers are right-aligned with the field's decimals; logicals are "T"
    // or "F"; dates "yyyyMMdd".
    void Append(const QVariantList &values);
    // Writes the record count, the date of the last change and the end byte; closes.
    void Close();

private:
    QByteArray Record(const QVariantList &values) const;

    QString FPath;
    class QFile *FFile = nullptr;
    QList<TDbfField> FFields;
    int FHeaderLength = 0;
    int FRecordLength = 0;
    int FRecordCount = 0;
    QByteArray FPending; // records not yet written
};
