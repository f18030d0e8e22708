#include "store/DbValue.h"

#include "store/Overloaded.h"
#include "store/ZKError.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

__extension__ typedef unsigned __int128 TUInt128;

constexpr qint64 kTicksPerDay = 864000000000LL;
constexpr qint64 kFileTimeEpochFromUnix = -134774; // 1601-01-01

[[noreturn]] void CannotConvert(const TDbValue &v, quint16 type)
{
    throw EZKError(u"cannot convert '%1' to %2"_s.arg(v.AsString(), DbTypeName(type)));
}

TUInt128 Magnitude(const TDbDecimal &d)
{
    return (TUInt128(d.Hi) << 64) | d.Lo;
}

TDbDecimal DecimalFrom(TUInt128 m, bool negative, int scale)
{
    TDbDecimal d;
    d.Hi = quint64(m >> 64);
    d.Lo = quint64(m);
    d.Negative = negative;
    d.Scale = qint16(scale);
    return d;
}

// Rescales a decimal exactly to newScale when that loses nothing, else rounds
// half to even (as the platform's currency and integer conversions do). False on
// overflow of 128 bits.
bool Rescale(const TDbDecimal &d, int newScale, TUInt128 &out)
{
    TUInt128 m = Magnitude(d);
    const TUInt128 max = ~TUInt128(0);
    for (int s = d.Scale; s < newScale; ++s) {
        if (m > max / 10)
            return false;
        m *= 10;
    }
    if (newScale < d.Scale) {
        const int k = d.Scale - newScale;
        if (k >= 39) { // 10^39 exceeds every 128-bit magnitude twice over
            out = 0;
            return true;
        }
        TUInt128 divisor = 1;
        for (int i = 0; i < k; ++i)
            divisor *= 10;
        const TUInt128 rest = m % divisor;
        m /= divisor;
        if (rest > divisor / 2 || (rest == divisor / 2 && (m & 1)))
            ++m;
    }
    out = m;
    return true;
}

std::optional<TDbDecimal> ParseNumberText(const QString &text)
{
    return TDbDecimal::Parse(QStringView(text).trimmed());
}

