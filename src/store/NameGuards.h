#pragma once

#include <QString>

// Guards for text that comes from outside the client (the leader's packages and replies,
// what the member types) before it meets a path or a statement. Each guard is a plain
// yes/no; the caller refuses the record, reply or input with its own message.

// A received text used as one file or folder name: not empty, not "." or "..", and free of
// "/", "\", NUL and control characters. Such a name joined to a folder stays in that folder.
bool IsPlainFileName(const QString &name);

// A user name typed at the login or given to zelkinc-cli: one plain folder name after
// trimming, and free of ";" (which ends a database path in a connection string) and of
// the double quote (which ends a quoted path in a statement).
bool IsPlainUserName(const QString &name);

// The message shown when IsPlainUserName refuses a name.
QString UserNameRefusalText();

// A code received from the leader (batch, category, plan nature, candidate number, unit,
// major) that becomes part of a file name: one to 32 characters, each an ASCII letter, a
// digit, a space, '-' or '_', and not only spaces. Real codes use far fewer characters;
// anything else is refused before a path is built from it.
bool IsPlainCode(const QString &code);
