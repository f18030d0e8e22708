#include "store/SqlDetached.h"

#include "store/DbValue.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

#include <QHash>
#include <QScopeGuard>
#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

int RecordOptions(const TSqlFieldDef &def)
{
    int options = def.NotNull ? TRecordField::foNone : TRecordField::foNullable;
    if (def.PrimaryKeyPart > 0 && !def.BaseTable.isEmpty())
        options |= TRecordField::foKey;
    return options;
}

// The type an expression column takes from the values it holds.
quint16 ExpressionType(const QList<QVariantList> &rows, int column)
{
    bool sawInteger = false;
    bool sawDouble = false;
    bool wide = false;
    for (const QVariantList &row : rows) {
        const QVariant &v = row.at(column);
        if (v.isNull())
            continue;
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int: {
            const qint64 n = v.toLongLong();
            wide = wide || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max();
            sawInteger = true;
            break;
        }
        case QMetaType::Double:
            sawDouble = true;
            break;
        default:
            return DBTYPE_WSTR;
        }
    }
    if (sawDouble)
        return DBTYPE_R8;
    if (!sawInteger)
        return DBTYPE_WSTR;
    return wide ? DBTYPE_I8 : DBTYPE_I4;
}

TRecordField ExpressionField(const TSqlFieldDef &def, quint16 type)
{
    const int options = TRecordField::foNullable | (type == DBTYPE_WSTR ? TRecordField::foLong : 0);
    return TRecordField::Define(def.Name, type, 0, options);
}

// A binary code column carries its code as UTF-16LE text of width / 2 characters.
TDbValue BinaryCodeValue(const QVariant &v, quint32 width)
{
    if (v.isNull())
        return TDbValue();
    if (v.typeId() == QMetaType::QByteArray)
        return TDbValue(v.toByteArray());
    QString text = v.toString();
    const int chars = int(width / 2);
    if (text.size() < chars)
        text = QString(chars - text.size(), u' ') + text;
    return TDbValue(QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
}

TDbValue ColumnValue(const TRecordField &field, const TSqlFieldDef &def, const QVariant &v)
{
    if (def.Kind == TSqlFieldKind::BinaryCode)
        return BinaryCodeValue(v, field.MaxLength);
    if (v.isNull())
        return TDbValue();
    if (IsTextDbType(field.Type) && v.typeId() != QMetaType::QString)
        return TDbValue(v.toString());
    return TDbValue::FromVariant(v).ConvertTo(field.Type);
}

// The value of a cell whose stored text goes into a text or binary code column.
TDbValue TextCellValue(const TSqlCells &cells, int c, const TRecordField &field, const TSqlFieldDef &def)
{
    if (def.Kind == TSqlFieldKind::BinaryCode)
        return BinaryCodeValue(QVariant(cells.Text(c)), field.MaxLength);
    return TDbValue(cells.Text(c));
}

// Puts the cells of each row straight into the recordset's columns, with the checks
// AddFittedRow makes. Texts, numbers and doubles, nearly all of what a set holds, are
// read straight from the statement; every other case goes the way of the QVariant as
// before, so each value is what it always was.
//
// Repeated texts of a column (codes, flags, names of schools) are decoded once: a text
// whose stored bytes equal those of the row above is that row's value once more, and
// one whose bytes were seen before in its column is a copy of the first row's. A column
// stops collecting once it has shown many different texts (numbers of candidates,
// names).
class TCellLoader
{
public:
    TCellLoader(TRecordset &set, const QList<TRecordField> &fields, const QList<TSqlFieldDef> &defs)
        : FSet(set)
        , FFields(fields)
        , FDefs(defs)
        , FColumns(fields.size())
    {
        for (int c = 0; c < fields.size(); ++c) {
            switch (defs[c].Kind) {
            case TSqlFieldKind::Text:
            case TSqlFieldKind::FixedText:
            case TSqlFieldKind::Memo:
                FColumns[c].Texts = IsTextDbType(fields[c].Type);
                break;
            case TSqlFieldKind::BinaryCode:
                FColumns[c].Texts = true;
                break;
            default:
                break;
            }
            FColumns[c].Collecting = FColumns[c].Texts;
        }
    }

    void LoadRow(const TSqlCells &cells)
    {
        for (int c = 0; c < FColumns.size(); ++c) {
            if (FColumns[c].Texts && !cells.IsNull(c) && cells.IsText(c))
                LoadText(cells, c);
            else
                LoadOther(cells, c);
        }
        FSet.EndLoadedRow(TRowStatus::Unchanged);
    }

private:
    static constexpr qsizetype MaxDistinct = 2048;

    struct TColumn
    {
        bool Texts = false;       // stored texts are read the text way
        bool Collecting = false;  // FirstRows still grows
        bool HasPrevious = false; // the row above holds the value of Previous's bytes
        QByteArray Previous;
        QHash<QByteArray, int> FirstRows; // by the stored UTF-8: the first row that held it
    };

    void LoadText(const TSqlCells &cells, int c)
    {
        TColumn &col = FColumns[c];
        TRecordColumn &column = FSet.LoadingColumn(c);
        const QByteArrayView utf8 = cells.Utf8(c);
        if (col.HasPrevious && utf8 == QByteArrayView(col.Previous)) {
            column.AppendRepeat();
            return;
        }
        col.Previous.resize(utf8.size());
        std::copy(utf8.begin(), utf8.end(), col.Previous.begin());
        col.HasPrevious = true;
        if (col.Collecting) {
            const auto it = col.FirstRows.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
            if (it != col.FirstRows.constEnd()) {
                column.AppendCopyOf(*it);
                return;
            }
        }
        TDbValue value = TextCellValue(cells, c, FFields[c], FDefs[c]);
        FSet.CheckFits(c, value);
        if (col.Collecting) {
            if (col.FirstRows.size() >= MaxDistinct) {
                col.Collecting = false;
                col.FirstRows = {};
            } else {
                col.FirstRows.insert(col.Previous, int(column.Size()));
            }
        }
        column.Append(std::move(value));
    }

    void LoadOther(const TSqlCells &cells, int c)
    {
        FColumns[c].HasPrevious = false;
        TDbValue value = cells.IsNull(c) ? TDbValue() : ColumnValue(FFields[c], FDefs[c], cells.Value(c));
        FSet.CheckFits(c, value);
        FSet.LoadingColumn(c).Append(std::move(value));
    }

    TRecordset &FSet;
    const QList<TRecordField> &FFields;
    const QList<TSqlFieldDef> &FDefs;
    QList<TColumn> FColumns;
};

} // namespace

