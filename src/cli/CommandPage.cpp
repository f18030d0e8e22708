// zelkinc-cli page: being built.
#include "CliCommands.h"

#include <QTextStream>

int RunPageCommand(const QStringList &)
{
    QTextStream(stderr) << "zelkinc-cli page: not available yet\n";
    return 1;
}
