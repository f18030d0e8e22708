#include "CliCommands.h"

#include <QTextStream>

int RunSendResultsCommand(const QStringList &)
{
    QTextStream(stderr) << "not available yet\n";
    return 2;
}
