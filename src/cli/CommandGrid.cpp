#include "CliCommands.h"

#include <QTextStream>

int RunGridCommand(const QStringList &)
{
    QTextStream(stderr) << "not available yet\n";
    return 2;
}