bool ParseDouble(const QString &text, double &out)
{
    const QString t = text.trimmed();
    if (t.compare(u"NaN"_s, Qt::CaseInsensitive) == 0) {
        out = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (t.compare(u"Infinity"_s, Qt::CaseInsensitive) == 0 || t.compare(u"inf"_s, Qt::CaseInsensitive) == 0 ||
        t.compare(u"-Infinity"_s, Qt::CaseInsensitive) == 0 ||
        t.compare(u"-inf"_s, Qt::CaseInsensitive) == 0) {
        out = t.startsWith(u'-') ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    const QByteArray b = t.toLatin1();
    const char *first = b.constData() + (b.startsWith('+') ? 1 : 0);
    const auto r = std::from_chars(first, b.constData() + b.size(), out);
    return !b.isEmpty() && r.ec == std::errc() && r.ptr == b.constData() + b.size();
}

bool ParseFloat(const QString &text, float &out)
{
    double d;
    if (!ParseDouble(text, d))
        return false;
    if (!std::isfinite(d)) {
        out = float(d);
        return true;
    }
    // Parse as float directly: float(double(x)) can round twice.
    const QByteArray b = text.trimmed().toLatin1();
    const char *first = b.constData() + (b.startsWith('+') ? 1 : 0);
    return std::from_chars(first, b.constData() + b.size(), out).ec == std::errc();
}

// The value as an exact decimal when it is a number (or a text holding one).
std::optional<TDbDecimal> ExactNumber(const TDbValue &v)
{
    if (const bool *b = v.Get<bool>())
        return DecimalFrom(*b ? 1 : 0, false, 0);
    if (const qint64 *i = v.Get<qint64>())
        return DecimalFrom(*i < 0 ? TUInt128(-(*i + 1)) + 1 : TUInt128(*i), *i < 0, 0);
    if (const quint64 *u = v.Get<quint64>())
        return DecimalFrom(*u, false, 0);
    if (const TDbCurrency *c = v.Get<TDbCurrency>())
        return DecimalFrom(c->Units < 0 ? TUInt128(-(c->Units + 1)) + 1 : TUInt128(c->Units), c->Units < 0,
                           4);
    if (const TDbDecimal *d = v.Get<TDbDecimal>())
        return *d;
    double f = 0;
    if (const float *pf = v.Get<float>())
        f = *pf;
    else if (const double *pd = v.Get<double>())
        f = *pd;
    else if (v.Get<QString>() || v.Get<QByteArray>()) {
        const QString text = v.AsString();
        if (auto d = ParseNumberText(text))
            return d;
        if (!ParseDouble(text, f))
            return std::nullopt;
    } else
        return std::nullopt;
    if (!std::isfinite(f))
        return std::nullopt;
    return TDbDecimal::Parse(DbText::FloatText(f, true));
}

TDbValue ToInteger(const TDbValue &v, quint16 type, qint64 min, quint64 max)
{
    const auto d = ExactNumber(v);
    TUInt128 m;
    if (!d || !Rescale(*d, 0, m))
        CannotConvert(v, type);
    const bool negative = d->Negative && m != 0;
    if (negative ? (min >= 0 || m > TUInt128(-(min + 1)) + 1) : m > max)
        throw EZKError(u"value %1 is out of the range of %2"_s.arg(v.AsString(), DbTypeName(type)));
    if (type == DBTYPE_UI8)
        return TDbValue(quint64(m));
    return TDbValue(negative ? qint64(-qint64(m - 1) - 1) : qint64(m));
}

TDbValue ToDecimal(const TDbValue &v, quint16 type)
{
    auto d = ExactNumber(v);
    if (!d)
        CannotConvert(v, type);
    const int minScale = type == DBTYPE_VARNUMERIC ? -128 : 0;
    const int maxScale = type == DBTYPE_DECIMAL ? 28 : type == DBTYPE_NUMERIC ? 255 : 127;
    if (d->Scale < minScale || d->Scale > maxScale) {
        TUInt128 m;
        if (!Rescale(*d, std::clamp<int>(d->Scale, minScale, maxScale), m))
            CannotConvert(v, type);
        *d = DecimalFrom(m, d->Negative, std::clamp<int>(d->Scale, minScale, maxScale));
    }
    if (type == DBTYPE_DECIMAL && (d->Hi >> 32) != 0)
        throw EZKError(u"value %1 is out of the range of DECIMAL"_s.arg(v.AsString()));
    if (type == DBTYPE_DECIMAL)
        d->Precision = 0;
    return TDbValue(*d);
}

TDbValue ToCurrency(const TDbValue &v)
{
    const auto d = ExactNumber(v);
    TUInt128 m;
    if (!d || !Rescale(*d, 4, m))
        CannotConvert(v, DBTYPE_CY);
    const bool negative = d->Negative && m != 0;
    if (m > (negative ? TUInt128(1) << 63 : (TUInt128(1) << 63) - 1))
        throw EZKError(u"value %1 is out of the range of CY"_s.arg(v.AsString()));
    return TDbValue(TDbCurrency{negative ? qint64(-qint64(m - 1) - 1) : qint64(m)});
}

TDbValue ToFloat(const TDbValue &v, quint16 type)
{
    if (v.Get<QString>() || v.Get<QByteArray>()) {
        const QString text = v.AsString();
        if (type == DBTYPE_R4) {
            float f;
            if (ParseFloat(text, f))
                return TDbValue(f);
        } else {
            double d;
            if (ParseDouble(text, d))
                return TDbValue(d);
        }
        CannotConvert(v, type);
    }
    if (const float *f = v.Get<float>())
        return type == DBTYPE_R4 ? TDbValue(*f) : TDbValue(double(*f));
    if (const double *d = v.Get<double>())
        return type == DBTYPE_R4 ? TDbValue(float(*d)) : TDbValue(*d);
    if (const TOleDate *o = v.Get<TOleDate>())
        return type == DBTYPE_R4 ? TDbValue(float(o->Days)) : TDbValue(o->Days);
    const auto d = ExactNumber(v);
    if (!d)
        CannotConvert(v, type);
    const double x = d->ToDouble();
    return type == DBTYPE_R4 ? TDbValue(float(x)) : TDbValue(d->Negative ? -std::fabs(x) : x);
}

// Date and time of any date kind, or of a text in the forms AsString writes.
bool DateParts(const TDbValue &v, TDbTimeStamp &ts, bool &hasDate)
{
    hasDate = true;
    if (const TDbTimeStamp *p = v.Get<TDbTimeStamp>()) {
        ts = *p;
        return true;
    }
    if (const TDbDate *p = v.Get<TDbDate>()) {
        ts = TDbTimeStamp{p->Year, p->Month, p->Day};
        return true;
    }
    if (const TDbTime *p = v.Get<TDbTime>()) {
        ts = TDbTimeStamp{1899, 12, 30, p->Hour, p->Minute, p->Second};
        hasDate = false;
        return true;
    }
    qint64 days = 0, ticks = 0;
    if (const TOleDate *od = v.Get<TOleDate>()) {
        // Through the text, which drops the rounding noise below what a DATE holds.
        bool hasTime;
        return DbText::ParseDateTime(DbText::OleDateText(od->Days), ts, hasTime);
    } else if (const TFileTime *ft = v.Get<TFileTime>()) {
        days = qint64(ft->Ticks / quint64(kTicksPerDay)) + kFileTimeEpochFromUnix;
        ticks = qint64(ft->Ticks % quint64(kTicksPerDay));
    } else if (v.Get<QString>() || v.Get<QByteArray>()) {
        const QString text = v.AsString().trimmed();
        bool hasTime = false;
        if (DbText::ParseDateTime(text, ts, hasTime))
            return true;
        TDbTime t;
        if (!DbText::ParseTime(text, t))
            return false;
        ts = TDbTimeStamp{1899, 12, 30, t.Hour, t.Minute, t.Second};
        hasDate = false;
        return true;
    } else {
        return false;
    }
    qint64 y;
    unsigned m, d;
    DbText::CivilFromDays(days, y, m, d);
    const qint64 seconds = ticks / 10000000;
    ts = TDbTimeStamp{qint16(y),
                      quint16(m),
                      quint16(d),
                      quint16(seconds / 3600),
                      quint16(seconds / 60 % 60),
                      quint16(seconds % 60),
                      quint32(ticks % 10000000 * 100)};
    return true;
}

bool IsCalendarDate(const TDbTimeStamp &ts)
{
    if (ts.Month < 1 || ts.Month > 12 || ts.Day < 1 || ts.Hour > 23 || ts.Minute > 59 || ts.Second > 59 ||
        ts.Fraction > 999999999)
        return false;
    qint64 y;
    unsigned m, d;
    DbText::CivilFromDays(DbText::DaysFromCivil(ts.Year, ts.Month, ts.Day), y, m, d);
    return m == ts.Month && d == ts.Day;
}

qint64 TicksOfDay(const TDbTimeStamp &ts)
{
    return (qint64(ts.Hour) * 3600 + ts.Minute * 60 + ts.Second) * 10000000 + ts.Fraction / 100;
}

TDbValue ToDateKind(const TDbValue &v, quint16 type)
{
    if (type == DBTYPE_DATE && (v.Get<double>() || v.Get<float>()))
        return TDbValue(TOleDate{v.AsFloat()});
    TDbTimeStamp ts;
    bool hasDate = true;
    if (!DateParts(v, ts, hasDate))
        CannotConvert(v, type);
    switch (type) {
    case DBTYPE_DBDATE:
        return TDbValue(TDbDate{ts.Year, ts.Month, ts.Day});
    case DBTYPE_DBTIME:
        return TDbValue(TDbTime{ts.Hour, ts.Minute, ts.Second});
    case DBTYPE_DBTIMESTAMP:
        return TDbValue(ts);
    default:
        break;
    }
    if (!IsCalendarDate(ts))
        CannotConvert(v, type);
    if (type == DBTYPE_DATE) {
        if (ts.Year < 100 || ts.Year > 9999)
            CannotConvert(v, type);
        return TDbValue(TOleDate{DbText::OleDateFromParts(ts.Year, ts.Month, ts.Day, TicksOfDay(ts))});
    }
    const qint64 days = DbText::DaysFromCivil(ts.Year, ts.Month, ts.Day) - kFileTimeEpochFromUnix;
    if (days < 0)
        CannotConvert(v, type);
    return TDbValue(TFileTime{quint64(days) * quint64(kTicksPerDay) + quint64(TicksOfDay(ts))});
}

QByteArray Utf16Bytes(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bytes[2 * i] = char(text[i].unicode() & 0xFF);
        bytes[2 * i + 1] = char(text[i].unicode() >> 8);
    }
    return bytes;
}

} // namespace

