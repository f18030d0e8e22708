#include "store/Recordset.h"

#include "store/RecordsetFilter.h"
#include "store/ZKError.h"

#include <QRegularExpression>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const TDbValue kNullValue;

// A NUMERIC or VARNUMERIC value built from a number or text takes the precision
// of its column (38 when the column declares none); a DECIMAL or NUMERIC value
// with fewer decimals than its column declares is given the column's scale, as
// the server's values carry it ("1.5" in NUMERIC(5,2) is 1.50). Nothing is rounded.
TDbValue FitToColumn(const TDbValue &value, const TRecordField &field)
{
    TDbValue v = value.ConvertTo(field.Type);
    const TDbDecimal *d = v.Get<TDbDecimal>();
    if (!d)
        return v;
    TDbDecimal copy = *d;
    if (copy.Precision == 0 && field.Type != DBTYPE_DECIMAL)
        copy.Precision = quint8(field.Precision >= 1 && field.Precision <= 255 ? field.Precision : 38);
    const int maxScale = field.Type == DBTYPE_DECIMAL ? 28 : field.Type == DBTYPE_NUMERIC ? 255 : -1;
    if (copy.Scale >= 0 && field.Scale > copy.Scale && field.Scale <= maxScale) {
        const QString text = copy.ToString();
        const QString point = text.contains(u'.') ? QString() : u"."_s;
        const auto scaled =
            TDbDecimal::Parse(QString(text + point + QString(field.Scale - copy.Scale, u'0')));
        if (scaled && (field.Type != DBTYPE_DECIMAL || (scaled->Hi >> 32) == 0)) {
            const quint8 precision = copy.Precision;
            const bool negative = copy.Negative;
            copy = *scaled;
            copy.Precision = precision;
            copy.Negative = negative;
        }
    }
    return TDbValue(copy);
}

void CheckLength(const TDbValue &v, const TRecordField &field)
{
    if (field.MaxLength == DB_NO_MAXLENGTH)
        return;
    qsizetype length = -1;
    if (const QString *s = v.Get<QString>())
        length = s->size();
    else if (const QByteArray *b = v.Get<QByteArray>())
        length = b->size();
    if (length > qsizetype(field.MaxLength))
        throw EZKError(u"value of %1 units is too long for field %2 (at most %3)"_s.arg(length)
                           .arg(field.Name)
                           .arg(field.MaxLength));
}

} // namespace

TRecordField TRecordField::Define(const QString &name, quint16 type, quint32 maxLength, int options,
                                  quint32 precision, qint32 scale)
{
    TRecordField f;
    f.Name = name;
    f.Type = type;
    f.Precision = precision;
    f.Scale = scale;
    f.Flags = DBCOLUMNFLAGS_WRITE;
    const int size = DbTypeFixedSize(type);
    if (size > 0 || type == DBTYPE_EMPTY || type == DBTYPE_NULL) {
        f.MaxLength = quint32(size);
        if (size > 0)
            f.Flags |= DBCOLUMNFLAGS_ISFIXEDLENGTH;
    } else {
        f.MaxLength = maxLength == 0 ? DB_NO_MAXLENGTH : maxLength;
        if (options & foFixedLength)
            f.Flags |= DBCOLUMNFLAGS_ISFIXEDLENGTH;
    }
    if (options & foNullable)
        f.Flags |= DBCOLUMNFLAGS_ISNULLABLE;
    if (options & foLong)
        f.Flags |= DBCOLUMNFLAGS_ISLONG;
    if (options & foKey)
        f.Flags |= DBCOLUMNFLAGS_KEYCOLUMN;
    return f;
}

const TRecordField &TConstFieldRef::Def() const
{
    return FSet->Column(FColumn);
}

const TDbValue &TConstFieldRef::Value() const
{
    return FSet->Value(FColumn);
}

void TFieldRef::SetValue(const TDbValue &value) const
{
    FMutable->SetValue(FColumn, value);
}

TRecordset::TRecordset(QList<TRecordField> columns)
    : FColumns(std::move(columns))
    , FCells(FColumns.size())
{
    for (int c = 0; c < FColumns.size(); ++c) {
        if (!IsSupportedDbType(FColumns[c].Type))
            throw EZKError(u"field %1 has type %2, which a recordset cannot hold"_s.arg(
                FColumns[c].Name, DbTypeName(FColumns[c].Type)));
        if (!FColumns[c].Hidden)
            FFieldColumns.append(c);
    }
}

