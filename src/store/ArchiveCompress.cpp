#include "store/Archive.h"
#include "store/ArchiveSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace zkarchive;

namespace {

struct TWriteCloser
{
    void operator()(archive *a) const { archive_write_free(a); }
};
using TArchiveWritePtr = std::unique_ptr<archive, TWriteCloser>;

struct TEntryFree
{
    void operator()(archive_entry *e) const { archive_entry_free(e); }
};
using TEntryPtr = std::unique_ptr<archive_entry, TEntryFree>;

// A ZIP writer on an open file: deflate, UTF-8 names with flag 0x800 in any locale, no
// padding after the end record.
TArchiveWritePtr OpenZipWriter(int fd)
{
    TArchiveWritePtr a(archive_write_new());
    if (!a || archive_write_set_format_zip(a.get()) != ARCHIVE_OK
        || archive_write_set_options(a.get(), "zip:hdrcharset=UTF-8,zip:compression=deflate") != ARCHIVE_OK
        || archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK
        || archive_write_open_fd(a.get(), fd) != ARCHIVE_OK)
        return {};
    return a;
}

// Copies the members of an existing archive, except those named in replaced. Data is read
// and written again: libarchive cannot copy compressed data as it stands.
bool CopyOldMembers(archive *writer, const QString &archiveFile, const QSet<QString> &replaced)
{
    const TArchiveReadPtr reader = OpenArchiveForReading(archiveFile, u"zip"_s);
    if (!reader)
        return false;
    char buffer[64 * 1024];
    for (;;) {
        archive_entry *entry = nullptr;
        const int r = archive_read_next_header(reader.get(), &entry);
        if (r == ARCHIVE_EOF)
            return archive_read_close(reader.get()) == ARCHIVE_OK;
        if (r < ARCHIVE_WARN)
            return false;
        const QString name = EntryPathName(entry);
        if (replaced.contains(name))
            continue;
        archive_entry_set_pathname_utf8(entry, name.toUtf8().constData());
        if (archive_write_header(writer, entry) != ARCHIVE_OK)
            return false;
        for (;;) {
            const la_ssize_t n = archive_read_data(reader.get(), buffer, sizeof buffer);
            if (n < 0)
                return false;
            if (n == 0)
                break;
            if (archive_write_data(writer, buffer, size_t(n)) != n)
                return false;
        }
    }
}

bool AddFile(archive *writer, const QFileInfo &file)
{
    QFile input(file.filePath());
    if (!input.open(QIODevice::ReadOnly))
        return false;
    const TEntryPtr entry(archive_entry_new());
    archive_entry_set_pathname_utf8(entry.get(), file.fileName().toUtf8().constData());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), input.size());
    archive_entry_set_mtime(entry.get(), file.lastModified().toSecsSinceEpoch(), 0);
    if (archive_write_header(writer, entry.get()) != ARCHIVE_OK)
        return false;
    char buffer[64 * 1024];
    qint64 total = 0;
    for (;;) {
        const qint64 n = input.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (archive_write_data(writer, buffer, size_t(n)) != n)
            return false;
        total += n;
    }
    // The header announced the size; a file that changed meanwhile would give a bad member.
    return total == input.size();
}

// The regular files of the folder by name, without the archive being written.
QFileInfoList FilesToAdd(const QString &sourceFolder, const QString &archiveFile)
{
    QFileInfoList files = QDir(sourceFolder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    const QString archivePath = QFileInfo(archiveFile).absoluteFilePath();
    files.removeIf([&](const QFileInfo &f) { return f.absoluteFilePath() == archivePath; });
    return files;
}

bool WriteArchive(int fd, const QString &archiveFile, const QFileInfoList &files)
{
    const TArchiveWritePtr writer = OpenZipWriter(fd);
    if (!writer)
        return false;
    if (QFileInfo(archiveFile).exists()) {
        QSet<QString> names;
        for (const QFileInfo &f : files)
            names.insert(f.fileName());
        if (!CopyOldMembers(writer.get(), archiveFile, names))
            return false;
    }
    for (const QFileInfo &f : files) {
        if (!AddFile(writer.get(), f))
            return false;
    }
    return archive_write_close(writer.get()) == ARCHIVE_OK;
}

} // namespace

int CompressFolder(const QString &archiveFile, const QString &sourceFolder)
{
    if (ArchiveKind(archiveFile) != u"zip"_s || !QFileInfo(sourceFolder).isDir())
        return cfFailed;
    const TUtf8CTypeScope utf8;
    const QFileInfo target(archiveFile);
    if (target.exists() && !target.isFile())
        return cfFailed;
    const QFileInfoList files = FilesToAdd(sourceFolder, archiveFile);
    // Written beside the archive and renamed over it when complete.
    QTemporaryFile temp(target.absolutePath() + u"/.zk-compress-XXXXXX"_s);
    if (!temp.open())
        return cfFailed;
    if (!WriteArchive(temp.handle(), archiveFile, files) || !temp.flush() || ::fsync(temp.handle()) != 0)
        return cfFailed;
    temp.setPermissions(QFile::ReadOwner | QFile::WriteOwner); // the member's alone
    temp.close();
    if (::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target.absoluteFilePath()).constData())
        != 0)
        return cfFailed;
    temp.setAutoRemove(false);
    return cfDone;
}
