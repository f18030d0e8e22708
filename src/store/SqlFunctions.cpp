#include "store/SqlFunctions.h"

#include "store/SqlText.h"
#include "store/ZKError.h"

#include <QDateTime>
#include <QString>
#include <cmath>
#include <optional>
#include <sqlite3.h>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

const char DataTypeMismatch[] = "Data type mismatch in criteria expression.";

QString TextOf(sqlite3_value *v)
{
    const auto *data = static_cast<const char16_t *>(sqlite3_value_text16(v));
    return QString::fromUtf16(data, sqlite3_value_bytes16(v) / 2);
}

void ResultText(sqlite3_context *ctx, const QString &text)
{
    SqlText::Result(ctx, text);
}

using TNumber = std::variant<sqlite3_int64, double>;

// A value as a number, as Jet converts a numeric text; nothing for other texts and bytes.
std::optional<TNumber> NumberOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return sqlite3_value_int64(v);
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_TEXT: {
        const QString text = TextOf(v).trimmed();
        bool ok = false;
        if (const qlonglong i = text.toLongLong(&ok); ok)
            return sqlite3_int64(i);
        if (const double d = text.toDouble(&ok); ok)
            return d;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

double AsDouble(const TNumber &n)
{
    return std::holds_alternative<double>(n) ? std::get<double>(n) : double(std::get<sqlite3_int64>(n));
}

bool IsNull(sqlite3_value *v)
{
    return sqlite3_value_type(v) == SQLITE_NULL;
}

bool IsTextual(sqlite3_value *v)
{
    const int t = sqlite3_value_type(v);
    return t == SQLITE_TEXT || t == SQLITE_BLOB;
}

// Jet's +: two texts are joined, anything else is added as numbers; Null wins.
void JetAdd(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (IsNull(argv[0]) || IsNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    if (IsTextual(argv[0]) && IsTextual(argv[1])) {
        ResultText(ctx, TextOf(argv[0]) + TextOf(argv[1]));
        return;
    }
    const auto a = NumberOf(argv[0]);
    const auto b = NumberOf(argv[1]);
    if (!a || !b) {
        sqlite3_result_error(ctx, DataTypeMismatch, -1);
        return;
    }
    sqlite3_int64 sum = 0;
    if (std::holds_alternative<sqlite3_int64>(*a) && std::holds_alternative<sqlite3_int64>(*b) &&
        !__builtin_add_overflow(std::get<sqlite3_int64>(*a), std::get<sqlite3_int64>(*b), &sum)) {
        sqlite3_result_int64(ctx, sum);
        return;
    }
    sqlite3_result_double(ctx, AsDouble(*a) + AsDouble(*b));
}

void UCase(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (IsNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        ResultText(ctx, TextOf(argv[0]).toUpper());
}

// Jet's Int: the largest whole number not above the value (Int(-8.4) is -9).
void Int(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (IsNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto n = NumberOf(argv[0]);
    if (!n) {
        sqlite3_result_error(ctx, DataTypeMismatch, -1);
        return;
    }
    if (std::holds_alternative<sqlite3_int64>(*n)) {
        sqlite3_result_int64(ctx, std::get<sqlite3_int64>(*n));
        return;
    }
    const double f = std::floor(std::get<double>(*n));
    if (f >= -9.2e18 && f <= 9.2e18)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(f));
    else
        sqlite3_result_double(ctx, f);
}

void Now(sqlite3_context *ctx, int, sqlite3_value **)
{
    ResultText(ctx, QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s));
}

// instr([start,] text, part[, mode]): 1-based position in UTF-16 units, 0 when absent;
// mode 0 compares exactly, any other mode ignores case.
void InStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (IsNull(argv[i])) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const auto start = NumberOf(argv[0]);
    if (!start || AsDouble(*start) < 1) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument (instr start).", -1);
        return;
    }
    const qsizetype from = static_cast<qsizetype>(AsDouble(*start));
    const QString text = TextOf(argv[1]);
    const QString part = TextOf(argv[2]);
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
    if (argc == 4) {
        const auto mode = NumberOf(argv[3]);
        cs = mode && AsDouble(*mode) == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    }
    if (text.isEmpty() || from > text.size()) {
        sqlite3_result_int64(ctx, 0);
        return;
    }
    if (part.isEmpty()) {
        sqlite3_result_int64(ctx, from);
        return;
    }
    sqlite3_result_int64(ctx, text.indexOf(part, from - 1, cs) + 1);
}

// ltrim of a code: a value kept as UTF-16 bytes (as a binary column holds it elsewhere)
// is read up to its first NUL unit; leading spaces go.
void LTrim(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_value *v = argv[0];
    if (IsNull(v)) {
        sqlite3_result_null(ctx);
        return;
    }
    QString text;
    if (sqlite3_value_type(v) == SQLITE_BLOB) {
        const auto *bytes = static_cast<const unsigned char *>(sqlite3_value_blob(v));
        const int n = sqlite3_value_bytes(v) / 2;
        for (int i = 0; i < n; ++i) {
            const char16_t unit = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
            if (unit == 0)
                break;
            text += QChar(unit);
        }
    } else {
        text = TextOf(v);
    }
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    ResultText(ctx, text.mid(i));
}

void Register(sqlite3 *db, const char *name, int argc, bool deterministic,
              void (*fn)(sqlite3_context *, int, sqlite3_value **))
{
    const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (deterministic ? SQLITE_DETERMINISTIC : 0);
    if (sqlite3_create_function_v2(db, name, argc, flags, nullptr, fn, nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        throw EZKError(u"Cannot register the SQL function %1: %2"_s.arg(
            QLatin1StringView(name), QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace

void RegisterJetFunctions(sqlite3 *db)
{
    Register(db, "jet_add", 2, true, JetAdd);
    Register(db, "ucase", 1, true, UCase);
    Register(db, "int", 1, true, Int);
    Register(db, "now", 0, false, Now);
    Register(db, "instr", 3, true, InStr);
    Register(db, "instr", 4, true, InStr);
    Register(db, "ltrim", 1, true, LTrim);
}
