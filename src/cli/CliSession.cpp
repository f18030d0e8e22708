#include "CliSession.h"

#include "CliInputs.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

bool PortValue(const QString &text, int *port)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 65535)
        return false;
    *port = value;
    return true;
}

} // namespace

bool ParseCliSessionArgs(const QStringList &args, bool withSet, TCliSessionArgs &out, QString *error)
{
    TSessionOptions &o = out.Session;
    TCliPassword password;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &opt = args[i];
        bool ok = true;
        if (TakeCliPasswordOption(args, i, password, ok)) {
            if (!ok) {
                *error = opt + u" needs a value"_s;
                return false;
            }
            continue;
        }
        const int needed = opt == "--set"_L1 ? 3 : 1;
        if (i + needed >= args.size()) {
            *error = opt + u" needs a value"_s;
            return false;
        }
        const QString value = args[i + 1];
        if (opt == "--storage"_L1) {
            o.StorageFolder = value;
        } else if (opt == "--province"_L1) {
            o.SSDM = value;
        } else if (opt == "--user"_L1) {
            o.UserName = value;
        } else if (opt == "--host"_L1) {
            o.Host = value;
        } else if (opt == "--port"_L1) {
            if (!PortValue(value, &o.Port)) {
                *error = u"--port needs a number from 0 to 65535"_s;
                return false;
            }
        } else if (opt == "--set"_L1 && withSet) {
            out.Set = args.mid(i + 1, 3);
        } else {
            *error = u"unknown option "_s + opt;
            return false;
        }
        i += needed;
    }
    if (o.StorageFolder.isEmpty() || o.SSDM.isEmpty() || o.UserName.isEmpty()) {
        *error = u"--storage, --province and --user are needed"_s;
        return false;
    }
    if (withSet && out.Set.size() != 3) {
        *error = u"--set PCDM KLDM JHXZ is needed"_s;
        return false;
    }
    return ResolveCliPassword(password, o.Password, error);
}

TMsgResult TLineMessageSink::ShowMessage(const QString &text, const QString &caption, TMsgIcon, TMsgButtons)
{
    QString line = text;
    line.replace(u"\r\n"_s, u" "_s).replace(u'\n', u' ').replace(u'\r', u' ');
    QTextStream(stderr) << caption << ": " << line << '\n';
    return TMsgResult::Ok;
}

TCliRun::TCliRun()
{
    MainDM.SetMessageSink(&Sink);
    NetDM.SetMessageSink(&Sink);
}

bool CliLoginAndReadSetUp(TCliRun &run, const TCliSessionArgs &args, const char *command, bool &setUp)
{
    if (!run.Session.PrepareLogin(args.Session)) {
        CliError(command, run.Session.Error());
        return false;
    }
    const int code = run.Session.Connect();
    QTextStream(stdout) << "login " << code << Qt::endl;
    return code == 0 && run.Session.ReadSetUpState(setUp);
}

void CliError(const char *command, const QString &text)
{
    QTextStream(stderr) << "zelkinc-cli " << command << ": " << text << '\n';
}
