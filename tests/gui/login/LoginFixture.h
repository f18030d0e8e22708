#pragma once

// The login dialog against the leader's server stand-in: a demo province served on
// loopback, a storage folder whose province list names the stand-in, the program's task
// thread, and dialogs with recording message and animation windows.

#include "ExchangeFixture.h"
#include "gui/login/LoginForm.h"

#include <memory>

class QLabel;

class TLoginFixture : public TExchangeFixture
{
public:
    TLoginFixture();
    ~TLoginFixture();

    // A dialog with the province list read, shown (not modal), recording its messages.
    std::unique_ptr<TLoginForm> NewForm();

    static QLabel *Label(TLoginForm &form, const QString &code);
    // A mouse click on the province's map label.
    static void ClickLabel(TLoginForm &form, const QString &code);
    // Types user name and password (after the province was chosen: choosing clears them).
    static void Type(TLoginForm &form, const QString &user, const QString &password);
    // Clicks "联机登录" and waits until the connect task has come back (or nothing started).
    static void LoginOnline(TLoginForm &form);

    // The user's first set-up as start-up does it after an online login of a new user
    // (the session's steps), leaving nothing open.
    bool FirstSetUp();
    // Writes creation_time of the user's state table.
    void SetCreationTime(const QDateTime &time);

    // The codes the login dialog reported for failed connects.
    QList<int> LoginErrors;
};
