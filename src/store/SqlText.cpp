#include "store/SqlText.h"

#include <QStringDecoder>
#include <sqlite3.h>

namespace SqlText {

bool Utf8Of(QStringView text, QByteArray &out, qsizetype &size)
{
    if (out.size() < text.size() * 3)
        out.resize(text.size() * 3);
    char *start = out.data();
    char *p = start;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80) {
            *p++ = char(c);
        } else if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c < 0xE000) {
            return false;
        } else {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        }
    }
    size = p - start;
    return true;
}

QString Utf16ForSqlite(const QString &text)
{
    if (!text.isEmpty() && (text.front() == QChar(0xFEFF) || text.front() == QChar(0xFFFE)))
        return QChar(0xFEFF) + text; // little-endian, as the native UTF-16 SQLite is given
    return text;
}

int Bind(sqlite3_stmt *stmt, int index, const QString &text)
{
    QByteArray utf8;
    qsizetype size = 0;
    if (Utf8Of(text, utf8, size))
        return sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(size), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    const QString units = Utf16ForSqlite(text);
    return sqlite3_bind_text16(stmt, index, units.utf16(), int(units.size() * 2), SQLITE_TRANSIENT);
}

void Result(sqlite3_context *ctx, const QString &text)
{
    QByteArray utf8;
    qsizetype size = 0;
    if (Utf8Of(text, utf8, size)) {
        sqlite3_result_text64(ctx, utf8.constData(), sqlite3_uint64(size), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    const QString units = Utf16ForSqlite(text);
    sqlite3_result_text16(ctx, units.utf16(), int(units.size() * 2), SQLITE_TRANSIENT);
}

// Our databases keep their texts as UTF-8: decoding them here spares SQLite's own
// conversion into a buffer of its own, which would then be copied once more. Bytes
// that are no strict UTF-8 (a lone surrogate, say) go through SQLite's conversion, so
// that every stored character reads back as it always did.
QString Column(sqlite3_stmt *stmt, int column)
{
    const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int bytes = sqlite3_column_bytes(stmt, column);
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(QByteArrayView(utf8, bytes));
    if (!decoder.hasError())
        return text;
    const auto *utf16 = static_cast<const char16_t *>(sqlite3_column_text16(stmt, column));
    return QString::fromUtf16(utf16, sqlite3_column_bytes16(stmt, column) / 2);
}

} // namespace SqlText
