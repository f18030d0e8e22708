#include "workspace/WorkspaceText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

bool CaseInsensitiveLess(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

int SortedIndexOf(const QStringList &sorted, const QString &text)
{
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), text, CaseInsensitiveLess);
    if (it == sorted.end() || QString::compare(*it, text, Qt::CaseInsensitive) != 0)
        return -1;
    return int(it - sorted.begin());
}

int SortedInsert(QStringList &sorted, const QString &text, bool *inserted)
{
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), text, CaseInsensitiveLess);
    const int at = int(it - sorted.begin());
    const bool found = it != sorted.end() && QString::compare(*it, text, Qt::CaseInsensitive) == 0;
    if (!found)
        sorted.insert(at, text);
    if (inserted)
        *inserted = !found;
    return at;
}

int IntOrMinusOne(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    return ok ? n : -1;
}

QStringList SplitAtBlanksAnd(const QString &text, QChar delimiter)
{
    QStringList parts;
    QString current;
    for (const QChar c : text) {
        if (c.unicode() <= u' ' || c == delimiter) {
            if (!current.isEmpty())
                parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        parts.append(current);
    return parts;
}

QString ShortestDecimalText(double value)
{
    if (std::isnan(value))
        return u"NAN"_s;
    if (std::isinf(value))
        return value > 0 ? u"INF"_s : u"-INF"_s;
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const QString sci = QString::fromLatin1(buf, int(result.ptr - buf));
    const qsizetype e = sci.indexOf(u'e');
    QString mantissa = sci.left(e);
    const int exponent = sci.mid(e + 1).toInt();
    const bool negative = mantissa.startsWith(u'-');
    if (negative)
        mantissa.remove(0, 1);
    const QString digits = QString(mantissa).remove(u'.');
    QString text;
    if (exponent >= 15 || exponent < -5) {
        text = digits.left(1);
        if (digits.size() > 1)
            text += u'.' + digits.mid(1);
        text += u'E' + QString::number(exponent);
    } else if (exponent >= 0) {
        QString whole = digits.left(exponent + 1);
        whole += QString(std::max<qsizetype>(0, exponent + 1 - digits.size()), u'0');
        const QString fraction = digits.mid(exponent + 1);
        text = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    } else {
        text = u"0."_s + QString(-exponent - 1, u'0') + digits;
    }
    if (text == u"0"_s)
        return text;
    return negative ? u'-' + text : text;
}

QString HtmlEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'>':
            out += u"&gt;"_s;
            break;
        case u'"':
            out += u"&quot;"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}
