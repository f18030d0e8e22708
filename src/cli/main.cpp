#include "CliCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <clocale>
#include <cstring>
#include <memory>

namespace {

struct CommandEntry
{
    const char *name;
    int (*run)(const QStringList &args);
    // The command renders (fonts, pages, PDF): it runs a GUI application on the
    // offscreen platform, so that it needs no display.
    bool renders = false;
};

// Each command lives in its own file (Command<Name>.cpp).
const CommandEntry kCommands[] = {
    {"recordset", RunRecordsetCommand},
    {"link", RunLinkCommand},
    {"grid", RunGridCommand},
    {"sync", RunSyncCommand},
    {"send-results", RunSendResultsCommand},
    {"page", RunPageCommand},
    {"stats", RunStatsCommand, true},
    {"print", RunPrintCommand, true},
    {"export", RunExportCommand},
    {"journal", RunJournalCommand},
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
    const CommandEntry *command = nullptr;
    for (const CommandEntry &c : kCommands) {
        if (argc > 1 && std::strcmp(argv[1], c.name) == 0)
            command = &c;
    }
    if (!command)
        return usage();
    std::unique_ptr<QCoreApplication> app;
    if (command->renders) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return command->run(app->arguments().mid(2));
}
