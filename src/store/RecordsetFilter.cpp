#include "store/RecordsetFilter.h"

#include "store/ZKError.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

template<class T>
int Order(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

enum class TClass
{
    Null,
    Exact,
    Float,
    Date,
    Guid,
    Bytes,
    Text
};

TClass ClassOf(const TDbValue &v)
{
    return std::visit(
        [](const auto &x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return TClass::Null;
            else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, qint64> ||
                               std::is_same_v<T, quint64> || std::is_same_v<T, TDbCurrency> ||
                               std::is_same_v<T, TDbDecimal>)
                return TClass::Exact;
            else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>)
                return TClass::Float;
            else if constexpr (std::is_same_v<T, QUuid>)
                return TClass::Guid;
            else if constexpr (std::is_same_v<T, QByteArray>)
                return TClass::Bytes;
            else if constexpr (std::is_same_v<T, QString>)
                return TClass::Text;
            else
                return TClass::Date;
        },
        v.Data());
}

// Sign, integer digits without leading zeros and fraction digits without trailing
// zeros of an exact number: enough to order any two of them.
struct TDigits
{
    bool Negative;
    QString Int;
    QString Frac;
};

TDigits DigitsOf(const TDbValue &v)
{
    QString text = v.ConvertTo(DBTYPE_NUMERIC).Get<TDbDecimal>()->ToString();
    TDigits d{text.startsWith(u'-'), {}, {}};
    if (d.Negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(u'.');
    d.Int = point < 0 ? text : text.left(point);
    d.Frac = point < 0 ? QString() : text.mid(point + 1);
    while (d.Int.startsWith(u'0'))
        d.Int.remove(0, 1);
    while (d.Frac.endsWith(u'0'))
        d.Frac.chop(1);
    if (d.Int.isEmpty() && d.Frac.isEmpty())
        d.Negative = false;
    return d;
}

int CompareExact(const TDbValue &a, const TDbValue &b)
{
    const qint64 *ia = a.Get<qint64>();
    const qint64 *ib = b.Get<qint64>();
    if (ia && ib)
        return Order(*ia, *ib);
    const TDigits da = DigitsOf(a);
    const TDigits db = DigitsOf(b);
    if (da.Negative != db.Negative)
        return da.Negative ? -1 : 1;
    int c = Order(da.Int.size(), db.Int.size());
    if (c == 0)
        c = Order(da.Int, db.Int);
    if (c == 0)
        c = Order(da.Frac, db.Frac);
    return da.Negative ? -c : c;
}

int CompareFloat(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return Order(std::isnan(a), std::isnan(b));
    return Order(a, b);
}

int CompareDates(const TDbValue &a, const TDbValue &b)
{
    if (a.Data().index() == b.Data().index()) {
        if (const TDbTimeStamp *x = a.Get<TDbTimeStamp>()) {
            const TDbTimeStamp *y = b.Get<TDbTimeStamp>();
            return Order(std::tie(x->Year, x->Month, x->Day, x->Hour, x->Minute, x->Second, x->Fraction),
                         std::tie(y->Year, y->Month, y->Day, y->Hour, y->Minute, y->Second, y->Fraction));
        }
        if (const TDbDate *x = a.Get<TDbDate>()) {
            const TDbDate *y = b.Get<TDbDate>();
            return Order(std::tie(x->Year, x->Month, x->Day), std::tie(y->Year, y->Month, y->Day));
        }
        if (const TDbTime *x = a.Get<TDbTime>()) {
            const TDbTime *y = b.Get<TDbTime>();
            return Order(std::tie(x->Hour, x->Minute, x->Second), std::tie(y->Hour, y->Minute, y->Second));
        }
        if (const TFileTime *x = a.Get<TFileTime>())
            return Order(x->Ticks, b.Get<TFileTime>()->Ticks);
    }
    return CompareFloat(a.AsFloat(), b.AsFloat());
}

} // namespace

int CompareDbValues(const TDbValue &a, const TDbValue &b, Qt::CaseSensitivity cs)
{
    const TClass ca = ClassOf(a);
    const TClass cb = ClassOf(b);
    if (ca == TClass::Null || cb == TClass::Null)
        return Order(cb == TClass::Null, ca == TClass::Null);
    const bool numeric =
        (ca == TClass::Exact || ca == TClass::Float) && (cb == TClass::Exact || cb == TClass::Float);
    if (numeric && (ca == TClass::Float || cb == TClass::Float))
        return CompareFloat(a.AsFloat(), b.AsFloat());
    if (numeric)
        return CompareExact(a, b);
    if (ca != cb)
        return QString::compare(a.AsString(), b.AsString(), cs);
    switch (ca) {
    case TClass::Date:
        return CompareDates(a, b);
    case TClass::Guid:
        return Order(*a.Get<QUuid>(), *b.Get<QUuid>());
    case TClass::Bytes:
        return Order(*a.Get<QByteArray>(), *b.Get<QByteArray>());
    default:
        return QString::compare(*a.Get<QString>(), *b.Get<QString>(), cs);
    }
}

