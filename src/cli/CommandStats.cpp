// zelkinc-cli stats: being built.
#include "CliCommands.h"

#include <QTextStream>

int RunStatsCommand(const QStringList &)
{
    QTextStream(stderr) << "zelkinc-cli stats: not available yet\n";
    return 1;
}
