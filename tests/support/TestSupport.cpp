#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace zktest {

QString sourceDir()
{
    const QString dir = qEnvironmentVariable("ZK_SOURCE_DIR");
    if (dir.isEmpty())
        qFatal("ZK_SOURCE_DIR is not set; run the tests through ctest");
    return dir;
}

QString dataPath(const QString &relative)
{
    return QDir(sourceDir()).filePath(QStringLiteral("tests/data/") + relative);
}

QString programFolder()
{
    const QString dir = qEnvironmentVariable("ZK_PROGRAM_FOLDER");
    if (dir.isEmpty())
        qFatal("ZK_PROGRAM_FOLDER is not set; run the tests through ctest");
    return dir;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read test file %s", qPrintable(path));
    return file.readAll();
}

} // namespace zktest