bool TOleDate::operator==(const TOleDate &other) const
{
    return std::memcmp(&Days, &other.Days, sizeof Days) == 0;
}

bool TDbValue::operator==(const TDbValue &other) const
{
    if (FData.index() != other.FData.index())
        return false;
    if (const float *f = Get<float>())
        return std::memcmp(f, other.Get<float>(), sizeof(float)) == 0;
    if (const double *d = Get<double>())
        return std::memcmp(d, other.Get<double>(), sizeof(double)) == 0;
    return FData == other.FData;
}

QString TDbValue::AsString() const
{
    return std::visit(TOverloaded{
                          [](std::monostate) { return QString(); },
                          [](bool b) { return b ? u"True"_s : u"False"_s; },
                          [](qint64 i) { return QString::number(i); },
                          [](quint64 u) { return QString::number(u); },
                          [](float f) {
                              return std::isfinite(f) ? DbText::FloatText(f, true)
                                                      : TDbValue(double(f)).AsString();
                          },
                          [](double d) {
                              if (std::isnan(d))
                                  return u"NaN"_s;
                              if (std::isinf(d))
                                  return d < 0 ? u"-Infinity"_s : u"Infinity"_s;
                              return DbText::FloatText(d, true);
                          },
                          [](TDbCurrency c) { return ExactNumber(TDbValue(c))->ToString(); },
                          [](TOleDate o) {
                              const QString s = DbText::OleDateText(o.Days);
                              return s.isEmpty() ? TDbValue(o.Days).AsString() : s;
                          },
                          [](const TDbDecimal &d) { return d.ToString(); },
                          [](TDbDate d) { return DbText::DateText(d); },
                          [](TDbTime t) { return DbText::TimeText(t); },
                          [](const TDbTimeStamp &ts) { return DbText::TimeStampText(ts); },
                          [](TFileTime f) { return DbText::FileTimeText(f.Ticks); },
                          [](const QUuid &g) { return g.toString(QUuid::WithBraces).toUpper(); },
                          [](const QByteArray &b) {
                              // A binary code column holds its code as UTF-16LE text.
                              QString s;
                              for (qsizetype i = 0; i + 1 < b.size(); i += 2) {
                                  const char16_t unit = char16_t(uchar(b[i]) | (uchar(b[i + 1]) << 8));
                                  if (unit == 0)
                                      break;
                                  s += QChar(unit);
                              }
                              return s;
                          },
                          [](const QString &s) { return s; },
                      },
                      FData);
}

