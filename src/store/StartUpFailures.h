#pragma once

#include <QString>

// The texts of the failures that end a start-up: the client shows them in a message box
// captioned StartUpFailureCaption with the error icon, zelkinc-cli prints them on its
// error output. Each says what failed and where; detail is the error's own text.

inline const QString StartUpFailureCaption = QStringLiteral("登录系统");

// The province list file of the storage folder could not be read.
QString ProvinceListReadFailureText(const QString &file, const QString &detail);
// A shipped file of the program folder could not be copied into a folder.
QString ShippedFileCopyFailureText(const QString &fileName, const QString &targetFolder);
// A user's database file does not open.
QString UserDatabaseOpenFailureText(const QString &file, const QString &detail);
// The single-instance lock could not be taken (its lock folder or file cannot be made).
QString InstanceLockFailureText(const QString &detail);
