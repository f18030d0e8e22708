// zelkinc-leader: the leader's server stand-in as a program, and its demo data
// generator ("zelkinc-leader generate …"). See README.md.
#include "leader/DemoGenerator.h"
#include "leader/LeaderServer.h"
#include "store/DossierProvinces.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <csignal>
#include <pthread.h>

using namespace Qt::StringLiterals;

namespace {

struct TIntOption
{
    const char *name;
    const char *help;
    int TLeaderFaults::*field;
};

const TIntOption kFaultOptions[] = {
    {"refuse-login", "Refuse every login with CODE.", &TLeaderFaults::RefuseLogin},
    {"login-reply-len", "Send login replies of N bytes (74 is right).", &TLeaderFaults::LoginReplyLen},
    {"drop-after-chunks", "Close the connection after N data chunks of a transfer.",
     &TLeaderFaults::DropAfterChunks},
    {"drop-times", "Break only N transfers that way (default: every one).", &TLeaderFaults::DropTimes},
    {"wrong-transid", "Answer messages of TYPE with another transaction id.",
     &TLeaderFaults::WrongTransIdFor},
    {"wrong-type", "Answer messages of TYPE with another message type.", &TLeaderFaults::WrongTypeFor},
    {"overlong", "Answer messages of TYPE with a reply announcing 600 bytes.", &TLeaderFaults::OverlongFor},
    {"stall", "Never answer messages of TYPE.", &TLeaderFaults::StallFor},
    {"refuse-upload", "Refuse every upload announcement with CODE.", &TLeaderFaults::RefuseUpload},
};

bool ParseOptions(QCoreApplication &app, TLeaderOptions &options, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"The leader's server stand-in: serves the province folders under ROOT.\n"
        "zelkinc-leader generate --root ROOT [...] writes demo data (see README.md)."_s);
    parser.addHelpOption();
    parser.addOptions({
        {u"root"_s, u"The data folder with one folder per province."_s, u"ROOT"_s},
        // The shipped province list points every province at this port.
        {u"port"_s, u"TCP port; 0 picks a free one (printed at start)."_s, u"N"_s,
         QString::number(DemoLeaderPort)},
        {u"loopback"_s, u"Listen on 127.0.0.1 and ::1 only."_s},
        {u"no-ipv4"_s, u"Do not listen on IPv4."_s},
        {u"no-ipv6"_s, u"Do not listen on IPv6."_s},
        {u"log"_s, u"Append a line for every message to FILE."_s, u"FILE"_s},
        {u"no-junk"_s, u"Send zeros in reserved and undefined bytes."_s},
    });
    for (const TIntOption &o : kFaultOptions)
        parser.addOption({QLatin1String(o.name), QLatin1String(o.help), u"N"_s});
    parser.addOptions({
        {u"accept-any-user"_s, u"Hostile: log an unknown user name in as the province's first member."_s},
        {u"hostile-ksh"_s, u"Hostile: the first dossier of every dossier package gets this KSH."_s, u"TEXT"_s},
        {u"hostile-set-code"_s, u"Hostile: the plan's first set and every package's first dossier get this KLDM."_s,
         u"TEXT"_s},
        {u"hostile-column"_s, u"Hostile: the dossiers of every dossier package get a column so named."_s,
         u"NAME"_s},
        {u"unsafe-member"_s, u"Hostile: every package holds a member whose path leaves its folder."_s},
        {u"document-as-desktop"_s, u"Hostile: documents are served as .desktop launchers."_s},
    });
    parser.process(app);

    options.Root = parser.value(u"root"_s);
    if (options.Root.isEmpty() || !QFileInfo(options.Root).isDir()) {
        *error = u"--root must name an existing folder"_s;
        return false;
    }
    bool ok = false;
    const uint port = parser.value(u"port"_s).toUInt(&ok);
    if (!ok || port > 65535) {
        *error = u"--port must be a number from 0 to 65535"_s;
        return false;
    }
    options.Port = static_cast<uint16_t>(port);
    options.LoopbackOnly = parser.isSet(u"loopback"_s);
    options.ListenIPv4 = !parser.isSet(u"no-ipv4"_s);
    options.ListenIPv6 = !parser.isSet(u"no-ipv6"_s);
    options.LogFile = parser.value(u"log"_s);
    options.JunkUndefined = !parser.isSet(u"no-junk"_s);
    TLeaderHostility &hostility = options.Faults.Hostility;
    hostility.AcceptAnyUser = parser.isSet(u"accept-any-user"_s);
    hostility.KSH = parser.value(u"hostile-ksh"_s);
    hostility.SetCode = parser.value(u"hostile-set-code"_s);
    hostility.Column = parser.value(u"hostile-column"_s);
    hostility.UnsafeMember = parser.isSet(u"unsafe-member"_s);
    hostility.DocumentAsDesktop = parser.isSet(u"document-as-desktop"_s);
    for (const TIntOption &o : kFaultOptions) {
        const QString name = QLatin1String(o.name);
        if (!parser.isSet(name))
            continue;
        options.Faults.*o.field = parser.value(name).toInt(&ok);
        if (!ok) {
            *error = u"--%1 needs a number"_s.arg(name);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // SIGINT and SIGTERM are taken by sigwait below; block them in every thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (app.arguments().value(1) == "generate"_L1)
        return RunDemoCommand(app.arguments().mid(2), out, err);
    TLeaderOptions options;
    QString error;
    if (!ParseOptions(app, options, &error)) {
        err << "zelkinc-leader: " << error << Qt::endl;
        return 2;
    }
    TLeaderServer server(options);
    if (!server.Start(&error)) {
        err << "zelkinc-leader: " << error << Qt::endl;
        return 1;
    }
    if (!options.LogFile.isEmpty() && !server.Log().IsOpen())
        err << "zelkinc-leader: cannot write the log " << options.LogFile << Qt::endl;
    out << "zelkinc-leader: listening on port " << server.Port() << Qt::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    out << "zelkinc-leader: stopped" << Qt::endl;
    return 0;
}
