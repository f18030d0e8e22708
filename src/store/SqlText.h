#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

struct sqlite3_stmt;
struct sqlite3_context;

// Texts between our strings and SQLite, character for character.
//
// SQLite takes a UTF-16 text that begins with U+FEFF or U+FFFE for one with a byte
// order mark: it drops the first character, and after U+FFFE reads the rest in the
// other byte order. Texts therefore go to SQLite as UTF-8 wherever that gives the
// same bytes SQLite's own conversion would (no surrogate units), and otherwise as
// UTF-16 behind a byte order mark of their own when they begin with either character.
namespace SqlText {

// UTF-8 of a text without surrogate units into out, which grows as needed; false,
// with nothing promised about out, when the text has a surrogate unit.
bool Utf8Of(QStringView text, QByteArray &out, qsizetype &size);

// The UTF-16 to hand to SQLite for text: the text itself, or the text behind a byte
// order mark when it begins with one of the two characters SQLite would take for one.
QString Utf16ForSqlite(const QString &text);

// Binds a text as a parameter (SQLite copies it).
int Bind(sqlite3_stmt *stmt, int index, const QString &text);
// Sets a text as the result of a function.
void Result(sqlite3_context *ctx, const QString &text);
// The text of a result column.
QString Column(sqlite3_stmt *stmt, int column);

} // namespace SqlText
