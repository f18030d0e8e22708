#include "CliCommands.h"

#include <QTextStream>

int RunLinkCommand(const QStringList &)
{
    QTextStream(stderr) << "not available yet\n";
    return 2;
}
