#include "store/TableCopyValues.h"

#include "store/ZKError.h"

#include <limits>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

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

int BindInt64(sqlite3_stmt *stmt, int n, qint64 v)
{
    return sqlite3_bind_int64(stmt, n, sqlite3_int64(v));
}

int BindUInt64(sqlite3_stmt *stmt, int n, quint64 v)
{
    if (v <= quint64(std::numeric_limits<qint64>::max()))
        return BindInt64(stmt, n, qint64(v));
    return sqlite3_bind_double(stmt, n, double(v));
}

int BindInteger(sqlite3_stmt *stmt, int n, const TDbValue &v)
{
    if (const qint64 *i = v.Get<qint64>())
        return BindInt64(stmt, n, *i);
    if (const quint64 *u = v.Get<quint64>())
        return BindUInt64(stmt, n, *u);
    if (const bool *b = v.Get<bool>())
        return sqlite3_bind_int(stmt, n, *b ? 1 : 0);
    return BindInt64(stmt, n, v.AsInteger());
}

int BindDouble(sqlite3_stmt *stmt, int n, const TDbValue &v)
{
    if (const double *d = v.Get<double>())
        return sqlite3_bind_double(stmt, n, *d);
    if (const qint64 *i = v.Get<qint64>())
        return BindInt64(stmt, n, *i);
    if (const bool *b = v.Get<bool>())
        return sqlite3_bind_int(stmt, n, *b ? 1 : 0);
    return sqlite3_bind_double(stmt, n, v.AsFloat());
}

int BindBytes(sqlite3_stmt *stmt, int n, const QByteArray &bytes)
{
    return sqlite3_bind_blob64(stmt, n, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
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
    , FTexts(FPairs.size())
{}

int TCopyValueBinder::Bind(sqlite3_stmt *stmt, int index, const TDbValue &value)
{
    try {
        return BindValue(stmt, index, value);
    } catch (const EZKError &e) {
        throw EZKError(u"The value \"%1\" of the field %2 does not fit its column: %3"_s.arg(
            value.AsString(), FPairs[index].Name, e.Message()));
    }
}

int TCopyValueBinder::BindText(sqlite3_stmt *stmt, int index, QString text)
{
    FTexts[index] = std::move(text);
    const QString &kept = FTexts[index];
    return sqlite3_bind_text16(stmt, index + 1, kept.utf16(), int(kept.size() * 2), SQLITE_STATIC);
}

int TCopyValueBinder::BindValue(sqlite3_stmt *stmt, int index, const TDbValue &v)
{
    const TCopyPair &pair = FPairs[index];
    const int n = index + 1;
    using K = TSqlFieldKind;
    if (pair.Kind == K::BinaryCode) // a NULL too: its text is empty, the code all spaces
        return BindText(stmt, index, CodeColumnText(v, pair.SourceType, pair.CodeChars));
    if (v.IsNull())
        return sqlite3_bind_null(stmt, n);
    switch (pair.Kind) {
    case K::Text:
    case K::Memo:
    case K::FixedText:
        if (const QString *s = v.Get<QString>())
            return sqlite3_bind_text16(stmt, n, s->utf16(), int(s->size() * 2), SQLITE_STATIC);
        return BindText(stmt, index, v.AsString());
    case K::Short:
    case K::Long:
    case K::Counter:
        return IsBlankText(v) ? sqlite3_bind_null(stmt, n) : BindInteger(stmt, n, v);
    case K::Double:
        return IsBlankText(v) ? sqlite3_bind_null(stmt, n) : BindDouble(stmt, n, v);
    case K::Boolean:
        return IsBlankText(v) ? sqlite3_bind_null(stmt, n) : sqlite3_bind_int(stmt, n, v.AsBoolean() ? 1 : 0);
    case K::DateTime: {
        if (IsBlankText(v))
            return sqlite3_bind_null(stmt, n);
        QString text = StoredDateTimeText(v);
        if (!text.isEmpty())
            return BindText(stmt, index, std::move(text));
        if (v.Get<QString>())
            throw EZKError(u"the text is no date"_s);
        return sqlite3_bind_double(stmt, n, v.AsFloat()); // a day number
    }
    case K::LongBinary:
        if (const QByteArray *b = v.Get<QByteArray>())
            return BindBytes(stmt, n, *b);
        return BindBytes(stmt, n, *v.ConvertTo(DBTYPE_BYTES).Get<QByteArray>());
    case K::BinaryCode:
    case K::Unknown:
        break;
    }
    return BindNatural(stmt, index, v);
}

// A column without a type of this engine's own takes the value as it is.
int TCopyValueBinder::BindNatural(sqlite3_stmt *stmt, int index, const TDbValue &v)
{
    const int n = index + 1;
    if (const QString *s = v.Get<QString>())
        return sqlite3_bind_text16(stmt, n, s->utf16(), int(s->size() * 2), SQLITE_STATIC);
    if (v.Get<qint64>() || v.Get<quint64>() || v.Get<bool>())
        return BindInteger(stmt, n, v);
    if (const double *d = v.Get<double>())
        return sqlite3_bind_double(stmt, n, *d);
    if (const float *f = v.Get<float>())
        return sqlite3_bind_double(stmt, n, double(*f));
    if (const QByteArray *b = v.Get<QByteArray>())
        return BindBytes(stmt, n, *b);
    if (IsDateKind(v)) {
        QString text = StoredDateTimeText(v);
        if (!text.isEmpty())
            return BindText(stmt, index, std::move(text));
    }
    return BindText(stmt, index, v.AsString());
}