int TRecordset::FindField(QStringView name) const
{
    for (int column : FFieldColumns) {
        if (FColumns[column].Name.compare(name, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

int TRecordset::RequireColumn(QStringView name) const
{
    const int column = FindField(name);
    if (column < 0)
        throw EZKError(u"field '%1' not found"_s.arg(name));
    return column;
}

TFieldRef TRecordset::FieldByName(QStringView name)
{
    return TFieldRef(this, RequireColumn(name));
}

TConstFieldRef TRecordset::FieldByName(QStringView name) const
{
    return TConstFieldRef(this, RequireColumn(name));
}

void TRecordset::CheckBrowseMode()
{
    if (FState != TRecordsetState::Browse)
        Post();
}

void TRecordset::SetRecNo(int recNo)
{
    CheckBrowseMode();
    if (recNo < 1 || recNo > FView.size())
        throw EZKError(u"record number %1 is out of range (1 to %2)"_s.arg(recNo).arg(FView.size()));
    FCurrent = recNo - 1;
}

void TRecordset::First()
{
    CheckBrowseMode();
    FCurrent = 0;
}

void TRecordset::Last()
{
    CheckBrowseMode();
    FCurrent = std::max<int>(0, int(FView.size()) - 1);
}

void TRecordset::Next()
{
    CheckBrowseMode();
    if (FCurrent < FView.size())
        ++FCurrent;
}

void TRecordset::Prior()
{
    CheckBrowseMode();
    if (FCurrent >= 0)
        --FCurrent;
}

int TRecordset::CurrentRowIndex() const
{
    return (FCurrent >= 0 && FCurrent < FView.size()) ? FView[FCurrent] : -1;
}

const TDbValue &TRecordset::Value(int column) const
{
    if (column < 0 || column >= FColumns.size())
        throw EZKError(u"column %1 does not exist"_s.arg(column));
    if (FState != TRecordsetState::Browse)
        return FBuffer.at(column);
    const int row = CurrentRowIndex();
    return row < 0 ? kNullValue : FCells[column].At(row);
}

void TRecordset::SetValue(int column, const TDbValue &value)
{
    if (FState == TRecordsetState::Browse)
        throw EZKError(u"the recordset is not in edit or insert mode"_s);
    const TRecordField &field = FColumns.at(column);
    if (value.IsNull() && !field.IsNullable())
        throw EZKError(u"field %1 cannot be NULL"_s.arg(field.Name));
    TDbValue converted = FitToColumn(value, field);
    CheckLength(converted, field);
    FBuffer[column] = std::move(converted);
    FAssigned.setBit(column);
}

void TRecordset::Append()
{
    CheckBrowseMode();
    FBuffer = QList<TDbValue>(FColumns.size());
    FAssigned = QBitArray(FColumns.size());
    FState = TRecordsetState::Insert;
}

void TRecordset::Edit()
{
    if (FState != TRecordsetState::Browse)
        return;
    const int row = CurrentRowIndex();
    if (row < 0)
        throw EZKError(u"there is no current record to edit"_s);
    FBuffer = StoredValues(row);
    FAssigned = QBitArray(FColumns.size());
    FState = TRecordsetState::Edit;
}

void TRecordset::Post()
{
    if (FState == TRecordsetState::Insert) {
        AppendValues(std::move(FBuffer), TRowStatus::Inserted);
        FView.append(int(FStatus.size()) - 1);
        FCurrent = int(FView.size()) - 1;
    } else if (FState == TRecordsetState::Edit && FAssigned.count(true) > 0) {
        const int row = CurrentRowIndex();
        TRowStatus &status = FStatus[row];
        if (status == TRowStatus::Unchanged) {
            FChanges.insert(row, TRowChange{StoredValues(row), FAssigned});
            status = TRowStatus::Modified;
        } else if (status == TRowStatus::Modified) {
            FChanges[row].Changed |= FAssigned;
        }
        for (int c = 0; c < FColumns.size(); ++c) {
            if (FAssigned.testBit(c))
                FCells[c].Set(row, std::move(FBuffer[c]));
        }
    }
    Cancel();
}

void TRecordset::Cancel()
{
    FState = TRecordsetState::Browse;
    FBuffer.clear();
    FAssigned.clear();
}

void TRecordset::Delete()
{
    // Deleting a row that is being appended only drops it; a row being edited is
    // deleted without its unposted changes.
    const bool appending = FState == TRecordsetState::Insert;
    Cancel();
    if (appending)
        return;
    const int index = CurrentRowIndex();
    if (index < 0)
        throw EZKError(u"there is no current record to delete"_s);
    FView.removeAt(FCurrent);
    if (FStatus[index] == TRowStatus::Inserted) {
        for (TRecordColumn &column : FCells)
            column.RemoveAt(index);
        FStatus.removeAt(index);
        for (int &v : FView) {
            if (v > index)
                --v;
        }
        QHash<int, TRowChange> changes;
        for (auto it = FChanges.begin(); it != FChanges.end(); ++it)
            changes.insert(it.key() > index ? it.key() - 1 : it.key(), std::move(it.value()));
        FChanges = std::move(changes);
        return;
    }
    if (FStatus[index] == TRowStatus::Modified) {
        // A pending delete carries the original values.
        TRowChange change = FChanges.take(index);
        for (int c = 0; c < FColumns.size(); ++c)
            FCells[c].Set(index, std::move(change.Original[c]));
    }
    FStatus[index] = TRowStatus::Deleted;
}

void TRecordset::AddRow(const QList<TDbValue> &values)
{
    if (values.size() != FColumns.size())
        throw EZKError(u"a row of %1 values for %2 columns"_s.arg(values.size()).arg(FColumns.size()));
    QList<TDbValue> fitted;
    fitted.reserve(values.size());
    for (int c = 0; c < values.size(); ++c)
        fitted.append(FitToColumn(values[c], FColumns[c]));
    AddFittedRow(std::move(fitted));
}

void TRecordset::CheckFits(int column, const TDbValue &value) const
{
    CheckLength(value, FColumns.at(column));
}

void TRecordset::AddFittedRow(QList<TDbValue> values)
{
    if (values.size() != FColumns.size())
        throw EZKError(u"a row of %1 values for %2 columns"_s.arg(values.size()).arg(FColumns.size()));
    for (int c = 0; c < values.size(); ++c)
        CheckLength(values[c], FColumns[c]);
    AddStoredRow(TRecordRow{std::move(values), {}, {}, TRowStatus::Unchanged});
}

void TRecordset::AddStoredRow(TRecordRow row)
{
    if (row.Values.size() != FColumns.size())
        throw EZKError(u"a row of %1 values for %2 columns"_s.arg(row.Values.size()).arg(FColumns.size()));
    if (row.Status == TRowStatus::Modified)
        FChanges.insert(int(FStatus.size()), TRowChange{std::move(row.Original), std::move(row.Changed)});
    AppendValues(std::move(row.Values), row.Status);
    ShowAddedRow(int(FStatus.size()) - 1);
}

void TRecordset::EndLoadedRow(TRowStatus status)
{
    FStatus.append(status);
    ShowAddedRow(int(FStatus.size()) - 1);
}

QList<TDbValue> TRecordset::TakeLoadingRow()
{
    const auto row = FStatus.size();
    QList<TDbValue> values;
    values.reserve(FCells.size());
    for (TRecordColumn &column : FCells) {
        values.append(column.At(row));
        column.RemoveAt(row);
    }
    return values;
}

void TRecordset::ShowAddedRow(int index)
{
    if (FStatus.at(index) == TRowStatus::Deleted)
        return;
    if (FSortKeys.isEmpty() && Shown(index))
        FView.append(index);
    else
        RebuildView();
}

void TRecordset::ReserveRows(qsizetype rows)
{
    FStatus.reserve(rows);
    for (TRecordColumn &column : FCells)
        column.Reserve(rows);
}

void TRecordset::AppendValues(QList<TDbValue> &&values, TRowStatus status)
{
    for (int c = 0; c < FColumns.size(); ++c)
        FCells[c].Append(std::move(values[c]));
    FStatus.append(status);
}

QList<TDbValue> TRecordset::StoredValues(int index) const
{
    QList<TDbValue> values;
    values.reserve(FColumns.size());
    for (const TRecordColumn &column : FCells)
        values.append(column.At(index));
    return values;
}

TRecordRow TRecordset::StoredRow(int index) const
{
    TRecordRow row{StoredValues(index), {}, {}, FStatus.at(index)};
    if (row.Status == TRowStatus::Modified) {
        const TRowChange &change = FChanges[index];
        row.Original = change.Original;
        row.Changed = change.Changed;
    }
    return row;
}

bool TRecordset::Shown(int index) const
{
    return FStatus[index] != TRowStatus::Deleted &&
           (!FFilter || FFilter->Matches([this, index](int column) -> const TDbValue & {
               return FCells[column].At(index);
           }));
}

void TRecordset::AcceptChanges()
{
    CheckBrowseMode();
    QList<bool> keep(FStatus.size());
    for (int i = 0; i < FStatus.size(); ++i)
        keep[i] = FStatus[i] != TRowStatus::Deleted;
    for (TRecordColumn &column : FCells)
        column.Keep(keep);
    FStatus = QList<TRowStatus>(keep.count(true), TRowStatus::Unchanged);
    FChanges.clear();
    RebuildView();
}

void TRecordset::ClearRows()
{
    Cancel();
    for (TRecordColumn &column : FCells)
        column.Clear();
    FStatus.clear();
    FChanges.clear();
    FView.clear();
    FCurrent = 0;
}

bool TRecordset::SameContent(const TRecordset &other) const
{
    if (!(FColumns == other.FColumns) || FStatus != other.FStatus)
        return false;
    for (int i = 0; i < FStatus.size(); ++i) {
        if (!(StoredRow(i) == other.StoredRow(i)))
            return false;
    }
    return true;
}

void TRecordset::SetFilter(const QString &expression)
{
    CheckBrowseMode();
    auto filter = std::make_shared<const TRecordsetFilter>(expression, FColumns);
    FFilterText = expression;
    FFilter = expression.trimmed().isEmpty() ? nullptr : std::move(filter);
    RebuildView();
}

void TRecordset::SetSort(const QString &fields)
{
    CheckBrowseMode();
    QList<QPair<int, bool>> keys;
    const QStringList parts = fields.split(QRegularExpression(u"[,;]"_s), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        QStringList words = part.simplified().split(u' ');
        if (words.size() > 2 || words.value(0).isEmpty())
            throw EZKError(u"invalid sort field list \"%1\""_s.arg(fields));
        bool descending = false;
        if (words.size() == 2) {
            if (words[1].compare(u"DESC"_s, Qt::CaseInsensitive) == 0)
                descending = true;
            else if (words[1].compare(u"ASC"_s, Qt::CaseInsensitive) != 0)
                throw EZKError(u"invalid sort field list \"%1\""_s.arg(fields));
        }
        QString name = words[0];
        if (name.startsWith(u'[') && name.endsWith(u']'))
            name = name.mid(1, name.size() - 2);
        keys.append({RequireColumn(name), descending});
    }
    FSortText = fields;
    FSortKeys = keys;
    RebuildView();
}

namespace {

// One key of a Locate: the wanted value prepared once for the key's column.
struct TLocateKey
{
    int Column = -1;
    TDbValue Wanted;
    bool ByText = false;   // compare the texts exactly
    bool Matchable = true; // false when the value fits no value of the column
};

QString Unquoted(const QString &text)
{
    if (text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\''))
        return text.mid(1, text.size() - 2).replace(u"''"_s, u"'"_s);
    return text;
}

bool KeyMatches(const TLocateKey &key, const TDbValue &stored)
{
    if (key.Wanted.IsNull() || stored.IsNull())
        return key.Wanted.IsNull() && stored.IsNull();
    if (!key.Matchable)
        return false;
    if (key.ByText)
        return stored.AsString() == *key.Wanted.Get<QString>();
    if (const QByteArray *bytes = key.Wanted.Get<QByteArray>())
        return stored.Get<QByteArray>() && *stored.Get<QByteArray>() == *bytes;
    return CompareDbValues(stored, key.Wanted, Qt::CaseSensitive) == 0;
}

} // namespace

bool TRecordset::Locate(const QString &keyFields, const QVariantList &values)
{
    CheckBrowseMode();
    const QStringList names = keyFields.split(u';', Qt::SkipEmptyParts);
    if (names.isEmpty() || names.size() != values.size())
        throw EZKError(u"Locate: %1 values for the key fields \"%2\""_s.arg(values.size()).arg(keyFields));
    QList<TLocateKey> keys;
    for (int i = 0; i < names.size(); ++i) {
        TLocateKey key;
        key.Column = RequireColumn(names[i].trimmed());
        key.Wanted = TDbValue::FromVariant(values[i]);
        const quint16 type = FColumns[key.Column].Type;
        if (const QString *text = key.Wanted.Get<QString>()) {
            key.Wanted = Unquoted(*text);
            key.ByText = IsTextDbType(type) || type == DBTYPE_BYTES;
        } else if (IsTextDbType(type) && !key.Wanted.IsNull()) {
            key.Wanted = key.Wanted.AsString();
            key.ByText = true;
        }
        if (!key.ByText && !key.Wanted.IsNull() && !key.Wanted.Get<QByteArray>()) {
            try {
                key.Wanted = key.Wanted.ConvertTo(type);
            } catch (const EZKError &) {
                key.Matchable = false;
            }
        }
        keys.append(key);
    }
    for (int i = 0; i < FView.size(); ++i) {
        const int row = FView[i];
        if (std::all_of(keys.begin(), keys.end(), [this, row](const TLocateKey &k) {
                return KeyMatches(k, FCells[k.Column].At(row));
            })) {
            FCurrent = i;
            return true;
        }
    }
    return false;
}

void TRecordset::RebuildView()
{
    FView.clear();
    for (int i = 0; i < FStatus.size(); ++i) {
        if (Shown(i))
            FView.append(i);
    }
    if (!FSortKeys.isEmpty()) {
        std::stable_sort(FView.begin(), FView.end(), [this](int a, int b) {
            for (const auto &[column, descending] : FSortKeys) {
                const int c =
                    CompareDbValues(FCells[column].At(a), FCells[column].At(b), Qt::CaseInsensitive);
                if (c != 0)
                    return descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    FCurrent = 0;
}
