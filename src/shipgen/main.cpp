// zelkinc-shipgen <program folder>: writes the shipped files of the program folder.

#include "ShipGenerators.h"

#include <QString>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelkinc-shipgen <program folder>\n");
        return 2;
    }
    const QStringList failures = WriteShippedFiles(QString::fromLocal8Bit(argv[1]));
    for (const QString &failure : failures)
        std::fprintf(stderr, "zelkinc-shipgen: %s\n", qPrintable(failure));
    return failures.isEmpty() ? 0 : 1;
}
