// zelkinc-cli link: checks a member's connection to the leader's server by
// running link requests on one link context and printing their result codes.
//
//   zelkinc-cli link --host H --port N --user U [--password-file FILE|- | --password P]
//                    --ssdm S [--timeout SECONDS] [--no-ipv6] COMMAND [ARGS] [+ COMMAND [ARGS] ...]
//
// The password and the user name are taken as "sync" takes them.
// One line per call: "NAME CODE", followed on code 0 by its outputs as key=JSON.
#include "CliCommands.h"
#include "CliInputs.h"
#include "link/ZKALinkCtxt.h"
#include "store/ZKMainDef.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <archive.h>
#include <archive_entry.h>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const char kUsage[] =
    "usage: zelkinc-cli link --host H --port N --user U [--password-file FILE|- | --password P] --ssdm S\n"
    "                        [--timeout SECONDS] [--no-ipv6] COMMAND [ARGS] [+ COMMAND [ARGS] ...]\n"
    "commands: login | state | dqpc | dmk FILE | jhk FILE | tdd PCDM KLDM JHXZ LAST FILE\n"
    "          | upload PCDM KLDM JHXZ BH FILE | allzy KSH FILE | photo KSH KIND FILE\n";

struct TLinkArgs
{
    QString Host, User, Password, SSDM;
    int Port = -1;
    int TimeoutMs = TLinkOptions().ReadTimeoutMs;
    bool NoIPv6 = false;
    QList<QStringList> Commands;
};

// One output of a call: key and its JSON text.
using TOutputs = QList<std::pair<QString, QString>>;

QString JsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString FileSizeJson(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? QString::number(info.size()) : u"null"_s;
}

// The package number of a dossier package: its member "TDDBH.dat", 4 bytes,
// signed 32-bit little endian.
std::optional<int32_t> PackageNumber(const QString &zipPath)
{
    archive *a = archive_read_new();
    archive_read_support_format_zip(a);
    std::optional<int32_t> number;
    if (archive_read_open_filename(a, QFile::encodeName(zipPath).constData(), 16384) == ARCHIVE_OK) {
        archive_entry *entry;
        while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
            if (QString::fromUtf8(archive_entry_pathname(entry))
                    .compare("TDDBH.dat"_L1, Qt::CaseInsensitive) != 0)
                continue;
            uint8_t raw[4];
            if (archive_read_data(a, raw, 4) == 4)
                number = GetInt32(raw);
            break;
        }
    }
    archive_read_free(a);
    return number;
}

bool ParseInt(const QString &text, int min, int max, int *value)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < min || v > max)
        return false;
    *value = int(v);
    return true;
}

bool ParseArgs(const QStringList &args, TLinkArgs &out, QString *error)
{
    qsizetype i = 0;
    const auto value = [&](const QString &name, QString *into) {
        if (i + 1 >= args.size()) {
            *error = name + u" needs a value"_s;
            return false;
        }
        *into = args[++i];
        return true;
    };
    TCliPassword password;
    for (; i < args.size() && args[i].startsWith("--"_L1); ++i) {
        const QString opt = args[i];
        QString v;
        bool passwordOk = true;
        if (TakeCliPasswordOption(args, i, password, passwordOk)) {
            if (!passwordOk) {
                *error = opt + u" needs a value"_s;
                return false;
            }
        } else if (opt == "--no-ipv6"_L1) {
            out.NoIPv6 = true;
        } else if (opt == "--host"_L1) {
            if (!value(opt, &out.Host))
                return false;
        } else if (opt == "--user"_L1) {
            if (!value(opt, &out.User))
                return false;
        } else if (opt == "--ssdm"_L1) {
            if (!value(opt, &out.SSDM))
                return false;
        } else if (opt == "--port"_L1) {
            if (!value(opt, &v) || !ParseInt(v, 0, 65535, &out.Port)) {
                *error = u"--port needs a number from 0 to 65535"_s;
                return false;
            }
        } else if (opt == "--timeout"_L1) {
            int seconds = 0;
            if (!value(opt, &v) || !ParseInt(v, 0, 2000000, &seconds)) {
                *error = u"--timeout needs a number of seconds"_s;
                return false;
            }
            out.TimeoutMs = seconds * 1000;
        } else {
            *error = u"unknown option "_s + opt;
            return false;
        }
    }
    if (out.Host.isEmpty() || out.Port < 0 || out.User.isEmpty()) {
        *error = u"--host, --port and --user are needed"_s;
        return false;
    }
    if (!ResolveCliPassword(password, out.Password, error))
        return false;
    QStringList current;
    for (; i < args.size(); ++i) {
        if (args[i] == "+"_L1) {
            out.Commands.append(current);
            current.clear();
        } else {
            current.append(args[i]);
        }
    }
    if (!current.isEmpty() || !out.Commands.isEmpty())
        out.Commands.append(current);
    return true;
}

