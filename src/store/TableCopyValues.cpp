#include "store/TableCopyValues.h"

#include "store/SqlText.h"
#include "store/ZKError.h"

#include <bit>
#include <limits>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kMaxOleDateTexts = 1 << 16;

bool IsBlankText(const TDbValue &value)
{
    const QString *text = value.Get<QString>();
    return text && text->trimmed().isEmpty();
}

QString TimeStampColumnText(const TDbTimeStamp &ts)
{
    QString text =
        QString::asprintf("%04d-%02u-%02u %02u:%02u:%02u", int(ts.Year), unsigned(ts.Month), unsigned(ts.Day),
                          unsigned(ts.Hour), unsigned(ts.Minute), unsigned(ts.Second));
    if (const unsigned ms = ts.Fraction / 1000000)
        text += QString::asprintf(".%03u", ms);
    return text;
}

QString ParsedDateTimeText(const QString &text)
{
    TDbTimeStamp ts;
    bool hasTime = false;
    if (text.isEmpty() || !DbText::ParseDateTime(text.trimmed(), ts, hasTime))
        return QString();
    return TimeStampColumnText(ts);
}

bool IsDateKind(const TDbValue &v)
{
    return v.Get<TOleDate>() || v.Get<TDbTimeStamp>() || v.Get<TDbDate>() || v.Get<TDbTime>() ||
           v.Get<TFileTime>();
}

} // namespace

QString CodeColumnText(const TDbValue &value, quint16 sourceType, int chars)
{
    QString text = value.AsString();
    if (sourceType == DBTYPE_BYTES) {
        qsizetype spaces = 0;
        while (spaces < text.size() && text[spaces] == u' ')
            ++spaces;
        text.remove(0, spaces);
    }
    if (text.size() < chars)
        text.prepend(QString(chars - text.size(), u' '));
    return text;
}

QString StoredDateTimeText(const TDbValue &value)
{
    if (const TDbTimeStamp *ts = value.Get<TDbTimeStamp>())
        return TimeStampColumnText(*ts);
    if (const TDbDate *d = value.Get<TDbDate>())
        return TimeStampColumnText(TDbTimeStamp{d->Year, d->Month, d->Day, 0, 0, 0, 0});
    if (const TDbTime *t = value.Get<TDbTime>())
        return TimeStampColumnText(TDbTimeStamp{1899, 12, 30, t->Hour, t->Minute, t->Second, 0});
    if (const TOleDate *o = value.Get<TOleDate>())
        return ParsedDateTimeText(DbText::OleDateText(o->Days));
    if (const TFileTime *f = value.Get<TFileTime>())
        return ParsedDateTimeText(DbText::FileTimeText(f->Ticks));
    if (const QString *s = value.Get<QString>())
        return ParsedDateTimeText(*s);
    return QString();
}

TCopyValueBinder::TCopyValueBinder(QList<TCopyPair> pairs)
    : FPairs(std::move(pairs))
    , FPrepared(size_t(FPairs.size()))
{}

void TCopyValueBinder::Prepare(int index, const TDbValue &value)
{
    try {
        PrepareValue(FPrepared[size_t(index)], index, value);
    } catch (const EZKError &e) {
        throw EZKError(u"The value \"%1\" of the field %2 does not fit its column: %3"_s.arg(
            value.AsString(), FPairs[index].Name, e.Message()));
    }
}

int TCopyValueBinder::Apply(sqlite3_stmt *stmt, int index) const
{
    const TPrepared &p = FPrepared[size_t(index)];
    const int n = index + 1;
    switch (p.Kind) {
    case TPrepared::Null:
        break;
    case TPrepared::Integer:
        return sqlite3_bind_int64(stmt, n, sqlite3_int64(p.IntegerValue));
    case TPrepared::Float:
        return sqlite3_bind_double(stmt, n, p.FloatValue);
    case TPrepared::Utf8:
        return sqlite3_bind_text(stmt, n, p.Utf8Buffer.constData(), int(p.Utf8Size), SQLITE_STATIC);
    case TPrepared::Utf16:
        return sqlite3_bind_text16(stmt, n, p.Text.utf16(), int(p.Text.size() * 2), SQLITE_STATIC);
    case TPrepared::Blob:
        return sqlite3_bind_blob64(stmt, n, p.Bytes.constData(), sqlite3_uint64(p.Bytes.size()),
                                   SQLITE_STATIC);
    }
    return sqlite3_bind_null(stmt, n);
}

