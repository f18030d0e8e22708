#include "CliCommands.h"

#include <QTextStream>

int RunRecordsetCommand(const QStringList &)
{
    QTextStream(stderr) << "not available yet\n";
    return 2;
}
