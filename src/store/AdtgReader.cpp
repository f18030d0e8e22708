// Reading the metadata of a TableGram: header, handler options, result
// descriptor, recordset context, table descriptors and column descriptors.
#include "store/AdtgReader.h"

#include "store/Adtg.h"
#include "store/ZKError.h"

#include <QFile>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace Adtg {

namespace {

// Header: 01 07 'T' 'G' '!' major minor byte-order unicode. Byte order 0 is
// little-endian (the only one Windows writes); the unicode flag tells whether STR
// data travels as UTF-16 (never written: refused together with STR columns).
bool ReadHeader(TInput &in)
{
    if (in.Remaining() < 2 || in.Peek() != TokHeader)
        throw EZKError(u"not a recordset file (ADTG): it does not start with the TableGram header"_s);
    in.U8("header token");
    if (in.U8("header size") != 7)
        Malformed(u"a header size other than 7"_s, in.Offset() - 1);
    const char *magic = in.Take(3, "header");
    if (QByteArrayView(magic, 3) != "TG!")
        throw EZKError(u"not a recordset file (ADTG): the header does not read TG!"_s);
    in.U8("major version");
    in.U8("minor version");
    if (in.U8("byte order") != 0)
        throw EZKError(u"big-endian recordset files are not supported"_s);
    return in.U8("unicode flag") != 0;
}

// A sized element: token, u16 size, then exactly that many bytes.
TInput ElementOf(TInput &in, quint8 token, const char *what)
{
    if (in.AtEnd())
        Malformed(u"the file ends before the %1"_s.arg(QLatin1String(what)), in.Offset());
    if (in.Peek() != token)
        Malformed(u"token %1 where the %2 (%3) belongs"_s.arg(uint(in.Peek()), 2, 16, QLatin1Char('0'))
                      .arg(QLatin1String(what))
                      .arg(uint(token), 2, 16, QLatin1Char('0')),
                  in.Offset());
    in.U8("token");
    const quint16 size = in.U16("element size");
    return in.Element(size, what);
}

// Property sets: u16 set count; per set a GUID, u16 property count and per
// property u32 id, u16 byte count and the payload. The values do not matter to
// us; every property is skipped by its byte count.
void SkipPropertySets(TInput &e)
{
    const quint16 sets = e.U16("property set count");
    for (quint16 s = 0; s < sets; ++s) {
        e.Guid("property set GUID");
        const quint16 count = e.U16("property count");
        for (quint16 p = 0; p < count; ++p) {
            e.U32("property id");
            e.Take(e.U16("property size"), "property value");
        }
    }
}

// Handler options: GUID, u8 update type, three LPSTRs (URLs, friendly name), u16 async option.
void ReadHandlerOptions(TInput &in)
{
    TInput e = ElementOf(in, TokHandlerOptions, "handler options");
    e.Guid("handler GUID");
    e.U8("update type");
    for (int i = 0; i < 3; ++i)
        e.LpStr("handler string");
    e.U16("async option");
    e.ExpectEnd("handler options");
}

struct TCounts
{
    quint16 Visible = 0;
    quint16 Total = 0;
    quint16 Tables = 0;
    quint32 Rows = 0;
};

// Result descriptor: GUID; u8 reserved, cursor model, normalization; u16
// visible, total, computed, table and order-by column counts; u32 row count
// (rows that are not pending deletes); then property sets when the size allows.
TCounts ReadResultDescriptor(TInput &in)
{
    TInput e = ElementOf(in, TokResultDescriptor, "result descriptor");
    e.Guid("result GUID");
    e.Take(3, "result descriptor flags");
    TCounts c;
    c.Visible = e.U16("visible column count");
    c.Total = e.U16("total column count");
    if (e.U16("computed column count") != 0)
        Hierarchical(u"the recordset has computed columns"_s);
    c.Tables = e.U16("table count");
    e.U16("order-by column count");
    c.Rows = e.U32("row count");
    if (!e.AtEnd())
        SkipPropertySets(e);
    e.ExpectEnd("result descriptor");
    return c;
}

void ReadContext(TInput &in)
{
    TInput e = ElementOf(in, TokContext, "recordset context");
    if (!e.AtEnd())
        SkipPropertySets(e);
    e.ExpectEnd("recordset context");
}

// Table descriptor: u16 table ordinal; LPSTR original name; LPSTR update name;
// u16 code page; u16 column count; u16 key count and that many key ordinals, each
// the recordset ordinal of a key column (hidden columns included).
void ReadTableDescriptor(TInput &in, QList<QPair<quint16, qsizetype>> &keys)
{
    TInput e = ElementOf(in, TokTableDescriptor, "table descriptor");
    e.U16("table ordinal");
    e.LpStr("table name");
    e.LpStr("update table name");
    e.U16("table code page");
    e.U16("table column count");
    const quint16 count = e.U16("key column count");
    for (quint16 k = 0; k < count; ++k) {
        const qsizetype offset = e.Offset();
        keys.append({e.U16("key column ordinal"), offset});
    }
    e.ExpectEnd("table descriptor");
}

void CheckColumnType(const TRecordField &f)
{
    const QString column = u"column \"%1\""_s.arg(f.Name);
    if (f.Type == DBTYPE_HCHAPTER || (f.Flags & DBCOLUMNFLAGS_ISCHAPTER))
        Hierarchical(column + u" is a chapter of a child recordset"_s);
    if (f.Type == DBTYPE_VARIANT)
        throw EZKError(column + u" has type VARIANT, which recordset files here cannot hold"_s);
    if (f.Type & (DBTYPE_BYREF | DBTYPE_ARRAY | DBTYPE_VECTOR) || !IsSupportedDbType(f.Type))
        throw EZKError(column + u" has the unsupported type %1"_s.arg(DbTypeName(f.Type)));
}

// Column descriptor: a 3-byte big-endian presence map, the ordinal, the optional
// fields the map announces (see the Has* bits), then always DBTYPE, MaxLength,
// precision, scale and flags, more optional fields, and always IsVisible.
TColumnInfo ReadColumnDescriptor(TInput &in)
{
    TInput e = ElementOf(in, TokColumnDescriptor, "column descriptor");
    const uchar *m = reinterpret_cast<const uchar *>(e.Take(3, "presence map"));
    const quint32 map = (quint32(m[0]) << 16) | (quint32(m[1]) << 8) | m[2];
    TColumnInfo c;
    c.Ordinal = e.U16("column ordinal");
    QString baseName;
    if (map & HasFriendlyName)
        c.Field.Name = e.LpStr("column name");
    if (map & HasBaseTableOrdinal)
        e.U16("base table ordinal");
    if (map & HasBaseColumnOrdinal)
        e.U16("base column ordinal");
    if (map & HasBaseColumnName)
        baseName = e.LpStr("base column name");
    if (!(map & HasFriendlyName))
        c.Field.Name = baseName;
    c.Field.Type = e.U16("column type");
    c.Field.MaxLength = e.U32("column maximum length");
    c.Field.Precision = e.U32("column precision");
    c.Field.Scale = e.I32("column scale");
    c.Field.Flags = e.U32("column flags");
    // Chapters first: in a hierarchical file the element goes on with relation
    // data, and the error should say "hierarchical" rather than "malformed".
    CheckColumnType(c.Field);
    if (map & HasCalculationInfo)
        Hierarchical(u"column \"%1\" is computed"_s.arg(c.Field.Name));
    if (map & HasCatalogName)
        e.LpStr("catalog name");
    if (map & HasSchemaName)
        e.LpStr("schema name");
    if (map & HasCollatingSequence)
        e.U32("collating sequence");
    if (map & HasComputeMode)
        e.U32("compute mode");
    if (map & HasDateTimePrecision)
        e.U32("date-time precision");
    if (map & HasDefaultValue)
        e.Take(16, "default value");
    if (map & HasAutoIncrement)
        c.Field.AutoIncrement = e.U16("IsAutoIncrement") != 0;
    for (quint32 bit : {quint32(HasCaseSensitive), quint32(HasMultivalued)}) {
        if (map & bit)
            e.U16("column property");
    }
    if (map & HasSearchable) {
        // 2 or 4 bytes (the format's text disagrees with itself): whatever the
        // fields after it leave over.
        const qsizetype tail = ((map & HasUnique) ? 2 : 0) + ((map & HasOctetLength) ? 4 : 0) + 2;
        e.Take(e.Remaining() - tail == 4 ? 4 : 2, "IsSearchable");
    }
    if (map & HasUnique)
        e.U16("IsUnique");
    if (map & HasOctetLength)
        e.U32("octet length");
    c.Field.Hidden = e.U16("IsVisible") == 0;
    e.ExpectEnd("column descriptor");
    c.Layout = TValueLayout::Of(c.Field);
    return c;
}

} // namespace

