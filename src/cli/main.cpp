#include "CliCommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <clocale>
#include <cstring>

namespace {

struct CommandEntry
{
    const char *name;
    int (*run)(const QStringList &args);
};

// Each command lives in its own file (Command<Name>.cpp).
const CommandEntry kCommands[] = {
    {"recordset", RunRecordsetCommand},
    {"link", RunLinkCommand},
    {"grid", RunGridCommand},
    {"sync", RunSyncCommand},
    {"send-results", RunSendResultsCommand},
};

int usage()
{
    QTextStream err(stderr);
    err << "usage: zelkinc-cli COMMAND [ARGS]\ncommands:";
    for (const CommandEntry &c : kCommands)
        err << ' ' << c.name;
    err << '\n';
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // libarchive converts member names through the C locale; make it UTF-8.
    if (!std::strstr(std::setlocale(LC_CTYPE, nullptr), "UTF-8"))
        std::setlocale(LC_CTYPE, "C.UTF-8");
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    for (const CommandEntry &c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    return usage();
}
