#include "store/Archive.h"
#include "store/ArchiveSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace zkarchive;

namespace {

// A file descriptor closed when it goes out of scope.
class TFd
{
public:
    explicit TFd(int fd = -1) : FFd(fd) {}
    ~TFd() { Reset(); }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    int Release()
    {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Reset(int fd = -1)
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = fd;
    }

private:
    int FFd;
};

// Splits a member path into the steps below the target folder. False for a path that
// would leave it: absolute, with a drive letter, or with a ".." step. Backslashes count as
// separators, as in the Windows tools that made the packages; empty and "." steps drop out.
bool SafeRelativeSteps(QString path, QStringList &steps)
{
    path.replace(u'\\', u'/');
    if (path.startsWith(u'/'))
        return false;
    steps.clear();
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part == u"."_s)
            continue;
        if (part == u".."_s)
            return false;
        steps.append(part);
    }
    const bool driveLetter = !steps.isEmpty() && steps.first().size() >= 2 && steps.first().at(1) == u':'
                             && steps.first().at(0).isLetter();
    return !driveLetter;
}

// Names that start like the extractor's temporary files are kept for them: a member so
// named would look like a file left behind by a failed extraction, and could be taken
// for one and removed.
const char TempNamePrefix[] = ".zk-extract-";

bool HasReservedStep(const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step.startsWith(QLatin1String(TempNamePrefix)))
            return true;
    }
    return false;
}

// Walks from base down the folder steps, creating missing folders. Each step is opened
// without following a symbolic link, so a link planted in the target folder cannot carry
// a member elsewhere. The open folder, or an invalid descriptor on failure.
int OpenFolderSteps(int base, const QStringList &steps)
{
    TFd current(::fcntl(base, F_DUPFD_CLOEXEC, 0));
    for (const QString &step : steps) {
        if (!current.Valid())
            return -1;
        const QByteArray name = QFile::encodeName(step);
        // Received files are the member's alone: folders 0700, files 0600.
        if (::mkdirat(current.Get(), name.constData(), 0700) != 0 && errno != EEXIST)
            return -1;
        current.Reset(::openat(current.Get(), name.constData(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return current.Release();
}

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Creates a fresh temporary file in the folder; its name in tempName.
int CreateTempFile(int folder, QByteArray &tempName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = TempNamePrefix + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".part";
        const int fd = ::openat(folder, tempName.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool CopyMemberData(archive *a, int fd)
{
    char buffer[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0 || !WriteAll(fd, buffer, size_t(n)))
            return false;
    }
}

// The member's data into folder/name, through a temporary file renamed over the name.
bool WriteMemberFile(archive *a, int folder, const QString &name)
{
    QByteArray tempName;
    TFd file(CreateTempFile(folder, tempName));
    if (!file.Valid())
        return false;
    bool ok = CopyMemberData(a, file.Get()) && ::fsync(file.Get()) == 0;
    ok = ::close(file.Release()) == 0 && ok;
    // renameat() replaces an existing file (or a symbolic link itself, never its target).
    ok = ok && ::renameat(folder, tempName.constData(), folder, QFile::encodeName(name).constData()) == 0;
    if (!ok)
        ::unlinkat(folder, tempName.constData(), 0);
    return ok;
}

// Extracts the current member; false when it was not (fully) extracted.
bool ExtractMember(archive *a, archive_entry *entry, int destFolder)
{
    QStringList steps;
    const mode_t type = archive_entry_filetype(entry);
    const bool plain = archive_entry_hardlink(entry) == nullptr && (type == AE_IFREG || type == AE_IFDIR);
    if (!plain || !SafeRelativeSteps(EntryPathName(entry), steps) || HasReservedStep(steps))
        return false;
    if (type == AE_IFDIR) {
        TFd folder(OpenFolderSteps(destFolder, steps));
        return folder.Valid();
    }
    if (steps.isEmpty())
        return false;
    const QString name = steps.takeLast();
    TFd folder(OpenFolderSteps(destFolder, steps));
    return folder.Valid() && WriteMemberFile(a, folder.Get(), name);
}

} // namespace

int ExtractArchive(const QString &archiveFile, const QString &destFolder)
{
    if (!QFileInfo(archiveFile).isFile())
        return eaNoArchiveFile;
    if (!QFileInfo(destFolder).isDir())
        return eaNoDestFolder;
    const TUtf8CTypeScope utf8;
    const TArchiveReadPtr a = OpenArchiveForReading(archiveFile, ArchiveKind(archiveFile));
    if (!a)
        return eaExtractFailed;
    const TFd dest(::open(QFile::encodeName(destFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dest.Valid())
        return eaExtractFailed;
    bool ok = true;
    for (;;) {
        archive_entry *entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r == ARCHIVE_FATAL) {
            ok = false;
            break;
        }
        // ARCHIVE_WARN still gives a usable member; a member that failed is skipped. The
        // next header call skips whatever of its data was not read.
        if (r < ARCHIVE_WARN || !ExtractMember(a.get(), entry, dest.Get()))
            ok = false;
    }
    if (archive_read_close(a.get()) != ARCHIVE_OK)
        ok = false;
    return ok ? eaExtracted : eaExtractFailed;
}
