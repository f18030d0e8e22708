// Text forms of decimals, floating-point numbers and the date kinds.
#include "store/DbValue.h"

#include <charconv>
#include <cmath>

namespace {

__extension__ typedef unsigned __int128 TUInt128;

constexpr qint64 kTicksPerDay = 864000000000LL;    // 100 ns ticks
constexpr qint64 kOleEpochFromUnix = -25569;       // 1899-12-30
constexpr qint64 kFileTimeEpochFromUnix = -134774; // 1601-01-01
constexpr double kOleMinDays = -657434.0;          // 0100-01-01
constexpr double kOleMaxDays = 2958466.0;          // 10000-01-01 (exclusive)

QString Pad(qint64 v, int width)
{
    return QString::number(v).rightJustified(width, u'0');
}

QString TimeOfDayText(qint64 ticks, int fractionDigits)
{
    const qint64 seconds = ticks / 10000000;
    QString s = Pad(seconds / 3600, 2) + u':' + Pad(seconds / 60 % 60, 2) + u':' + Pad(seconds % 60, 2);
    if (fractionDigits > 0) {
        const QString f = Pad(ticks % 10000000, 7);
        s += u'.' + f.left(fractionDigits).leftJustified(7, u'0');
    }
    return s;
}

QString CivilText(qint64 daysFromUnix)
{
    qint64 y;
    unsigned m, d;
    DbText::CivilFromDays(daysFromUnix, y, m, d);
    return Pad(y, 4) + u'-' + Pad(m, 2) + u'-' + Pad(d, 2);
}

// Reads an unsigned number of 1..maxDigits digits at pos.
bool ReadNumber(QStringView text, qsizetype &pos, int maxDigits, qint64 &out)
{
    qsizetype start = pos;
    out = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos].isDigit() && text[pos].unicode() < 128) {
        out = out * 10 + (text[pos].unicode() - '0');
        ++pos;
    }
    return pos > start;
}

bool Expect(QStringView text, qsizetype &pos, QChar c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

QString TDbDecimal::ToString() const
{
    TUInt128 m = (TUInt128(Hi) << 64) | Lo;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(m % 10)));
        m /= 10;
    } while (m != 0);
    QString s = (Negative && !IsZero()) ? QStringLiteral("-") : QString();
    if (Scale <= 0) {
        s += digits;
        if (!IsZero())
            s += QString(-Scale, u'0');
    } else if (digits.size() <= Scale) {
        s += u"0." + QString(Scale - digits.size(), u'0') + digits;
    } else {
        s += digits.left(digits.size() - Scale) + u'.' + digits.right(Scale);
    }
    return s;
}

double TDbDecimal::ToDouble() const
{
    const QByteArray text = ToString().toLatin1();
    double v = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), v);
    return v;
}

std::optional<TDbDecimal> TDbDecimal::Parse(QStringView text)
{
    TDbDecimal d;
    qsizetype pos = 0;
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
        d.Negative = text[pos++] == u'-';
    TUInt128 m = 0;
    int digits = 0;
    int scale = 0;
    bool point = false;
    const TUInt128 limit = ~TUInt128(0) / 10;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos].unicode();
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c - u'0';
        if (m > limit || (m == limit && digit > unsigned(~TUInt128(0) % 10)))
            return std::nullopt;
        m = m * 10 + digit;
        ++digits;
        if (point)
            ++scale;
    }
    if (digits == 0 || scale > 255)
        return std::nullopt;
    d.Hi = quint64(m >> 64);
    d.Lo = quint64(m);
    d.Scale = qint16(scale);
    return d;
}

