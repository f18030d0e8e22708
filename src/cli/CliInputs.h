#pragma once

// What every command of zelkinc-cli takes the same way: the member's user name and
// password.

#include <QString>

// The password of a member: the value of --password, else the first line of the
// --password-file (FILE, or "-" for the standard input), else the environment variable
// ZELKINC_PASSWORD, else empty. Only one of --password and --password-file may be given.
struct TCliPassword
{
    QString Value;
    QString File;
    bool HasValue = false;
    bool HasFile = false;
};

// Takes --password P or --password-file FILE at args[i] (advancing i past the value).
// True when args[i] was one of them; ok turns false when its value is missing.
bool TakeCliPasswordOption(const QStringList &args, qsizetype &i, TCliPassword &password, bool &ok);

// The password the options and the environment give; false with an error text when both
// options were given or the file cannot be read.
bool ResolveCliPassword(const TCliPassword &password, QString &out, QString *error);

// A --user value that is not one plain folder name is refused before anything is opened,
// made or connected: one line on the error output ("zelkinc-cli COMMAND: …"). True when
// refused; the command then exits with 2.
bool CliRefusesUserName(const char *command, const QString &user);
