#include "store/NamedLock.h"

#include "store/ZKError.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The locks this process holds: which thread, how many handles, the open lock file.
// Needed for the recursion of the owning thread; other threads meet the flock() itself.
struct TLockEntry
{
    std::thread::id Owner;
    int Depth = 0;
    int Fd = -1;
};

std::mutex &RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

QHash<QString, TLockEntry> &Registry()
{
    static QHash<QString, TLockEntry> registry;
    return registry;
}

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Creates a folder private to the user, or checks that an existing one is a real folder
// of this user that nobody else may write to (the fallback lives in a shared folder).
void EnsurePrivateFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw EZKError(u"无法创建锁文件夹 "_s + folder + u": "_s + SystemErrorText(errno));
    struct stat st{};
    if (::lstat(path.constData(), &st) != 0)
        throw EZKError(u"无法访问锁文件夹 "_s + folder + u": "_s + SystemErrorText(errno));
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        throw EZKError(u"锁文件夹 "_s + folder + u" 不属于当前用户"_s);
}

QString EncodedLockName(const QString &name)
{
    QString result;
    for (const char c : name.toUtf8()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                           || c == '_' || c == '-';
        if (plain)
            result += QLatin1Char(c);
        else
            result += u'%' + QStringLiteral("%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0')).toUpper();
    }
    return result;
}

// Opens the lock file and locks it; -1 when wait is false and someone else holds it.
int OpenAndLock(const QString &name, bool wait)
{
    const QString file = NamedLockFile(name);
    // O_CLOEXEC: a program started from here (the restart after a new login) must not
    // inherit the lock and keep it alive after this process has ended.
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw EZKError(u"无法打开锁文件 "_s + file + u": "_s + SystemErrorText(errno));
    const int operation = wait ? LOCK_EX : (LOCK_EX | LOCK_NB);
    while (::flock(fd, operation) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        ::close(fd);
        if (error == EWOULDBLOCK && !wait)
            return -1;
        throw EZKError(u"无法锁定锁文件 "_s + file + u": "_s + SystemErrorText(error));
    }
    return fd;
}

} // namespace

QString NamedLockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder;
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
        folder = QDir(runtime).filePath(u"zelkinc"_s);
    } else {
        // No session runtime folder (a plain su, a service): a private folder of this
        // user below the temporary folder keeps the locks of one user together.
        folder = QDir(QDir::tempPath()).filePath(u"zelkinc-locks-"_s + QString::number(::getuid()));
    }
    EnsurePrivateFolder(folder);
    return folder + u'/';
}

QString NamedLockFile(const QString &name)
{
    return NamedLockFolder() + EncodedLockName(name) + u".lock"_s;
}

TNamedLock::TNamedLock(TNamedLock &&other) noexcept : FName(std::move(other.FName))
{
    other.FName.clear();
}

TNamedLock &TNamedLock::operator=(TNamedLock &&other) noexcept
{
    if (this != &other) {
        Release();
        FName = std::move(other.FName);
        other.FName.clear();
    }
    return *this;
}

TNamedLock TNamedLock::Take(const QString &name)
{
    return Acquire(name, true);
}

TNamedLock TNamedLock::TryTake(const QString &name)
{
    return Acquire(name, false);
}

TNamedLock TNamedLock::Acquire(const QString &name, bool wait)
{
    if (name.isEmpty())
        throw EZKError(u"锁名为空"_s);
    const std::thread::id me = std::this_thread::get_id();
    {
        std::lock_guard guard(RegistryMutex());
        const auto it = Registry().find(name);
        if (it != Registry().end()) {
            if (it->Owner == me) {
                ++it->Depth;
                return TNamedLock(name);
            }
            if (!wait)
                return {};
        }
    }
    // Blocks outside the registry so that the holder can free the lock meanwhile. The
    // holder removes its entry before it closes the file, so the entry is gone once
    // flock() lets this thread through.
    const int fd = OpenAndLock(name, wait);
    if (fd < 0)
        return {};
    std::lock_guard guard(RegistryMutex());
    Registry().insert(name, TLockEntry{me, 1, fd});
    return TNamedLock(name);
}

void TNamedLock::Release()
{
    if (FName.isEmpty())
        return;
    {
        std::lock_guard guard(RegistryMutex());
        const auto it = Registry().find(FName);
        if (it != Registry().end() && --it->Depth <= 0) {
            const int fd = it->Fd;
            Registry().erase(it);
            ::close(fd); // closing the only descriptor of the open file frees the flock
        }
    }
    FName.clear();
}

TNamedLock TakeNamedLock(const QString &name)
{
    return TNamedLock::Take(name);
}

void FreeNamedLock(TNamedLock &handle)
{
    handle.Release();
}

TNamedLock TakeShareLock(const QString &sspy)
{
    return TakeNamedLock(ShareLockPrefix + sspy);
}

TNamedLock TakeProvinceListLock()
{
    return TakeNamedLock(ProvinceListLockName);
}

TNamedLock TryTakeUniqueInstanceLock()
{
    return TNamedLock::TryTake(UniqueInstanceLockName);
}