QString TCopyValueBinder::DateTimeText(const TDbValue &value)
{
    const TOleDate *date = value.Get<TOleDate>();
    if (!date)
        return StoredDateTimeText(value);
    const quint64 bits = std::bit_cast<quint64>(date->Days);
    if (const auto it = FOleDateTexts.constFind(bits); it != FOleDateTexts.constEnd())
        return *it;
    if (FOleDateTexts.size() >= kMaxOleDateTexts)
        FOleDateTexts.clear();
    return *FOleDateTexts.insert(bits, StoredDateTimeText(value));
}

void TCopyValueBinder::SetText(TPrepared &p, const QString &text)
{
    if (SqlText::Utf8Of(text, p.Utf8Buffer, p.Utf8Size)) {
        p.Kind = TPrepared::Utf8;
        p.Text = QString();
    } else {
        p.Kind = TPrepared::Utf16;
        p.Text = SqlText::Utf16ForSqlite(text);
    }
}

void TCopyValueBinder::SetInteger(TPrepared &p, const TDbValue &v)
{
    p.Kind = TPrepared::Integer;
    if (const qint64 *i = v.Get<qint64>()) {
        p.IntegerValue = *i;
    } else if (const quint64 *u = v.Get<quint64>()) {
        if (*u <= quint64(std::numeric_limits<qint64>::max())) {
            p.IntegerValue = qint64(*u);
        } else {
            p.Kind = TPrepared::Float;
            p.FloatValue = double(*u);
        }
    } else if (const bool *b = v.Get<bool>()) {
        p.IntegerValue = *b ? 1 : 0;
    } else {
        p.IntegerValue = v.AsInteger();
    }
}

void TCopyValueBinder::PrepareValue(TPrepared &p, int index, const TDbValue &v)
{
    const TCopyPair &pair = FPairs[index];
    using K = TSqlFieldKind;
    p.Bytes = QByteArray();
    if (pair.Kind == K::BinaryCode) // a NULL too: its text is empty, the code all spaces
        return SetText(p, CodeColumnText(v, pair.SourceType, pair.CodeChars));
    p.Kind = TPrepared::Null;
    if (v.IsNull())
        return;
    switch (pair.Kind) {
    case K::Text:
    case K::Memo:
    case K::FixedText:
        if (const QString *s = v.Get<QString>())
            return SetText(p, *s);
        return SetText(p, v.AsString());
    case K::Short:
    case K::Long:
    case K::Counter:
        if (!IsBlankText(v))
            SetInteger(p, v);
        return;
    case K::Double:
        if (IsBlankText(v))
            return;
        if (const double *d = v.Get<double>()) {
            p.Kind = TPrepared::Float;
            p.FloatValue = *d;
        } else if (v.Get<qint64>() || v.Get<bool>()) {
            SetInteger(p, v);
        } else {
            p.FloatValue = v.AsFloat();
            p.Kind = TPrepared::Float;
        }
        return;
    case K::Boolean:
        if (!IsBlankText(v)) {
            p.IntegerValue = v.AsBoolean() ? 1 : 0;
            p.Kind = TPrepared::Integer;
        }
        return;
    case K::DateTime: {
        if (IsBlankText(v))
            return;
        const QString text = DateTimeText(v);
        if (!text.isEmpty())
            return SetText(p, text);
        if (v.Get<QString>())
            throw EZKError(u"the text is no date"_s);
        p.FloatValue = v.AsFloat(); // a day number
        p.Kind = TPrepared::Float;
        return;
    }
    case K::LongBinary:
        p.Bytes = v.Get<QByteArray>() ? *v.Get<QByteArray>() : *v.ConvertTo(DBTYPE_BYTES).Get<QByteArray>();
        p.Kind = TPrepared::Blob;
        return;
    case K::BinaryCode:
    case K::Unknown:
        break;
    }
    PrepareNatural(p, v);
}

// A column without a type of this engine's own takes the value as it is.
void TCopyValueBinder::PrepareNatural(TPrepared &p, const TDbValue &v)
{
    if (const QString *s = v.Get<QString>())
        return SetText(p, *s);
    if (v.Get<qint64>() || v.Get<quint64>() || v.Get<bool>())
        return SetInteger(p, v);
    if (const double *d = v.Get<double>()) {
        p.FloatValue = *d;
        p.Kind = TPrepared::Float;
        return;
    }
    if (const float *f = v.Get<float>()) {
        p.FloatValue = double(*f);
        p.Kind = TPrepared::Float;
        return;
    }
    if (const QByteArray *b = v.Get<QByteArray>()) {
        p.Bytes = *b;
        p.Kind = TPrepared::Blob;
        return;
    }
    if (IsDateKind(v)) {
        const QString text = DateTimeText(v);
        if (!text.isEmpty())
            return SetText(p, text);
    }
    SetText(p, v.AsString());
}
