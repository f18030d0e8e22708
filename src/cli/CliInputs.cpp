#include "CliInputs.h"

#include "store/NameGuards.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The first line of a file or of the standard input, without its line end.
bool ReadFirstLine(const QString &file, QString &line, QString *error)
{
    QFile in;
    const bool opened = file == "-"_L1 ? in.open(stdin, QIODevice::ReadOnly)
                                        : (in.setFileName(file), in.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = u"cannot read the password file %1: %2"_s.arg(file, in.errorString());
        return false;
    }
    QByteArray bytes = in.readLine();
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    line = QString::fromUtf8(bytes);
    return true;
}

} // namespace

bool TakeCliPasswordOption(const QStringList &args, qsizetype &i, TCliPassword &password, bool &ok)
{
    const QString &opt = args[i];
    QString *into = nullptr;
    if (opt == "--password"_L1) {
        password.HasValue = true;
        into = &password.Value;
    } else if (opt == "--password-file"_L1) {
        password.HasFile = true;
        into = &password.File;
    } else {
        return false;
    }
    ok = i + 1 < args.size();
    if (ok)
        *into = args[++i];
    return true;
}

bool ResolveCliPassword(const TCliPassword &password, QString &out, QString *error)
{
    if (password.HasValue && password.HasFile) {
        *error = u"give either --password or --password-file, not both"_s;
        return false;
    }
    if (password.HasValue) {
        out = password.Value;
        return true;
    }
    if (password.HasFile)
        return ReadFirstLine(password.File, out, error);
    out = qEnvironmentVariable("ZELKINC_PASSWORD");
    return true;
}

bool CliRefusesUserName(const char *command, const QString &user)
{
    if (IsPlainUserName(user))
        return false;
    QTextStream(stderr) << "zelkinc-cli " << command << ": " << UserNameRefusalText() << '\n';
    return true;
}
