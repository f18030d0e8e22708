#include "store/SqlIdentifiers.h"

#include "store/Recordset.h"
#include "store/ZKError.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxIdentifierLength = 64;

bool IsAsciiLetterOrUnderscore(char16_t u)
{
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'_';
}

QString VisibleText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            out += u"\\u"_s + QString::number(uint(u), 16).rightJustified(4, u'0').toUpper();
        else
            out += c;
    }
    return out;
}

} // namespace

bool IsPlainIdentifier(const QString &name)
{
    if (name.isEmpty() || name.size() > MaxIdentifierLength)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (!IsAsciiLetterOrUnderscore(u) && !(i > 0 && u >= u'0' && u <= u'9'))
            return false;
    }
    return true;
}

QString QuoteIdentifier(const QString &name)
{
    if (!IsPlainIdentifier(name))
        throw EZKError(IdentifierRefusalText(name));
    return u'[' + name + u']';
}

QString IdentifierRefusalText(const QString &name)
{
    return u"名称“%1”不能用作字段名或表名：只能由英文字母、数字和下划线组成，不以数字开头，最长 %2 个字符。"_s.arg(
        VisibleText(name), QString::number(MaxIdentifierLength));
}

void RequirePlainFieldNames(const TRecordset &source)
{
    for (int i = 0; i < source.FieldCount(); ++i) {
        if (!IsPlainIdentifier(source.Field(i).Name))
            throw EZKError(IdentifierRefusalText(source.Field(i).Name));
    }
}
