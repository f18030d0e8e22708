#pragma once

// The parts that "sync" and "send-results" share: their common options, the message
// sink that writes a window's message as one line on the error output, and the online
// login of a member without windows.

#include "exchange/MemberSession.h"
#include "store/UiSinks.h"

#include <QStringList>

class TMainDM;
class TMemberNetDM;

struct TCliSessionArgs
{
    TSessionOptions Session;
    QStringList Set; // --set PCDM KLDM JHXZ
};

// Parses --storage DIR --province SSDM --user NAME --password P [--host H --port N]
// and, when withSet, the required --set PCDM KLDM JHXZ. False with an error text.
bool ParseCliSessionArgs(const QStringList &args, bool withSet, TCliSessionArgs &out, QString *error);

// A message box as one line on the error output: "<caption>: <text>", line breaks of
// the text written as single spaces.
class TLineMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                           TMsgButtons buttons = TMsgButtons::Ok) override;
};

// Prepares the login values, connects and prints "login CODE". False when the login
// failed (reported).
bool CliLogin(TMemberSession &session, const TCliSessionArgs &args, const char *command);

// A failure of the command itself: "zelkinc-cli COMMAND: TEXT" on the error output.
void CliError(const char *command, const QString &text);
