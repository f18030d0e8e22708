#include "export/XlsWorkbook.h"

#include "export/CompoundFile.h"
#include "store/ZKError.h"

#include <QFile>
#include <QHash>
#include <QtEndian>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Record types of the BIFF8 format.
enum : quint16
{
    BofRecord = 0x0809,
    EofRecord = 0x000A,
    CodePageRecord = 0x0042,
    Window1Record = 0x003D,
    FontRecord = 0x0031,
    FormatRecord = 0x041E,
    XfRecord = 0x00E0,
    StyleRecord = 0x0293,
    BoundSheetRecord = 0x0085,
    SstRecord = 0x00FC,
    ContinueRecord = 0x003C,
    DimensionsRecord = 0x0200,
    Window2Record = 0x023E,
    LabelSstRecord = 0x00FD,
    NumberRecord = 0x0203,
    BoolErrRecord = 0x0205,
};

constexpr int MaxRecordData = 8224;
constexpr quint16 GeneralXf = 15; // the first cell format after the 15 style formats
constexpr quint16 DateXf = 16;
constexpr quint16 DateTimeXf = 17;
constexpr quint16 DateFormat = 164;
constexpr quint16 DateTimeFormat = 165;

class TBiffWriter
{
public:
    QByteArray Bytes;

    void U8(QByteArray &b, quint8 v) { b.append(char(v)); }
    void U16(QByteArray &b, quint16 v)
    {
        char raw[2];
        qToLittleEndian<quint16>(v, raw);
        b.append(raw, 2);
    }
    void U32(QByteArray &b, quint32 v)
    {
        char raw[4];
        qToLittleEndian<quint32>(v, raw);
        b.append(raw, 4);
    }
    void F64(QByteArray &b, double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        char raw[8];
        qToLittleEndian<quint64>(bits, raw);
        b.append(raw, 8);
    }
    void Record(quint16 type, const QByteArray &data)
    {
        U16(Bytes, type);
        U16(Bytes, quint16(data.size()));
        Bytes += data;
    }
};

bool IsWide(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return true;
    }
    return false;
}

void AppendChars(QByteArray &b, QStringView text, bool wide)
{
    for (QChar c : text) {
        b.append(char(c.unicode() & 0xFF));
        if (wide)
            b.append(char(c.unicode() >> 8));
    }
}

// An XLUnicodeString (16-bit length) or ShortXLUnicodeString (8-bit length).
QByteArray UnicodeString(const QString &text, bool shortLength)
{
    TBiffWriter w;
    QByteArray b;
    if (shortLength)
        w.U8(b, quint8(text.size()));
    else
        w.U16(b, quint16(text.size()));
    const bool wide = IsWide(text);
    w.U8(b, wide ? 1 : 0);
    AppendChars(b, text, wide);
    return b;
}

QByteArray Bof(quint16 kind)
{
    TBiffWriter w;
    QByteArray b;
    w.U16(b, 0x0600);
    w.U16(b, kind);
    w.U16(b, 0x0DBB);
    w.U16(b, 0x07CC);
    w.U32(b, 0);
    w.U32(b, 0x06);
    return b;
}

QByteArray Font()
{
    TBiffWriter w;
    QByteArray b;
    w.U16(b, 200);    // 10 points
    w.U16(b, 0);      // no attributes
    w.U16(b, 0x7FFF); // automatic colour
    w.U16(b, 400);    // normal weight
    w.U16(b, 0);
    w.U8(b, 0);
    w.U8(b, 0);
    w.U8(b, 0);
    w.U8(b, 0);
    return b + UnicodeString(u"Arial"_s, true);
}

QByteArray Xf(quint16 format, bool style)
{
    TBiffWriter w;
    QByteArray b;
    w.U16(b, 0);                       // font 0
    w.U16(b, format);                  // number format
    w.U16(b, style ? 0xFFF5 : 0x0001); // locked; a style format has no parent
    w.U8(b, 0x20);                     // aligned to the bottom
    w.U8(b, 0);                        // no rotation
    w.U8(b, 0);                        // no indent
    w.U8(b, style ? 0x00 : 0xF8);      // attributes this format sets itself
    w.U32(b, 0);                       // no borders
    w.U32(b, 0);
    w.U16(b, 0x20C0); // default pattern colours
    return b;
}

QByteArray Window1()
{
    TBiffWriter w;
    QByteArray b;
    for (quint16 v : {0, 0, 0x3000, 0x2000, 0x0038, 0, 0, 1, 600})
        w.U16(b, v);
    return b;
}