TMetadata ReadMetadata(TInput &in)
{
    const bool unicode = ReadHeader(in);
    ReadHandlerOptions(in);
    const TCounts counts = ReadResultDescriptor(in);
    ReadContext(in);
    TMetadata meta;
    meta.RowCount = counts.Rows;
    QList<QPair<quint16, qsizetype>> keys;
    int tables = 0;
    while (!in.AtEnd()) {
        const quint8 token = in.Peek();
        if (token == TokTableDescriptor) {
            ReadTableDescriptor(in, keys);
            ++tables;
        } else if (token == TokColumnDescriptor) {
            meta.Columns.append(ReadColumnDescriptor(in));
        } else if (token == TokResultDescriptor) {
            Hierarchical(u"the file holds more than one result descriptor"_s);
        } else {
            break;
        }
    }
    if (tables != counts.Tables || meta.Columns.size() != counts.Total)
        Malformed(u"%1 table and %2 column descriptors where the result descriptor announces %3 and %4"_s
                      .arg(tables)
                      .arg(meta.Columns.size())
                      .arg(counts.Tables)
                      .arg(counts.Total),
                  in.Offset());
    std::sort(meta.Columns.begin(), meta.Columns.end(),
              [](const TColumnInfo &a, const TColumnInfo &b) { return a.Ordinal < b.Ordinal; });
    int visible = 0;
    for (int i = 0; i < meta.Columns.size(); ++i) {
        const TColumnInfo &c = meta.Columns[i];
        if (c.Ordinal != i + 1)
            Malformed(u"column ordinals that do not run from 1 to %1"_s.arg(meta.Columns.size()),
                      in.Offset());
        if (unicode && c.Field.Type == DBTYPE_STR)
            throw EZKError(
                u"column \"%1\": STR data in a file marked unicode is not supported"_s.arg(c.Field.Name));
        visible += c.Field.Hidden ? 0 : 1;
    }
    if (visible != counts.Visible)
        Malformed(
            u"%1 visible columns where the result descriptor announces %2"_s.arg(visible).arg(counts.Visible),
            in.Offset());
    // Key columns named by table descriptors count as KEYCOLUMN, as on the server.
    for (const auto &[ordinal, offset] : keys) {
        if (ordinal < 1 || ordinal > meta.Columns.size())
            Malformed(u"key column ordinal %1"_s.arg(ordinal), offset);
        meta.Columns[ordinal - 1].Field.Flags |= DBCOLUMNFLAGS_KEYCOLUMN;
    }
    return meta;
}

} // namespace Adtg

TRecordset LoadAdtg(const QByteArray &bytes, const TAdtgOptions &options)
{
    Adtg::TInput in(bytes.constData(), bytes.size());
    const Adtg::TMetadata meta = Adtg::ReadMetadata(in);
    QList<TRecordField> fields;
    fields.reserve(meta.Columns.size());
    for (const Adtg::TColumnInfo &c : meta.Columns)
        fields.append(c.Field);
    TRecordset set(fields);
    Adtg::TAnsiCodec ansi(options.CodePage);
    Adtg::ReadRows(in, meta, set, ansi);
    set.First();
    return set;
}

TRecordset LoadAdtgFile(const QString &fileName, const TAdtgOptions &options)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EZKError(u"cannot open %1: %2"_s.arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EZKError(u"cannot read %1: %2"_s.arg(fileName, file.errorString()));
    try {
        return LoadAdtg(bytes, options);
    } catch (const EZKError &e) {
        throw e.WithPrefix(fileName + u": "_s);
    }
}