// Runs one command (checked by IsValidCommand) on the context.
int RunOne(TZKALinkCtxt &ctx, const QStringList &cmd, TOutputs &outputs)
{
    const QString name = cmd.value(0);
    const auto argc = cmd.size() - 1;
    int n1 = 0, n2 = 0;
    if (name == "login"_L1 && argc == 0)
        return ctx.OpenConnection();
    if (name == "state"_L1 && argc == 0) {
        bool dmk = false, jhk = false;
        const int r = ctx.QueryMemberState(dmk, jhk);
        outputs = {{u"newdmk"_s, QString::number(int(dmk))}, {u"newjhk"_s, QString::number(int(jhk))}};
        return r;
    }
    if (name == "dqpc"_L1 && argc == 0) {
        QString pcdm;
        const int r = ctx.QueryDQPC(pcdm);
        outputs = {{u"pcdm"_s, JsonString(pcdm)}};
        return r;
    }
    if ((name == "dmk"_L1 || name == "jhk"_L1) && argc == 1) {
        const int r = name == "dmk"_L1 ? ctx.RequestDMK(cmd[1]) : ctx.RequestJHK(cmd[1]);
        outputs = {{u"bytes"_s, FileSizeJson(cmd[1])}};
        return r;
    }
    if (name == "tdd"_L1 && argc == 5 && ParseInt(cmd[4], INT32_MIN, INT32_MAX, &n1)) {
        const int r = ctx.RequestTDD(cmd[1], cmd[2], cmd[3], n1, cmd[5]);
        const std::optional<int32_t> bh = PackageNumber(cmd[5]);
        outputs = {{u"bytes"_s, FileSizeJson(cmd[5])}, {u"tddbh"_s, bh ? QString::number(*bh) : u"null"_s}};
        return r;
    }
    if (name == "upload"_L1 && argc == 5 && ParseInt(cmd[4], INT32_MIN, INT32_MAX, &n1)) {
        const int r = ctx.UpLoadResult(cmd[1], cmd[2], cmd[3], n1, cmd[5]);
        outputs = {{u"bytes"_s, FileSizeJson(cmd[5])}};
        return r;
    }
    if (name == "allzy"_L1 && argc == 2) {
        const int r = ctx.RequestAllZY(cmd[1], cmd[2]);
        outputs = {{u"bytes"_s, FileSizeJson(cmd[2])}};
        return r;
    }
    if (name == "photo"_L1 && argc == 3 && ParseInt(cmd[2], 0, 255, &n2)) {
        QString ext;
        const int r = ctx.RequestPhoto(cmd[1], cmd[3], uint8_t(n2), ext);
        outputs = {{u"ext"_s, JsonString(ext)}, {u"bytes"_s, FileSizeJson(cmd[3])}};
        return r;
    }
    return lrNotDone;
}

// A known command with the right number of arguments and valid numbers.
bool IsValidCommand(const QStringList &cmd)
{
    static const QStringList names = {u"login"_s, u"state"_s,  u"dqpc"_s,  u"dmk"_s,  u"jhk"_s,
                                      u"tdd"_s,   u"upload"_s, u"allzy"_s, u"photo"_s};
    static const int argCounts[] = {0, 0, 0, 1, 1, 5, 5, 2, 3};
    const qsizetype at = names.indexOf(cmd.value(0));
    if (at < 0 || cmd.size() - 1 != argCounts[at])
        return false;
    int n;
    if (cmd[0] == "tdd"_L1 || cmd[0] == "upload"_L1)
        return ParseInt(cmd[4], INT32_MIN, INT32_MAX, &n);
    if (cmd[0] == "photo"_L1)
        return ParseInt(cmd[2], 0, 255, &n);
    return true;
}

} // namespace

int RunLinkCommand(const QStringList &args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    TLinkArgs parsed;
    QString error;
    const bool parsedOk = ParseArgs(args, parsed, &error);
    if (!parsed.User.isEmpty() && CliRefusesUserName("link", parsed.User))
        return 2;
    if (!parsedOk) {
        err << "zelkinc-cli link: " << error << '\n' << kUsage;
        return 2;
    }
    for (const QStringList &cmd : parsed.Commands) {
        if (!IsValidCommand(cmd)) {
            err << "zelkinc-cli link: bad command: " << cmd.join(u' ') << '\n' << kUsage;
            return 2;
        }
    }
    // The handshake reads these login values.
    ZKMainDef().LoginInfo.SSDM = parsed.SSDM;
    ZKMainDef().LoginInfo.Password = parsed.Password;
    ZKMainDef().LoginInfo.UserName = parsed.User;

    TLinkOptions options;
    options.ReadTimeoutMs = parsed.TimeoutMs;
    options.IPv6Allowed = !parsed.NoIPv6;
    TZKALinkCtxt ctx(parsed.Host, parsed.Port, parsed.User, parsed.Password, options);
    int status = 0;
    const int login = ctx.OpenConnection();
    out << "login " << login << Qt::endl;
    if (login != lrOK)
        return 1;
    for (const QStringList &cmd : parsed.Commands) {
        TOutputs outputs;
        const int r = RunOne(ctx, cmd, outputs);
        out << cmd[0] << ' ' << r;
        if (r == lrOK) {
            for (const auto &[key, json] : outputs)
                out << ' ' << key << '=' << json;
        }
        out << Qt::endl;
        if (r != lrOK)
            status = 1;
    }
    return status;
}
