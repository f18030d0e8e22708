#pragma once

#include <QByteArray>
#include <QString>

// Helpers shared by every test program. Tests use real parts: files in a
// temporary folder, loopback TCP, real archive and recordset bytes.
namespace zktest {

// The source tree (ctest passes ZK_SOURCE_DIR).
QString sourceDir();
// A file below tests/data of the source tree.
QString dataPath(const QString &relative);
// The build's program folder with the programs and shipped files (ZK_PROGRAM_FOLDER).
QString programFolder();
// Whole contents of a file; fails the calling test through QFAIL-style abort when missing.
QByteArray readFile(const QString &path);

} // namespace zktest
