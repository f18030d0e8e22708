#include "store/Compaction.h"

#include "store/StorageFolder.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Closes the connection on every path (a null handle from a failed open as well).
struct TSqliteCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using TSqlitePtr = std::unique_ptr<sqlite3, TSqliteCloser>;

TSqlitePtr OpenDatabase(const QString &file, int flags)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, flags, nullptr);
    TSqlitePtr owner(db);
    if (rc != SQLITE_OK)
        return {};
    sqlite3_busy_timeout(db, 5000);
    return owner;
}

bool VacuumInto(const QString &databaseFile, const QString &tempFile)
{
    // Read-write (not create): a rollback journal left by a crash must be rolled back
    // before the copy, and a missing database must not be made up.
    TSqlitePtr db = OpenDatabase(databaseFile, SQLITE_OPEN_READWRITE);
    if (!db)
        return false;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), "VACUUM INTO ?1", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    const QByteArray target = QFile::encodeName(tempFile);
    sqlite3_bind_text(statement, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        return false;
    return sqlite3_close(db.release()) == SQLITE_OK;
}

bool PassesQuickCheck(const QString &file)
{
    TSqlitePtr db = OpenDatabase(file, SQLITE_OPEN_READONLY);
    if (!db)
        return false;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA quick_check", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    const bool ok = sqlite3_step(statement) == SQLITE_ROW
                    && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), "ok") == 0;
    sqlite3_finalize(statement);
    return ok;
}

bool SyncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// After the last connection has closed, a write-ahead log with frames in it would be
// replayed onto the new file and corrupt it; its absence (or emptiness) is required.
bool NoPendingLog(const QString &databaseFile)
{
    const QFileInfo wal(databaseFile + u"-wal"_s);
    const QFileInfo journal(databaseFile + u"-journal"_s);
    return (!wal.exists() || wal.size() == 0) && (!journal.exists() || journal.size() == 0);
}

bool CompactThroughTemp(const QString &databaseFile, const QString &tempFile)
{
    if (!VacuumInto(databaseFile, tempFile) || !NoPendingLog(databaseFile) || !PassesQuickCheck(tempFile))
        return false;
    // The database's own mode, never more open than the member's alone.
    QFile::setPermissions(tempFile, QFile::permissions(databaseFile)
                                        & ~(QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                            | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    if (!SyncPath(tempFile, O_RDONLY))
        return false;
    QFile::remove(databaseFile + u"-wal"_s);
    QFile::remove(databaseFile + u"-shm"_s);
    // rename() replaces the database in one step: a crash leaves the old or the new file.
    if (std::rename(QFile::encodeName(tempFile).constData(), QFile::encodeName(databaseFile).constData()) != 0)
        return false;
    SyncPath(QFileInfo(databaseFile).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace

bool CompactDatabaseFile(const QString &databaseFile, const QString &tempFile)
{
    if (!QFileInfo(databaseFile).isFile())
        return false;
    if (QFileInfo::exists(tempFile) && !QFile::remove(tempFile))
        return false;
    if (CompactThroughTemp(databaseFile, tempFile))
        return true;
    QFile::remove(tempFile);
    return false;
}

bool CompactMainDatabase(const QString &userFolder)
{
    return CompactDatabaseFile(userFolder + UnivDatabaseFileName, userFolder + CompactionTempFileName);
}
