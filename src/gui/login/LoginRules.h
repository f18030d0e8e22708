#pragma once

// The rules of the login that need no window: the set-up state of a user's folder, the
// end of an admission after 90 days, and the sealed password in the state table.

#include <QDateTime>
#include <QString>

class TMainDM;

// What a login found in the user's folder: set up (GKLQZ "1" in the one record of
// T_YXZT), not set up or not verifiable, or a state table that cannot be read.
enum class TGKLQState
{
    gklqOn,
    gklqOff,
    gklqError
};

// An admission is over this many days after the user's data was created.
inline constexpr double AdmissionDays = 90.0;

// Days from one local time to another, with the fraction, as the wall clock counts them
// (a change to or from summer time does not add or remove an hour).
double LocalDaysBetween(const QDateTime &from, const QDateTime &to);

// The name a user's old data moves to: the first 16 characters of "Old" + the creation
// date as "yyyymmdd" + "_" + the user name.
QString OldUserName(const QDateTime &creationTime, const QString &userName);

// Old data may only be looked at offline: its name begins with "Old" (case-sensitive).
bool IsOldUserName(const QString &userName);

// The set-up state of a user's folder. The shared database is opened on UnivShareConn
// (already pointed at it) under the share lock of sspy; connection and lock are given
// back on every path.
TGKLQState ReadGKLQState(TMainDM &dm, const QString &sspy, const QString &userFolder);

// The creation time of the one record of T_YXZT in the user's shared database. False
// when the database is missing, the table does not hold exactly one record, or anything
// cannot be read: such data counts as none.
bool ReadCreationTime(TMainDM &dm, const QString &sspy, const QString &userFolder, QDateTime &creationTime);

// The sealed password (YHKL) of the one record of T_YXZT; false when there is not exactly
// one record. Errors of the database are thrown (EZKError).
bool ReadSealedPassword(TMainDM &dm, const QString &sspy, QString &sealed);

// Stores the seal of password in YHKL when T_YXZT holds exactly one record; errors are
// thrown (EZKError).
void StoreSealedPassword(TMainDM &dm, const QString &sspy, const QString &password);
