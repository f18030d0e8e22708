#include "store/TableTools.h"

#include "store/Adtg.h"
#include "store/SqlIdentifiers.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

using namespace Qt::StringLiterals;

void OpenRecordsetFile(TRecordset &dataSet, const QString &fileName)
{
    dataSet = TRecordset();
    dataSet = LoadAdtgFile(fileName);
    dataSet.First();
}

QStringList SplitKeyNames(const QString &keys)
{
    QStringList names;
    QString name;
    for (const QChar c : keys) {
        if (c == u';' || c == u' ' || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            if (!name.isEmpty())
                names.append(name);
            name.clear();
        } else {
            name.append(c);
        }
    }
    if (!name.isEmpty())
        names.append(name);
    return names;
}

namespace {

QString TextColumnType(const TRecordField &field)
{
    // A memo, a text without a declared maximum and a text of 256 characters or more are
    // long texts; so is a declared size of 0, which no text column can have.
    const quint32 n = field.MaxLength;
    if (field.IsLong() || n == 0 || n >= 256)
        return u"text with comp"_s;
    return u"text(%1) with comp"_s.arg(n);
}

} // namespace

QString ColumnTypeForField(const TRecordField &field)
{
    switch (field.Type) {
    case DBTYPE_STR:
    case DBTYPE_WSTR:
    case DBTYPE_BSTR:
        return TextColumnType(field);
    case DBTYPE_I1:
    case DBTYPE_I2:
    case DBTYPE_UI1:
        return u"short"_s;
    case DBTYPE_I4:
        return field.AutoIncrement ? u"counter"_s : u"long"_s;
    // Wider integers: the engine's integer columns hold 64 bits.
    case DBTYPE_UI2:
    case DBTYPE_UI4:
    case DBTYPE_I8:
    case DBTYPE_UI8:
        return u"long"_s;
    case DBTYPE_BOOL:
        return u"bin"_s;
    case DBTYPE_R4:
    case DBTYPE_R8:
    case DBTYPE_CY:
    case DBTYPE_DECIMAL:
    case DBTYPE_NUMERIC:
    case DBTYPE_VARNUMERIC:
        return u"double"_s;
    case DBTYPE_DATE:
    case DBTYPE_DBDATE:
    case DBTYPE_DBTIME:
    case DBTYPE_DBTIMESTAMP:
    case DBTYPE_FILETIME:
        return u"datetime"_s;
    case DBTYPE_BYTES:
        if (field.IsLong() || field.MaxLength == DB_NO_MAXLENGTH || field.MaxLength == 0)
            return u"longbinary"_s;
        return u"binary(%1)"_s.arg(field.MaxLength);
    // Kinds the leader's recordsets do not carry: a column that keeps their values.
    case DBTYPE_GUID:
        return u"text(38) with comp"_s;
    case DBTYPE_EMPTY:
    case DBTYPE_NULL:
        return u"text with comp"_s;
    default:
        throw EZKError(u"The field %1 has the type %2, for which there is no column type."_s.arg(
            field.Name, DbTypeName(field.Type)));
    }
}

QString CreateTableStatement(const TRecordset &source, const QString &tableName, const QStringList &keyNames,
                             bool *withKey)
{
    // Field names are the leader's: each is checked and quoted before it becomes a column.
    QString columns;
    for (int i = 0; i < source.FieldCount(); ++i)
        columns = u"%1%2 %3,"_s.arg(columns, QuoteIdentifier(source.Field(i).Name),
                                    ColumnTypeForField(source.Field(i)));
    bool allKeysAreFields = !keyNames.isEmpty();
    QStringList quotedKeys;
    for (const QString &key : keyNames) {
        allKeysAreFields = allKeysAreFields && source.FindField(key) >= 0;
        if (allKeysAreFields)
            quotedKeys.append(QuoteIdentifier(key));
    }
    if (allKeysAreFields)
        columns = u"%1primary key (%2)"_s.arg(columns, quotedKeys.join(u','));
    else
        columns.chop(1);
    if (withKey)
        *withKey = allKeysAreFields;
    return u"create table %1 (%2)"_s.arg(tableName, columns);
}

void VarBytesOrMemoFieldGetText(const TConstFieldRef &sender, QString &text, bool displayText)
{
    Q_UNUSED(displayText);
    // The value's own text: bytes are read as the UTF-16LE text of a code up to its
    // first NUL unit, a memo is its text.
    text = sender.Value().AsString();
}

QString VarBytesOrMemoText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return TDbValue(value.toByteArray()).AsString();
    return SqlValueText(value);
}
