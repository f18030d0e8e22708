#pragma once

#include "store/DbTypes.h"

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <optional>
#include <variant>

// One value of a recordset field. The representation keeps every value a
// recordset file can carry exactly, so that a file read and written again gives
// the same values:
//
//   field type                         value held
//   ---------------------------------  --------------------------------------------
//   (any), no value                    NULL (IsNull), distinct from "" and 0
//   BOOL                               bool
//   I1, I2, I4, I8, UI1, UI2, UI4      qint64
//   UI8                                quint64 (the whole range, beyond 2^63 too)
//   R4                                 float (bit for bit: -0.0 and NaN payloads kept)
//   R8                                 double (bit for bit)
//   CY                                 TDbCurrency: int64 count of 1/10000
//   DATE                               TOleDate: the OLE day number, bit for bit
//   DECIMAL, NUMERIC, VARNUMERIC       TDbDecimal: sign, 128-bit magnitude, scale
//                                      (and the precision byte of NUMERIC/VARNUMERIC)
//   DBDATE, DBTIME, DBTIMESTAMP        TDbDate, TDbTime, TDbTimeStamp: the stored
//                                      fields as they are (nanosecond fraction)
//   FILETIME                           TFileTime: 100 ns ticks since 1601-01-01
//   GUID                               QUuid
//   BYTES                              QByteArray (fixed columns: as stored, padded)
//   STR, WSTR, BSTR                    QString (UTF-16; fixed columns: as stored)
//
// Floating-point values compare bit for bit (so -0.0 differs from 0.0).

struct TDbCurrency
{
    qint64 Units = 0; // in 1/10000
    bool operator==(const TDbCurrency &) const = default;
};

struct TOleDate
{
    double Days = 0; // days since 1899-12-30; the time is the absolute value of the fraction
    bool operator==(const TOleDate &other) const;
};

struct TDbDecimal
{
    quint64 Hi = 0;       // magnitude, upper 64 bits
    quint64 Lo = 0;       // magnitude, lower 64 bits
    qint16 Scale = 0;     // value = +/- magnitude / 10^Scale; negative only for VARNUMERIC
    quint8 Precision = 0; // the precision byte of NUMERIC and VARNUMERIC values, else 0
    bool Negative = false;

    bool IsZero() const { return Hi == 0 && Lo == 0; }
    // Plain decimal text without exponent: "-12.3400", "0.05", "1200" (scale -2).
    QString ToString() const;
    double ToDouble() const;
    // Parses [+|-]digits[.digits] exactly; the scale is the number of digits after
    // the point. Empty when the text is no such number or the magnitude exceeds 128 bits.
    static std::optional<TDbDecimal> Parse(QStringView text);
    bool operator==(const TDbDecimal &) const = default;
};

struct TDbDate
{
    qint16 Year = 0;
    quint16 Month = 0;
    quint16 Day = 0;
    bool operator==(const TDbDate &) const = default;
};

struct TDbTime
{
    quint16 Hour = 0;
    quint16 Minute = 0;
    quint16 Second = 0;
    bool operator==(const TDbTime &) const = default;
};

struct TDbTimeStamp
{
    qint16 Year = 0;
    quint16 Month = 0;
    quint16 Day = 0;
    quint16 Hour = 0;
    quint16 Minute = 0;
    quint16 Second = 0;
    quint32 Fraction = 0; // nanoseconds
    bool operator==(const TDbTimeStamp &) const = default;
};

struct TFileTime
{
    quint64 Ticks = 0; // 100 ns since 1601-01-01 00:00:00
    bool operator==(const TFileTime &) const = default;
};

class TDbValue
{
public:
    using TData =
        std::variant<std::monostate, bool, qint64, quint64, float, double, TDbCurrency, TOleDate, TDbDecimal,
                     TDbDate, TDbTime, TDbTimeStamp, TFileTime, QUuid, QByteArray, QString>;

