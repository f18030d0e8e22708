#pragma once

#include <QString>

// Named locks shared by every process of the user that opens the same files.
//
// A lock is an advisory flock() on a lock file named after the lock, in the user's
// runtime folder ($XDG_RUNTIME_DIR, else a private folder below the temporary folder).
// The kernel releases it when the holding process dies, so a crashed program never
// blocks the next one. Every take opens the file anew, so two threads of one process
// contend like two processes. Like the mutexes the program was designed around, a lock
// is recursive for the thread that holds it: a thread that takes a lock it already holds
// gets a second handle at once, and the lock is free again when every handle is freed.
//
// A lock file that cannot be created or locked (no runtime folder, no space) raises
// EZKError: working on the guarded file without its lock would risk it.

inline const QString UniqueInstanceLockName = QStringLiteral("ZKMUTEX_UNIQUE_U");
inline const QString ShareLockPrefix = QStringLiteral("ZKMUTEX_ZELKINC_UNIV_SHARE_");
inline const QString ProvinceListLockName = QStringLiteral("ZKMUTEX_T_SSZT");

// The handle of a held lock, freed when it goes out of scope. A default-constructed or
// moved-from handle is the null handle: it holds nothing and freeing it does nothing.
class TNamedLock
{
public:
    TNamedLock() = default;
    ~TNamedLock() { Release(); }
    TNamedLock(TNamedLock &&other) noexcept;
    TNamedLock &operator=(TNamedLock &&other) noexcept;
    TNamedLock(const TNamedLock &) = delete;
    TNamedLock &operator=(const TNamedLock &) = delete;

    // Waits without a time limit until the calling thread holds the lock.
    static TNamedLock Take(const QString &name);
    // Takes the lock when nobody else holds it; the null handle otherwise.
    static TNamedLock TryTake(const QString &name);

    bool IsHeld() const { return !FName.isEmpty(); }
    explicit operator bool() const { return IsHeld(); }
    const QString &Name() const { return FName; }
    // Gives this handle's hold back; the handle becomes the null handle.
    void Release();

private:
    explicit TNamedLock(QString name) : FName(std::move(name)) {}
    static TNamedLock Acquire(const QString &name, bool wait);

    QString FName;
};

// The folder of the lock files, ending with '/'; created (private to the user) when missing.
QString NamedLockFolder();
// The lock file of a lock name (characters other than letters, digits, '_' and '-' are
// written as %XX of their UTF-8 bytes, so a name never leaves the folder).
QString NamedLockFile(const QString &name);

// The operations by the names the rest of the program knows them.
TNamedLock TakeNamedLock(const QString &name);
void FreeNamedLock(TNamedLock &handle);
// Guards every use of the shared database of any user of the province SSPY.
TNamedLock TakeShareLock(const QString &sspy);
// Guards every read and write of the province list file "t_sszt.adtg".
TNamedLock TakeProvinceListLock();
// The single-instance lock, tried without waiting: the null handle means that another
// instance of the program runs.
TNamedLock TryTakeUniqueInstanceLock();
