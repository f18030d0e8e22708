#pragma once

// The parts that "sync" and "send-results" share: their common options, the message
// sink that writes a window's message as one line on the error output, and the online
// login of a member without windows.

#include "exchange/MemberNetDM.h"
#include "exchange/MemberSession.h"
#include "store/UiSinks.h"
#include "workspace/MainDM.h"

#include <QStringList>

struct TCliSessionArgs
{
    TSessionOptions Session;
    QStringList Set; // --set PCDM KLDM JHXZ
};

// Parses --storage DIR --province SSDM --user NAME [--password P | --password-file FILE]
// [--host H --port N] and, when withSet, the required --set PCDM KLDM JHXZ; without a
// password option the password is ZELKINC_PASSWORD's (CliInputs.h). False with an error
// text.
bool ParseCliSessionArgs(const QStringList &args, bool withSet, TCliSessionArgs &out, QString *error);

// A message box as one line on the error output: "<caption>: <text>", line breaks of
// the text written as single spaces.
class TLineMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                           TMsgButtons buttons = TMsgButtons::Ok) override;
};

// The objects of one headless run, wired to one line sink.
struct TCliRun
{
    TLineMessageSink Sink;
    TMainDM MainDM;
    TMemberNetDM NetDM{MainDM};
    TMemberSession Session{MainDM, NetDM, Sink};

    TCliRun();
};

// Prepares the login values, connects, prints "login CODE" and reads whether the user's
// data is set up. False when a step failed (reported).
bool CliLoginAndReadSetUp(TCliRun &run, const TCliSessionArgs &args, const char *command, bool &setUp);

// A failure of the command itself: "zelkinc-cli COMMAND: TEXT" on the error output.
void CliError(const char *command, const QString &text);
