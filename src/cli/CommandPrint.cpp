// zelkinc-cli print: being built.
#include "CliCommands.h"

#include <QTextStream>

int RunPrintCommand(const QStringList &)
{
    QTextStream(stderr) << "zelkinc-cli print: not available yet\n";
    return 1;
}