TRecordField RecordFieldFor(const TSqlFieldDef &def)
{
    const int options = RecordOptions(def);
    const auto size = quint32(def.Size > 0 ? def.Size : 0);
    switch (def.Kind) {
    case TSqlFieldKind::Text:
    case TSqlFieldKind::FixedText:
        return TRecordField::Define(def.Name, DBTYPE_WSTR, size, options);
    case TSqlFieldKind::BinaryCode:
        return TRecordField::Define(def.Name, DBTYPE_BYTES, size, options);
    case TSqlFieldKind::Short:
        return TRecordField::Define(def.Name, DBTYPE_I2, 0, options);
    case TSqlFieldKind::Long:
    case TSqlFieldKind::Counter:
        return TRecordField::Define(def.Name, DBTYPE_I4, 0, options);
    case TSqlFieldKind::Double:
        return TRecordField::Define(def.Name, DBTYPE_R8, 0, options);
    case TSqlFieldKind::DateTime:
        return TRecordField::Define(def.Name, DBTYPE_DATE, 0, options);
    case TSqlFieldKind::Boolean:
        return TRecordField::Define(def.Name, DBTYPE_BOOL, 0, options);
    case TSqlFieldKind::LongBinary:
        return TRecordField::Define(def.Name, DBTYPE_BYTES, 0, options | TRecordField::foLong);
    case TSqlFieldKind::Memo:
    case TSqlFieldKind::Unknown:
        break;
    }
    return TRecordField::Define(def.Name, DBTYPE_WSTR, 0, options | TRecordField::foLong);
}

TRecordset OpenDetached(TSqlQuery &query)
{
    if (!query.Active())
        query.Open();
    else
        query.First();
    // The statement is finished however the reading ends (a value too long for its
    // column throws), so that it holds no read on the database afterwards.
    const auto closeQuery = qScopeGuard([&query] { query.Close(); });
    const QList<TSqlFieldDef> defs = query.FieldDefs();
    const bool typedColumns = std::none_of(
        defs.begin(), defs.end(), [](const TSqlFieldDef &def) { return def.Kind == TSqlFieldKind::Unknown; });
    // An expression column takes its type from all of its values: those rows are read
    // first. Otherwise each row goes into the recordset as it comes.
    QList<QVariantList> rows;
    if (!typedColumns) {
        for (; !query.Eof(); query.Next())
            rows.append(query.Row());
    }

    QList<TRecordField> fields;
    fields.reserve(defs.size());
    for (int c = 0; c < defs.size(); ++c) {
        fields.append(defs[c].Kind == TSqlFieldKind::Unknown
                          ? ExpressionField(defs[c], ExpressionType(rows, c))
                          : RecordFieldFor(defs[c]));
    }
    TRecordset set(fields);
    if (typedColumns) {
        TCellLoader loader(set, fields, defs);
        query.ReadRemainingRows([&loader](const TSqlCells &cells) { loader.LoadRow(cells); });
    } else {
        for (const QVariantList &row : rows) {
            QList<TDbValue> values;
            values.reserve(row.size());
            for (int c = 0; c < row.size(); ++c)
                values.append(ColumnValue(fields[c], defs[c], row[c]));
            set.AddFittedRow(std::move(values));
        }
    }
    set.First();
    return set;
}

TRecordset OpenTableRows(TSqlConnection &conn, const QString &table)
{
    TSqlQuery query(&conn);
    query.OpenTable(table);
    return OpenDetached(query);
}

QString QuotedLocateValue(const QString &text)
{
    QString inner = text;
    inner.replace(u'\'', u"''"_s);
    return u'\'' + inner + u'\'';
}