QByteArray Window2(bool selected)
{
    TBiffWriter w;
    QByteArray b;
    w.U16(b, selected ? 0x06B6 : 0x02B6);
    w.U16(b, 0);
    w.U16(b, 0);
    w.U16(b, 0x40);
    w.U16(b, 0);
    w.U16(b, 0);
    w.U16(b, 0);
    w.U32(b, 0);
    return b;
}

// The shared string table: every distinct text once, numbered in order of first use.
class TSharedStrings
{
public:
    quint32 Index(const QString &text)
    {
        ++FTotal;
        auto it = FIndex.constFind(text);
        if (it != FIndex.constEnd())
            return *it;
        const quint32 n = quint32(FStrings.size());
        FIndex.insert(text, n);
        FStrings.append(text);
        return n;
    }

    // The SST record and its CONTINUE records. A string's length and flags never cross a
    // record boundary; its characters may, and the continuation repeats the flags.
    void Write(TBiffWriter &w) const
    {
        QByteArray rec;
        w.U32(rec, FTotal);
        w.U32(rec, quint32(FStrings.size()));
        quint16 type = SstRecord;
        const auto flush = [&] {
            w.Record(type, rec);
            rec.clear();
            type = ContinueRecord;
        };
        for (const QString &s : FStrings) {
            const bool wide = IsWide(s);
            const int unit = wide ? 2 : 1;
            if (rec.size() + 3 + (s.isEmpty() ? 0 : unit) > MaxRecordData)
                flush();
            w.U16(rec, quint16(s.size()));
            w.U8(rec, wide ? 1 : 0);
            qsizetype at = 0;
            while (at < s.size()) {
                const qsizetype room = (MaxRecordData - rec.size()) / unit;
                if (room <= 0) {
                    flush();
                    w.U8(rec, wide ? 1 : 0);
                    continue;
                }
                const qsizetype n = qMin(room, s.size() - at);
                AppendChars(rec, QStringView(s).mid(at, n), wide);
                at += n;
            }
        }
        flush();
    }

private:
    QHash<QString, quint32> FIndex;
    QStringList FStrings;
    quint32 FTotal = 0;
};

QByteArray CellHead(TBiffWriter &w, quint16 row, quint16 col, quint16 xf)
{
    QByteArray b;
    w.U16(b, row);
    w.U16(b, col);
    w.U16(b, xf);
    return b;
}

void WriteCell(TBiffWriter &w, quint16 row, quint16 col, const TSheetCell &cell, TSharedStrings &sst)
{
    switch (cell.Kind) {
    case TCellKind::Empty:
        return;
    case TCellKind::Text: {
        QByteArray b = CellHead(w, row, col, GeneralXf);
        w.U32(b, sst.Index(cell.Text));
        w.Record(LabelSstRecord, b);
        return;
    }
    case TCellKind::Boolean: {
        QByteArray b = CellHead(w, row, col, GeneralXf);
        w.U8(b, cell.Boolean ? 1 : 0);
        w.U8(b, 0);
        w.Record(BoolErrRecord, b);
        return;
    }
    case TCellKind::Number:
    case TCellKind::Date: {
        const quint16 xf = cell.Kind == TCellKind::Number ? GeneralXf : cell.HasTime ? DateTimeXf : DateXf;
        QByteArray b = CellHead(w, row, col, xf);
        w.F64(b, cell.Number);
        w.Record(NumberRecord, b);
        return;
    }
    }
}

// The substream of one worksheet, from its BOF to its EOF.
QByteArray SheetStream(TExportSheet &sheet, bool first, TSharedStrings &sst)
{
    if (sheet.Columns.size() > XlsMaxColumns)
        throw EZKError(XlsLimitRefusalText(sheet.Name, 0, sheet.Columns.size()));
    TBiffWriter cells;
    int row = 0;
    for (int c = 0; c < sheet.Columns.size(); ++c)
        WriteCell(cells, 0, quint16(c), SheetCellOf(sheet.Columns[c].Name, TSqlFieldKind::Text), sst);
    QVariantList values;
    while (sheet.NextRow && sheet.NextRow(values)) {
        if (++row >= XlsMaxRows)
            throw EZKError(XlsLimitRefusalText(sheet.Name, row, 0));
        for (int c = 0; c < sheet.Columns.size(); ++c) {
            const QVariant value = c < values.size() ? values[c] : QVariant();
            WriteCell(cells, quint16(row), quint16(c), SheetCellOf(value, sheet.Columns[c].Kind), sst);
        }
    }
    TBiffWriter w;
    w.Record(BofRecord, Bof(0x0010));
    QByteArray dim;
    w.U32(dim, 0);
    w.U32(dim, sheet.Columns.isEmpty() ? 0 : quint32(row + 1));
    w.U16(dim, 0);
    w.U16(dim, quint16(sheet.Columns.size()));
    w.U16(dim, 0);
    w.Record(DimensionsRecord, dim);
    w.Bytes += cells.Bytes;
    w.Record(Window2Record, Window2(first));
    w.Record(EofRecord, QByteArray());
    return w.Bytes;
}