qint64 TDbValue::AsInteger() const
{
    if (IsNull())
        return 0;
    return *ToInteger(*this, DBTYPE_I8, std::numeric_limits<qint64>::min(),
                      quint64(std::numeric_limits<qint64>::max()))
                .Get<qint64>();
}

double TDbValue::AsFloat() const
{
    if (IsNull())
        return 0;
    if (Get<TDbTimeStamp>() || Get<TDbDate>() || Get<TDbTime>() || Get<TFileTime>())
        return ToDateKind(*this, DBTYPE_DATE).Get<TOleDate>()->Days;
    return *ToFloat(*this, DBTYPE_R8).Get<double>();
}

bool TDbValue::AsBoolean() const
{
    if (IsNull())
        return false;
    return *ConvertTo(DBTYPE_BOOL).Get<bool>();
}

TDbValue TDbValue::ConvertTo(quint16 type) const
{
    if (IsNull())
        return {};
    // Values already of the type's kind stay as they are, bit for bit (integers
    // and decimals still pass their range checks below).
    const bool native = [&] {
        switch (type) {
        case DBTYPE_BOOL:
            return Get<bool>() != nullptr;
        case DBTYPE_UI8:
            return Get<quint64>() != nullptr;
        case DBTYPE_R4:
            return Get<float>() != nullptr;
        case DBTYPE_R8:
            return Get<double>() != nullptr;
        case DBTYPE_CY:
            return Get<TDbCurrency>() != nullptr;
        case DBTYPE_DATE:
            return Get<TOleDate>() != nullptr;
        case DBTYPE_DBDATE:
            return Get<TDbDate>() != nullptr;
        case DBTYPE_DBTIME:
            return Get<TDbTime>() != nullptr;
        case DBTYPE_DBTIMESTAMP:
            return Get<TDbTimeStamp>() != nullptr;
        case DBTYPE_FILETIME:
            return Get<TFileTime>() != nullptr;
        case DBTYPE_GUID:
            return Get<QUuid>() != nullptr;
        case DBTYPE_BYTES:
            return Get<QByteArray>() != nullptr;
        case DBTYPE_STR:
        case DBTYPE_WSTR:
        case DBTYPE_BSTR:
            return Get<QString>() != nullptr;
        default:
            return false;
        }
    }();
    if (native)
        return *this;
    switch (type) {
    case DBTYPE_EMPTY:
    case DBTYPE_NULL:
        CannotConvert(*this, type);
    case DBTYPE_BOOL: {
        if (const bool *b = Get<bool>())
            return *b;
        const QString text = AsString().trimmed();
        if (text.compare(u"true"_s, Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false"_s, Qt::CaseInsensitive) == 0)
            return false;
        const auto d = ExactNumber(*this);
        if (!d)
            CannotConvert(*this, type);
        return !d->IsZero();
    }
    case DBTYPE_I1:
        return ToInteger(*this, type, -128, 127);
    case DBTYPE_I2:
        return ToInteger(*this, type, -32768, 32767);
    case DBTYPE_I4:
        return ToInteger(*this, type, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    case DBTYPE_I8:
        return ToInteger(*this, type, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    case DBTYPE_UI1:
        return ToInteger(*this, type, 0, 255);
    case DBTYPE_UI2:
        return ToInteger(*this, type, 0, 65535);
    case DBTYPE_UI4:
        return ToInteger(*this, type, 0, std::numeric_limits<quint32>::max());
    case DBTYPE_UI8:
        return ToInteger(*this, type, 0, std::numeric_limits<quint64>::max());
    case DBTYPE_R4:
    case DBTYPE_R8:
        return ToFloat(*this, type);
    case DBTYPE_CY:
        return ToCurrency(*this);
    case DBTYPE_DECIMAL:
    case DBTYPE_NUMERIC:
    case DBTYPE_VARNUMERIC:
        return ToDecimal(*this, type);
    case DBTYPE_DATE:
        if (Get<TOleDate>())
            return *this;
        [[fallthrough]];
    case DBTYPE_DBDATE:
    case DBTYPE_DBTIME:
    case DBTYPE_DBTIMESTAMP:
    case DBTYPE_FILETIME:
        return ToDateKind(*this, type);
    case DBTYPE_GUID: {
        if (Get<QUuid>())
            return *this;
        const QString text = AsString().trimmed();
        const QUuid g = QUuid::fromString(text);
        if (g.isNull() && !text.contains(u"00000000-0000-0000-0000-000000000000"_s))
            CannotConvert(*this, type);
        return g;
    }
    case DBTYPE_BYTES:
        if (Get<QByteArray>())
            return *this;
        return Utf16Bytes(AsString());
    case DBTYPE_STR:
    case DBTYPE_WSTR:
    case DBTYPE_BSTR:
        if (Get<QString>())
            return *this;
        return AsString();
    default:
        throw EZKError(u"type %1 is not supported"_s.arg(DbTypeName(type)));
    }
}

QVariant TDbValue::ToVariant() const
{
    return std::visit(
        TOverloaded{
            [](std::monostate) { return QVariant(); },
            [](bool b) { return QVariant(b); },
            [](qint64 i) { return QVariant(i); },
            [](quint64 u) { return QVariant(u); },
            [](float f) { return QVariant(f); },
            [](double d) { return QVariant(d); },
            [](TDbCurrency c) { return QVariant(double(c.Units) / 10000.0); },
            [](TOleDate o) {
                TDbTimeStamp ts;
                bool hasDate;
                if (!DateParts(TDbValue(o), ts, hasDate))
                    return QVariant(o.Days);
                return QVariant(QDateTime(QDate(ts.Year, ts.Month, ts.Day),
                                          QTime(ts.Hour, ts.Minute, ts.Second, ts.Fraction / 1000000)));
            },
            [](const TDbDecimal &d) { return QVariant(d.ToDouble()); },
            [](TDbDate d) { return QVariant(QDate(d.Year, d.Month, d.Day)); },
            [](TDbTime t) { return QVariant(QTime(t.Hour, t.Minute, t.Second)); },
            [](const TDbTimeStamp &ts) {
                return QVariant(QDateTime(QDate(ts.Year, ts.Month, ts.Day),
                                          QTime(ts.Hour, ts.Minute, ts.Second, ts.Fraction / 1000000)));
            },
            [](TFileTime f) { return QVariant(TDbValue(f).AsString()); },
            [](const QUuid &g) { return QVariant(g); },
            [](const QByteArray &b) { return QVariant(b); },
            [](const QString &s) { return QVariant(s); },
        },
        FData);
}

TDbValue TDbValue::FromVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return v.toULongLong();
    case QMetaType::Float:
        return v.toFloat();
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::QByteArray:
        return v.toByteArray();
    case QMetaType::QUuid:
        return v.toUuid();
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        return TDbDate{qint16(d.year()), quint16(d.month()), quint16(d.day())};
    }
    case QMetaType::QTime: {
        const QTime t = v.toTime();
        return TDbTime{quint16(t.hour()), quint16(t.minute()), quint16(t.second())};
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        const QDate d = dt.date();
        const QTime t = dt.time();
        return TDbTimeStamp{qint16(d.year()),           quint16(d.month()),  quint16(d.day()),
                            quint16(t.hour()),          quint16(t.minute()), quint16(t.second()),
                            quint32(t.msec()) * 1000000};
    }
    default:
        return v.toString();
    }
}
