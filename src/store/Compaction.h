#pragma once

#include <QString>

// The compaction of the main database at exit, done when dossiers were imported in this
// run and after the main connection has been closed.

inline const QString CompactionTempFileName = QStringLiteral("ZelkinCUniv2.mdb");

// Rewrites databaseFile without its free pages through tempFile: the temporary file is
// deleted, the database is copied into it compacted ("VACUUM INTO"), the copy is checked
// and synced, and it is renamed over the database in one step. Any failure leaves the
// database as it was and no temporary file behind. True when the database was replaced.
// The database must not be open elsewhere with changes still in a write-ahead log.
bool CompactDatabaseFile(const QString &databaseFile, const QString &tempFile);

// The exit compaction of userFolder + "ZelkinCUniv.mdb" through userFolder +
// "ZelkinCUniv2.mdb" (userFolder ends with '/'). Failures are swallowed: the program is
// ending and the uncompacted database is as good as before; the result is for tests.
bool CompactMainDatabase(const QString &userFolder);
