#include "store/NameGuards.h"

using namespace Qt::StringLiterals;

namespace {

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control;
}

} // namespace

bool IsPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == "."_L1 || name == ".."_L1)
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || IsControl(c))
            return false;
    }
    return true;
}

bool IsPlainUserName(const QString &name)
{
    // The untrimmed name is checked too: trimming also drops control characters such as
    // a trailing line separator, which must refuse the name rather than vanish from it.
    if (!IsPlainFileName(name.trimmed()) || !IsPlainFileName(name))
        return false;
    for (const QChar c : name) {
        if (c == u';' || c == u'"')
            return false;
    }
    return true;
}

QString UserNameRefusalText()
{
    return u"用户名不能为空，不能是“.”或“..”，也不能含有 / \\ ; \" 或控制字符，请重新输入。"_s;
}

bool IsPlainCode(const QString &code)
{
    if (code.isEmpty() || code.size() > 32 || code.trimmed().isEmpty())
        return false;
    for (const QChar c : code) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')
                           || u == u' ' || u == u'-' || u == u'_';
        if (!plain)
            return false;
    }
    return true;
}