namespace {

// Recursive-descent reader of the filter grammar over one expression text.
class TFilterParser
{
public:
    TFilterParser(const QString &text, const QList<TRecordField> &columns)
        : FText(text)
        , FColumns(columns)
    {}

    [[noreturn]] void Fail(const QString &what) const
    {
        throw EZKError(
            u"invalid filter expression \"%1\": %2 at position %3"_s.arg(FText, what).arg(FPos + 1));
    }

    void SkipSpaces()
    {
        while (FPos < FText.size() && FText[FPos].isSpace())
            ++FPos;
    }
    bool AtEnd()
    {
        SkipSpaces();
        return FPos >= FText.size();
    }

    // AND / OR as a whole word.
    bool Keyword(QStringView word)
    {
        SkipSpaces();
        const qsizetype end = FPos + word.size();
        if (end > FText.size() ||
            QStringView(FText).mid(FPos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < FText.size() && (FText[end].isLetterOrNumber() || FText[end] == u'_'))
            return false;
        FPos = end;
        return true;
    }

    QString Name()
    {
        SkipSpaces();
        const qsizetype start = FPos;
        if (FPos < FText.size() && FText[FPos] == u'[') {
            const qsizetype close = FText.indexOf(u']', FPos);
            if (close < 0)
                Fail(u"missing ]"_s);
            FPos = close + 1;
            return FText.mid(start + 1, close - start - 1);
        }
        while (FPos < FText.size() && (FText[FPos].isLetterOrNumber() || FText[FPos] == u'_'))
            ++FPos;
        if (FPos == start)
            Fail(u"field name expected"_s);
        return FText.mid(start, FPos - start);
    }

    QString Literal()
    {
        SkipSpaces();
        if (FPos >= FText.size() || FText[FPos] != u'\'')
            Fail(u"quoted text expected"_s);
        QString value;
        for (++FPos;; ++FPos) {
            if (FPos >= FText.size())
                Fail(u"unterminated text"_s);
            if (FText[FPos] == u'\'') {
                if (FPos + 1 < FText.size() && FText[FPos + 1] == u'\'') {
                    value += u'\'';
                    ++FPos;
                    continue;
                }
                ++FPos;
                return value;
            }
            value += FText[FPos];
        }
    }

    int ColumnOf(const QString &name)
    {
        for (int c = 0; c < FColumns.size(); ++c) {
            if (!FColumns[c].Hidden && FColumns[c].Name.compare(name, Qt::CaseInsensitive) == 0)
                return c;
        }
        Fail(u"unknown field '%1'"_s.arg(name));
    }

    template<class TTerm>
    TTerm Term()
    {
        TTerm term;
        const QString name = Name();
        term.Column = ColumnOf(name);
        SkipSpaces();
        if (FText.mid(FPos, 2) == u"<>"_s) {
            term.NotEqual = true;
            FPos += 2;
        } else if (FPos < FText.size() && FText[FPos] == u'=') {
            ++FPos;
        } else {
            Fail(u"= or <> expected"_s);
        }
        const QString text = Literal();
        const TRecordField &field = FColumns[term.Column];
        if (IsTextDbType(field.Type) || field.Type == DBTYPE_BYTES) {
            term.Literal = text;
        } else {
            try {
                term.Literal = TDbValue(text).ConvertTo(field.Type);
            } catch (const EZKError &) {
                Fail(u"'%1' is no value of field %2"_s.arg(text, field.Name));
            }
        }
        return term;
    }

private:
    const QString &FText;
    const QList<TRecordField> &FColumns;
    qsizetype FPos = 0;
};

} // namespace

TRecordsetFilter::TRecordsetFilter(const QString &expression, const QList<TRecordField> &columns)
{
    TFilterParser parser(expression, columns);
    if (parser.AtEnd())
        return;
    do {
        QList<TTerm> group;
        do {
            group.append(parser.Term<TTerm>());
        } while (parser.Keyword(u"AND"));
        FAnyOf.append(group);
    } while (parser.Keyword(u"OR"));
    if (!parser.AtEnd())
        parser.Fail(u"AND or OR expected"_s);
}

bool TRecordsetFilter::Matches(const std::function<const TDbValue &(int column)> &valueAt) const
{
    if (FAnyOf.isEmpty())
        return true;
    for (const QList<TTerm> &group : FAnyOf) {
        bool all = true;
        for (const TTerm &term : group) {
            const TDbValue &v = valueAt(term.Column);
            if (v.IsNull()) {
                all = false;
                break;
            }
            const bool equal =
                term.Literal.Get<QString>()
                    ? QString::compare(v.AsString(), *term.Literal.Get<QString>(), Qt::CaseInsensitive) == 0
                    : CompareDbValues(v, term.Literal, Qt::CaseSensitive) == 0;
            if (equal == term.NotEqual) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
    }
    return false;
}
