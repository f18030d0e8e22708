// zelkinc-cli export: being built.
#include "CliCommands.h"

#include <QTextStream>

int RunExportCommand(const QStringList &)
{
    QTextStream(stderr) << "zelkinc-cli export: not available yet\n";
    return 1;
}
