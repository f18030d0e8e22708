#include "CliCommands.h"

#include <QTextStream>

int RunSyncCommand(const QStringList &)
{
    QTextStream(stderr) << "not available yet\n";
    return 2;
}
