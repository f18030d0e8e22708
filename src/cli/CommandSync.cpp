// zelkinc-cli sync: an online login and the entry into the workspace without windows.
//
//   zelkinc-cli sync --storage DIR --province SSDM --user NAME
//                    [--password-file FILE|- | --password P] [--host H --port N]
//
// The password is the first line of FILE ("-": the standard input) or the value of
// --password (one of the two), else the environment variable ZELKINC_PASSWORD. A user name
// that is not one plain folder name is refused (exit status 2) before anything is made.
//
// Logs in (the server of the province's record of DIR/t_sszt.adtg unless --host and
// --port say otherwise), runs the first set-up when the user has no local data, reads
// the code tables and runs the full dossier query. Prints on the standard output:
//
//   login CODE
//   first-setup 0|1            only when the set-up ran (0 done)
//   set pcdm="P" kldm="K" jhxz="J" before=N after=N dossiers=N import=done|none|failed|-
//   …                          one line per set of the plan, in code order
//
// before and after are the set's package numbers before and after the query (0 for a
// set the query's plan added); import tells what the query did with the set: a package
// imported, no newer package, a package that failed to import, or not asked (another
// batch). Messages a window would show go to the error output, one line each. Exit
// status 0 when everything succeeded, 1 otherwise, 2 for a wrong command line.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSession.h"
#include "exchange/MemberNetDM.h"
#include "workspace/MainDM.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const char kCommand[] = "sync";
const char kUsage[] = "usage: zelkinc-cli sync --storage DIR --province SSDM --user NAME "
                      "[--password-file FILE|- | --password P] [--host H --port N]\n"
                      "       (without a password option the password is $ZELKINC_PASSWORD)\n";

QString JsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString SetKey(const QString &PCDM, const QString &KLDM, const QString &JHXZ)
{
    return QStringList{PCDM, KLDM, JHXZ}.join(QChar(0));
}

QString ImportText(const QHash<QString, int> &imports, const QString &key)
{
    switch (imports.value(key, -1)) {
    case 0:
        return u"done"_s;
    case 1:
        return u"none"_s;
    case 2:
        return u"failed"_s;
    default:
        return u"-"_s;
    }
}

void PrintSets(const QList<TSetState> &before, const QList<TSetState> &after,
               const QList<TTDDRequestResult> &requests)
{
    QHash<QString, int> numbers;
    for (const TSetState &set : before)
        numbers.insert(SetKey(set.PCDM, set.KLDM, set.JHXZ), set.DQTDDBH);
    QHash<QString, int> imports;
    for (const TTDDRequestResult &r : requests)
        imports.insert(SetKey(r.PCDM, r.KLDM, r.JHXZ), r.Import);
    QTextStream out(stdout);
    for (const TSetState &set : after) {
        const QString key = SetKey(set.PCDM, set.KLDM, set.JHXZ);
        out << "set pcdm=" << JsonString(set.PCDM) << " kldm=" << JsonString(set.KLDM)
            << " jhxz=" << JsonString(set.JHXZ) << " before=" << numbers.value(key, 0)
            << " after=" << set.DQTDDBH << " dossiers=" << set.Dossiers
            << " import=" << ImportText(imports, key) << '\n';
    }
}

} // namespace

int RunSyncCommand(const QStringList &args)
{
    TCliSessionArgs parsed;
    QString error;
    const bool parsedOk = ParseCliSessionArgs(args, false, parsed, &error);
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
    if (setUp) {
        run.Session.StorePassword();
    } else {
        const bool done = run.Session.FirstSetUp();
        QTextStream(stdout) << "first-setup " << (done ? 0 : 1) << Qt::endl;
        if (!done) {
            if (!run.Session.Error().isEmpty())
                CliError(kCommand, run.Session.Error());
            return 1;
        }
    }
    if (!run.Session.EnterWorkspace())
        return 1;
    const QList<TSetState> before = run.Session.ReadSetStates();
    const bool imported = run.Session.DownloadDossiers();
    if (!run.Session.Error().isEmpty())
        CliError(kCommand, run.Session.Error());
    PrintSets(before, run.Session.ReadSetStates(), run.NetDM.LastRunResults);
    return imported && run.Session.Error().isEmpty() ? 0 : 1;
}
