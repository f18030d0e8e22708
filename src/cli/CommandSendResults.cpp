// zelkinc-cli send-results: the upload of a set's results without windows.
//
//   zelkinc-cli send-results --storage DIR --province SSDM --user NAME
//                            [--password-file FILE|- | --password P]
//                            --set PCDM KLDM JHXZ [--host H --port N]
//
// The password and the user name are taken as "sync" takes them.
//
// Logs in as "sync" does (the user must be set up: run "sync" first), opens the set in
// the workspace and sends its results; the given password stands for the one the
// login dialog would ask for. Prints on the standard output:
//
//   login CODE
//   send-results CODE          the leader's answer (0 acknowledged), -1 when nothing was sent
//
// Only a set in work state 1 (dossiers received, not yet sent) is sent, as the command
// of the main window is enabled only then. Messages a window would show go to the
// error output, one line each. Exit status 0 when the leader acknowledged the results,
// 1 otherwise, 2 for a wrong command line.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSession.h"
#include "exchange/MemberNetDM.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const char kCommand[] = "send-results";
const char kUsage[] =
    "usage: zelkinc-cli send-results --storage DIR --province SSDM --user NAME "
    "[--password-file FILE|- | --password P] --set PCDM KLDM JHXZ [--host H --port N]\n"
    "       (without a password option the password is $ZELKINC_PASSWORD)\n";

// Opens the set; false with a reported reason when it cannot be sent now.
bool OpenSendableSet(TMemberSession &session, const QStringList &set)
{
    if (!session.OpenSet(set[0], set[1], set[2])) {
        if (!session.Error().isEmpty())
            CliError(kCommand, session.Error());
        return false;
    }
    if (ZKMainDef().CurZT != 1) {
        CliError(kCommand,
                 u"the set is in work state %1; only a set in state 1 is sent"_s.arg(ZKMainDef().CurZT));
        return false;
    }
    return true;
}

} // namespace

int RunSendResultsCommand(const QStringList &args)
{
    TCliSessionArgs parsed;
    QString error;
    const bool parsedOk = ParseCliSessionArgs(args, true, parsed, &error);
    if (!parsed.Session.UserName.isEmpty() && CliRefusesUserName(kCommand, parsed.Session.UserName))
        return 2;
    if (!parsedOk) {
        QTextStream(stderr) << error << '\n' << kUsage;
        return 2;
    }
    TCliRun run;
    bool setUp = false;
    if (!CliLoginAndReadSetUp(run, parsed, kCommand, setUp))
        return 1;
    if (!setUp) {
        CliError(kCommand, u"the user has no local data yet: run sync first"_s);
        return 1;
    }
    run.Session.StorePassword();
    if (!run.Session.EnterWorkspace() || !OpenSendableSet(run.Session, parsed.Set))
        return 1;
    const int code = run.Session.SendResults(parsed.Session.Password);
    QTextStream(stdout) << "send-results " << code << Qt::endl;
    return code == 0 ? 0 : 1;
}
