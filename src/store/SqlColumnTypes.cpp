#include "store/SqlColumnTypes.h"

#include "store/ZKError.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

const QString NoCase = u" COLLATE NOCASE"_s;

int SizeValue(const QString &typeName, const QString &size)
{
    bool ok = false;
    const int n = size.trimmed().toInt(&ok);
    if (!ok || n <= 0)
        throw EZKError(u"Syntax error in field definition: %1(%2)."_s.arg(typeName, size));
    return n;
}

bool OneOf(const QString &name, std::initializer_list<QLatin1StringView> names)
{
    for (QLatin1StringView n : names) {
        if (name.compare(n, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString MapJetColumnType(const QString &typeName, const QString &size)
{
    const bool sized = !size.isEmpty();
    if (OneOf(typeName, {"text"_L1, "varchar"_L1, "nvarchar"_L1, "string"_L1}))
        return sized ? u"VARCHAR(%1)"_s.arg(SizeValue(typeName, size)) + NoCase : u"TEXT"_s + NoCase;
    if (OneOf(typeName, {"memo"_L1, "longtext"_L1, "longchar"_L1, "note"_L1, "ntext"_L1}))
        return u"TEXT"_s + NoCase;
    if (OneOf(typeName, {"char"_L1, "nchar"_L1, "character"_L1}))
        return u"CHAR(%1)"_s.arg(sized ? SizeValue(typeName, size) : 1) + NoCase;
    if (OneOf(typeName, {"binary"_L1, "varbinary"_L1}))
        return u"BINARY TEXT(%1)"_s.arg(sized ? SizeValue(typeName, size) : 510) + NoCase;
    if (OneOf(typeName, {"short"_L1, "smallint"_L1, "integer2"_L1, "byte"_L1, "tinyint"_L1}))
        return u"SMALLINT"_s;
    if (OneOf(typeName, {"long"_L1, "int"_L1, "integer"_L1, "integer4"_L1}))
        return u"INT"_s;
    if (OneOf(typeName, {"counter"_L1, "autoincrement"_L1}))
        return u"COUNTER INT"_s;
    if (OneOf(typeName, {"double"_L1, "float"_L1, "float8"_L1, "single"_L1, "float4"_L1, "real"_L1,
                         "currency"_L1, "money"_L1, "numeric"_L1, "decimal"_L1, "number"_L1}))
        return u"DOUBLE"_s;
    if (OneOf(typeName, {"datetime"_L1, "date"_L1, "time"_L1, "timestamp"_L1}))
        return u"DATETIME"_s;
    if (OneOf(typeName, {"bin"_L1, "bit"_L1, "yesno"_L1, "logical"_L1, "logical1"_L1, "boolean"_L1}))
        return u"BOOLEAN"_s;
    if (OneOf(typeName, {"longbinary"_L1, "image"_L1, "oleobject"_L1, "general"_L1}))
        return u"BLOB"_s;
    throw EZKError(u"Syntax error in field definition: unknown type \"%1\"."_s.arg(typeName));
}

TSqlColumnType ParseDeclaredType(const QString &declaredType)
{
    static const QRegularExpression sized(u"^\\s*([A-Z ]*?)\\s*\\(\\s*(\\d+)\\s*\\)"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    const QString decl = declaredType.trimmed().toUpper();
    int size = 0;
    QString name = decl;
    if (const auto m = sized.match(decl); m.hasMatch()) {
        name = m.captured(1);
        size = m.captured(2).toInt();
    }
    using K = TSqlFieldKind;
    if (name == "BINARY TEXT"_L1)
        return {K::BinaryCode, size};
    if (name == "VARCHAR"_L1)
        return {K::Text, size};
    if (name == "CHAR"_L1)
        return {K::FixedText, size};
    if (name == "TEXT"_L1)
        return {K::Memo, 0};
    if (name == "SMALLINT"_L1)
        return {K::Short, 2};
    if (name == "COUNTER INT"_L1)
        return {K::Counter, 4};
    if (name == "INT"_L1)
        return {K::Long, 4};
    if (name == "DOUBLE"_L1)
        return {K::Double, 8};
    if (name == "DATETIME"_L1)
        return {K::DateTime, 8};
    if (name == "BOOLEAN"_L1)
        return {K::Boolean, 2};
    if (name == "BLOB"_L1)
        return {K::LongBinary, 0};
    if (decl.isEmpty())
        return {K::Unknown, 0};
    // Someone else's declaration: SQLite's affinity rules, in their order.
    if (decl.contains("INT"_L1))
        return {K::Long, 4};
    if (decl.contains("CHAR"_L1) || decl.contains("CLOB"_L1) || decl.contains("TEXT"_L1))
        return size > 0 ? TSqlColumnType{K::Text, size} : TSqlColumnType{K::Memo, 0};
    if (decl.contains("BLOB"_L1))
        return {K::LongBinary, 0};
    if (decl.contains("REAL"_L1) || decl.contains("FLOA"_L1) || decl.contains("DOUB"_L1))
        return {K::Double, 8};
    return {K::Unknown, 0};
}

bool IsTextKind(TSqlFieldKind kind)
{
    return kind == TSqlFieldKind::Text || kind == TSqlFieldKind::Memo || kind == TSqlFieldKind::FixedText ||
           kind == TSqlFieldKind::BinaryCode;
}