// The workbook globals; positions receives the stream offsets of each BOUNDSHEET's
// position field so that they can be patched once the sheets are placed.
QByteArray Globals(const QList<TExportSheet> &sheets, const TSharedStrings &sst, QList<int> &positions)
{
    TBiffWriter w;
    w.Record(BofRecord, Bof(0x0005));
    QByteArray codePage;
    w.U16(codePage, 1200); // texts are UTF-16
    w.Record(CodePageRecord, codePage);
    w.Record(Window1Record, Window1());
    for (int i = 0; i < 4; ++i)
        w.Record(FontRecord, Font());
    for (const auto &[id, text] :
         {std::pair{DateFormat, u"yyyy-mm-dd"_s}, std::pair{DateTimeFormat, u"yyyy-mm-dd hh:mm:ss"_s}}) {
        QByteArray f;
        w.U16(f, id);
        w.Record(FormatRecord, f + UnicodeString(text, false));
    }
    for (int i = 0; i < 15; ++i)
        w.Record(XfRecord, Xf(0, true));
    w.Record(XfRecord, Xf(0, false));
    w.Record(XfRecord, Xf(DateFormat, false));
    w.Record(XfRecord, Xf(DateTimeFormat, false));
    QByteArray style;
    w.U16(style, 0x8000); // built-in style "Normal" on format 0
    w.U8(style, 0);
    w.U8(style, 0xFF);
    w.Record(StyleRecord, style);
    for (const TExportSheet &sheet : sheets) {
        QByteArray b;
        w.U32(b, 0);
        w.U8(b, 0); // visible
        w.U8(b, 0); // worksheet
        positions.append(int(w.Bytes.size()) + 4);
        w.Record(BoundSheetRecord, b + UnicodeString(sheet.Name.left(31), true));
    }
    sst.Write(w);
    w.Record(EofRecord, QByteArray());
    return w.Bytes;
}

} // namespace

QByteArray XlsWorkbookStream(QList<TExportSheet> &sheets)
{
    if (sheets.isEmpty())
        throw EZKError(u"工作簿至少需要一个工作表。"_s);
    TSharedStrings sst;
    QList<QByteArray> streams;
    for (qsizetype i = 0; i < sheets.size(); ++i)
        streams.append(SheetStream(sheets[i], i == 0, sst));
    QList<int> positions;
    QByteArray workbook = Globals(sheets, sst, positions);
    for (qsizetype i = 0; i < streams.size(); ++i) {
        qToLittleEndian<quint32>(quint32(workbook.size()), workbook.data() + positions[i]);
        workbook += streams[i];
    }
    // Excel wants the workbook stream outside the compound file's small-stream area.
    if (workbook.size() < 4096)
        workbook.append(4096 - workbook.size(), '\0');
    return workbook;
}

void WriteXlsWorkbook(const QString &path, QList<TExportSheet> &sheets)
{
    const QByteArray stream = XlsWorkbookStream(sheets);
    std::string error;
    QFile::remove(path);
    if (!WriteSingleStreamCompoundFile(QFile::encodeName(path).constData(), "Workbook",
                                       reinterpret_cast<const unsigned char *>(stream.constData()),
                                       std::size_t(stream.size()), error))
        throw EZKError(u"无法写入工作簿“%1”：%2"_s.arg(path, QString::fromLocal8Bit(error.c_str())));
}

QString XlsLimitRefusalText(const QString &table, qint64 records, qint64 columns)
{
    const QString advice = u"请改为导出到 Excel 2007 文件（.xlsx）或 dBase 文件（.dbf）。"_s;
    if (columns > XlsMaxColumns)
        return u"数据表 %1 有 %2 列，超过了 Excel 97 工作表最多 %3 列的限制，无法导出到 .xls 文件。"_s.arg(table)
                   .arg(columns)
                   .arg(XlsMaxColumns) +
               advice;
    if (records > XlsMaxRows - 1)
        return u"数据表 %1 有 %2 条记录，超过了 Excel 97 工作表最多 %3 条记录的限制，无法导出到 .xls 文件。"_s
                   .arg(table)
                   .arg(records)
                   .arg(XlsMaxRows - 1) +
               advice;
    return QString();
}

void WriteEmptyXlsWorkbook(const QString &path)
{
    QList<TExportSheet> sheets{{u"Sheet1"_s, {}, {}}};
    WriteXlsWorkbook(path, sheets);
}