namespace DbText {

template<class T>
static QString FloatTextT(T v, bool fixed)
{
    char buf[400];
    const auto r = fixed ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                         : std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString FloatText(float v, bool fixed)
{
    return FloatTextT(v, fixed);
}

QString FloatText(double v, bool fixed)
{
    return FloatTextT(v, fixed);
}

qint64 DaysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(qint64 z, qint64 &year, unsigned &month, unsigned &day)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = unsigned(doy - (153 * mp + 2) / 5 + 1);
    month = unsigned(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}

double OleDateFromParts(qint64 year, unsigned month, unsigned day, qint64 ticksOfDay)
{
    const double days = double(DaysFromCivil(year, month, day) - kOleEpochFromUnix);
    const double time = double(ticksOfDay) / double(kTicksPerDay);
    // Before 1899-12-30 the day number counts down but the time still counts up.
    return days < 0 ? days - time : days + time;
}

QString OleDateText(double days)
{
    if (!std::isfinite(days) || days < kOleMinDays || days >= kOleMaxDays)
        return {};
    qint64 whole = qint64(std::trunc(days));
    const double fraction = std::fabs(days - double(whole));
    qint64 ticks = std::llround(fraction * double(kTicksPerDay));
    if (ticks >= kTicksPerDay) {
        ++whole; // rounds up to the midnight of the next calendar day
        ticks = 0;
    }
    qint64 y;
    unsigned m, d;
    CivilFromDays(whole + kOleEpochFromUnix, y, m, d);
    // A DATE holds only about a microsecond; show the fewest fraction digits that
    // still stand for this day number (within two units of its last place).
    const double ulp = std::nextafter(std::fabs(days), HUGE_VAL) - std::fabs(days);
    int digits = 0;
    for (qint64 unit = 10000000; unit >= 1; unit /= 10, ++digits) {
        const qint64 rounded = (ticks + unit / 2) / unit * unit;
        if (rounded < kTicksPerDay && std::fabs(OleDateFromParts(y, m, d, rounded) - days) <= 2 * ulp) {
            ticks = rounded;
            break;
        }
    }
    return CivilText(whole + kOleEpochFromUnix) + u' ' + TimeOfDayText(ticks, digits);
}

QString FileTimeText(quint64 ticks)
{
    const qint64 days = qint64(ticks / quint64(kTicksPerDay));
    const qint64 rest = qint64(ticks % quint64(kTicksPerDay));
    return CivilText(days + kFileTimeEpochFromUnix) + u' ' + TimeOfDayText(rest, rest % 10000000 ? 7 : 0);
}

QString DateText(const TDbDate &d)
{
    return Pad(d.Year, 4) + u'-' + Pad(d.Month, 2) + u'-' + Pad(d.Day, 2);
}

QString TimeText(const TDbTime &t)
{
    return Pad(t.Hour, 2) + u':' + Pad(t.Minute, 2) + u':' + Pad(t.Second, 2);
}

QString TimeStampText(const TDbTimeStamp &ts)
{
    QString s = DateText({ts.Year, ts.Month, ts.Day}) + u' ' + TimeText({ts.Hour, ts.Minute, ts.Second});
    if (ts.Fraction != 0) {
        // Nanoseconds; seven digits (100 ns) unless finer digits are set.
        s += u'.' + (ts.Fraction % 100 == 0 ? Pad(ts.Fraction / 100, 7) : Pad(ts.Fraction, 9));
    }
    return s;
}

static bool ParseTimeAt(QStringView text, qsizetype &pos, TDbTime &t, quint32 &fraction)
{
    qint64 h, mi, s;
    if (!ReadNumber(text, pos, 5, h) || !Expect(text, pos, u':') || !ReadNumber(text, pos, 5, mi) ||
        !Expect(text, pos, u':') || !ReadNumber(text, pos, 5, s) || h > 65535 || mi > 65535 || s > 65535)
        return false;
    t = {quint16(h), quint16(mi), quint16(s)};
    fraction = 0;
    if (Expect(text, pos, u'.')) {
        const qsizetype start = pos;
        qint64 f;
        if (!ReadNumber(text, pos, 9, f))
            return false;
        for (qsizetype n = pos - start; n < 9; ++n)
            f *= 10;
        fraction = quint32(f);
    }
    return true;
}

bool ParseTime(QStringView text, TDbTime &out)
{
    qsizetype pos = 0;
    quint32 fraction;
    return ParseTimeAt(text, pos, out, fraction) && fraction == 0 && pos == text.size();
}

bool ParseDateTime(QStringView text, TDbTimeStamp &out, bool &hasTime)
{
    qsizetype pos = 0;
    const bool negative = Expect(text, pos, u'-');
    qint64 y, m, d;
    if (!ReadNumber(text, pos, 5, y) || !Expect(text, pos, u'-') || !ReadNumber(text, pos, 5, m) ||
        !Expect(text, pos, u'-') || !ReadNumber(text, pos, 5, d))
        return false;
    if (negative)
        y = -y;
    if (y < -32768 || y > 32767 || m > 65535 || d > 65535)
        return false;
    out = TDbTimeStamp{qint16(y), quint16(m), quint16(d)};
    hasTime = false;
    if (pos == text.size())
        return true;
    if (!Expect(text, pos, u' ') && !Expect(text, pos, u'T'))
        return false;
    TDbTime t;
    if (!ParseTimeAt(text, pos, t, out.Fraction) || pos != text.size())
        return false;
    out.Hour = t.Hour;
    out.Minute = t.Minute;
    out.Second = t.Second;
    hasTime = true;
    return true;
}

} // namespace DbText