    TDbValue() = default; // NULL
    TDbValue(bool v)
        : FData(v)
    {}
    TDbValue(int v)
        : FData(qint64(v))
    {}
    TDbValue(qint64 v)
        : FData(v)
    {}
    TDbValue(quint64 v)
        : FData(v)
    {}
    TDbValue(float v)
        : FData(v)
    {}
    TDbValue(double v)
        : FData(v)
    {}
    TDbValue(TDbCurrency v)
        : FData(v)
    {}
    TDbValue(TOleDate v)
        : FData(v)
    {}
    TDbValue(const TDbDecimal &v)
        : FData(v)
    {}
    TDbValue(TDbDate v)
        : FData(v)
    {}
    TDbValue(TDbTime v)
        : FData(v)
    {}
    TDbValue(const TDbTimeStamp &v)
        : FData(v)
    {}
    TDbValue(TFileTime v)
        : FData(v)
    {}
    TDbValue(const QUuid &v)
        : FData(v)
    {}
    TDbValue(QByteArray v)
        : FData(std::move(v))
    {}
    TDbValue(QString v)
        : FData(std::move(v))
    {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(FData); }
    const TData &Data() const { return FData; }
    template<class T>
    const T *Get() const
    {
        return std::get_if<T>(&FData);
    }

    // The value as text: numbers in plain decimal notation (R4 and R8 in the
    // shortest form that reads back to the same number, "NaN", "Infinity",
    // "-Infinity"); CY and decimals exactly; dates as "YYYY-MM-DD HH:MM:SS",
    // "YYYY-MM-DD", "HH:MM:SS" with ".fffffff" (or 9 digits for a DBTIMESTAMP
    // fraction that is not a multiple of 100 ns) only when there is a fraction;
    // BOOL "True"/"False"; GUID "{XXXXXXXX-...}" upper case; bytes as the UTF-16LE
    // text they hold up to the first NUL unit (binary code columns); NULL "".
    QString AsString() const;
    // The value as an integer: numbers rounded half to even, texts parsed, NULL 0.
    // Throws EZKError for a value that is no number or does not fit.
    qint64 AsInteger() const;
    // The value as a double: dates as OLE day numbers, texts parsed, NULL 0.
    // Throws EZKError for a text that is no number.
    double AsFloat() const;
    bool AsBoolean() const;

    // The value converted to a field type: NULL stays NULL, texts are parsed in the
    // forms AsString writes, numbers are range-checked, a text into BYTES becomes its
    // UTF-16LE bytes. Throws EZKError when the value does not fit the type.
    TDbValue ConvertTo(quint16 type) const;

    // To and from QVariant (for parameters and callers that hold variants). CY and
    // decimals become double, the date kinds QDateTime/QDate/QTime; a QVariant of
    // another type becomes its text.
    QVariant ToVariant() const;
    static TDbValue FromVariant(const QVariant &v);

    bool operator==(const TDbValue &other) const;

private:
    TData FData;
};

// Every alternative moves by its bytes (QString and QByteArray are relocatable, the
// rest are plain data), so lists of values grow by moving memory.
Q_DECLARE_TYPEINFO(TDbValue, Q_RELOCATABLE_TYPE);

// Text forms shared by the value texts, the recordset JSON and the file codec.
namespace DbText {
// The shortest text that reads back to the same number ("0.1", "1e+20", "-0",
// "nan", "inf"), as std::to_chars writes it; Fixed: without exponent.
QString FloatText(float v, bool fixed);
QString FloatText(double v, bool fixed);
// Days from 1970-01-01 of a proleptic Gregorian date, and back.
qint64 DaysFromCivil(qint64 year, unsigned month, unsigned day);
void CivilFromDays(qint64 days, qint64 &year, unsigned &month, unsigned &day);
// "YYYY-MM-DD HH:MM:SS[.fffffff]" of an OLE date; empty when the day number is not
// a date of the years 100 to 9999 (or not finite).
QString OleDateText(double days);
// The OLE day number of a date and time of day given in 100 ns ticks.
double OleDateFromParts(qint64 year, unsigned month, unsigned day, qint64 ticksOfDay);
QString FileTimeText(quint64 ticks);
QString DateText(const TDbDate &d);
QString TimeText(const TDbTime &t);
QString TimeStampText(const TDbTimeStamp &ts);
// Parses "YYYY-MM-DD[( |T)HH:MM:SS[.f{1,9}]]" into its parts (fraction in ns).
bool ParseDateTime(QStringView text, TDbTimeStamp &out, bool &hasTime);
bool ParseTime(QStringView text, TDbTime &out);
} // namespace DbText
