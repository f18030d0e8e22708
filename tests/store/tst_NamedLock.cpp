#include "store/NamedLock.h"
#include "store/ZKError.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;

// Real processes contend for the locks: the test program starts itself in a child mode
//   --lock-child NAME take|try   takes (waiting) or tries the lock, prints "taken" or
//                                "busy", then frees it and prints "released" when it
//                                reads a line; ends at the end of its input
//   --idle                       waits for the end of its input (a child that inherits
//                                whatever the parent leaves open)
// All of them share the parent's private XDG_RUNTIME_DIR.

namespace {

int RunLockChild(const QString &name, const QString &mode)
{
    TNamedLock lock = mode == u"take"_s ? TakeNamedLock(name) : TNamedLock::TryTake(name);
    std::cout << (lock ? "taken" : "busy") << std::endl;
    std::string line;
    if (std::getline(std::cin, line)) {
        FreeNamedLock(lock);
        std::cout << "released" << std::endl;
        std::getline(std::cin, line);
    }
    return 0;
}

class TChild
{
public:
    explicit TChild(const QStringList &arguments)
    {
        FProcess.start(QCoreApplication::applicationFilePath(), arguments);
    }
    ~TChild()
    {
        FProcess.closeWriteChannel();
        if (!FProcess.waitForFinished(10000))
            FProcess.kill();
        FProcess.waitForFinished();
    }
    // The next line the child prints (waiting as long as it takes, within reason).
    QByteArray ReadLine()
    {
        while (!FProcess.canReadLine()) {
            if (!FProcess.waitForReadyRead(30000))
                return "(no answer)";
        }
        return FProcess.readLine().trimmed();
    }
    void Tell(const QByteArray &line) { FProcess.write(line + '\n'); }
    QProcess &Process() { return FProcess; }

private:
    QProcess FProcess;
};

} // namespace

class TestNamedLock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lockFilesStayInTheirFolder();
    void folderWithoutRuntimeDir();
    void twoProcessesContend();
    void killedHolderReleases();
    void singleInstance();
    void childProcessDoesNotInheritLock();
    void threadsOfOneProcessContend();
    void holdingThreadMayTakeAgain();
    void nullAndMovedHandles();

private:
    QTemporaryDir FRuntime;
};

void TestNamedLock::initTestCase()
{
    QVERIFY(FRuntime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FRuntime.path()));
}

void TestNamedLock::lockFilesStayInTheirFolder()
{
    const QString folder = FRuntime.path() + u"/zelkinc/"_s;
    QCOMPARE(NamedLockFolder(), folder);
    QCOMPARE(NamedLockFile(ShareLockPrefix + u"BJ"_s), folder + u"ZKMUTEX_ZELKINC_UNIV_SHARE_BJ.lock"_s);
    QCOMPARE(NamedLockFile(u"../x/北"_s), folder + u"%2E%2E%2Fx%2F%E5%8C%97.lock"_s);
    QVERIFY(QFile::permissions(folder) == (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                           | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
    TNamedLock lock = TakeShareLock(u"BJ"_s);
    QVERIFY(lock);
    QCOMPARE(lock.Name(), u"ZKMUTEX_ZELKINC_UNIV_SHARE_BJ"_s);
    QVERIFY(QFileInfo::exists(folder + u"ZKMUTEX_ZELKINC_UNIV_SHARE_BJ.lock"_s));
}

void TestNamedLock::folderWithoutRuntimeDir()
{
    QTemporaryDir temp;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString folder = temp.path() + u"/zelkinc-locks-"_s + QString::number(::getuid()) + u'/';
    QCOMPARE(NamedLockFolder(), folder);
    QVERIFY(TNamedLock::TryTake(u"ZKMUTEX_FALLBACK"_s));
    // A folder that others may write to (planted before this user came) is not trusted.
    QFile::setPermissions(folder, QFile::permissions(folder) | QFile::WriteOther);
    QVERIFY_THROWS_EXCEPTION(EZKError, TNamedLock::TryTake(u"ZKMUTEX_FALLBACK"_s));
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (tmpdir.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", tmpdir);
}

void TestNamedLock::twoProcessesContend()
{
    TChild first({u"--lock-child"_s, ProvinceListLockName, u"take"_s});
    QCOMPARE(first.ReadLine(), QByteArray("taken"));
    QVERIFY(!TNamedLock::TryTake(ProvinceListLockName));

    TChild second({u"--lock-child"_s, ProvinceListLockName, u"take"_s});
    // The second waits in its take until the first frees the lock.
    QVERIFY(!second.Process().canReadLine());
    first.Tell("release");
    QCOMPARE(first.ReadLine(), QByteArray("released"));
    QCOMPARE(second.ReadLine(), QByteArray("taken"));
    QVERIFY(!TNamedLock::TryTake(ProvinceListLockName));

    second.Tell("release");
    QCOMPARE(second.ReadLine(), QByteArray("released"));
    QVERIFY(TakeProvinceListLock());
}

void TestNamedLock::killedHolderReleases()
{
    const QString name = ShareLockPrefix + u"SH"_s;
    TChild holder({u"--lock-child"_s, name, u"take"_s});
    QCOMPARE(holder.ReadLine(), QByteArray("taken"));
    QVERIFY(!TNamedLock::TryTake(name));

    holder.Process().kill();
    QVERIFY(holder.Process().waitForFinished(30000));
    QVERIFY(TNamedLock::TryTake(name));
}

void TestNamedLock::singleInstance()
{
    TChild running({u"--lock-child"_s, UniqueInstanceLockName, u"try"_s});
    QCOMPARE(running.ReadLine(), QByteArray("taken"));
    QVERIFY(!TryTakeUniqueInstanceLock());
    TChild another({u"--lock-child"_s, UniqueInstanceLockName, u"try"_s});
    QCOMPARE(another.ReadLine(), QByteArray("busy"));

    running.Tell("release");
    QCOMPARE(running.ReadLine(), QByteArray("released"));
    QVERIFY(TryTakeUniqueInstanceLock());
}

void TestNamedLock::childProcessDoesNotInheritLock()
{
    // The restart after a new login starts the program again before this instance ends;
    // the new process must not keep the old instance's lock alive.
    TNamedLock lock = TryTakeUniqueInstanceLock();
    QVERIFY(lock);
    TChild restarted({u"--idle"_s});
    QVERIFY(restarted.Process().waitForStarted());
    FreeNamedLock(lock);
    QVERIFY(!lock);

    TChild next({u"--lock-child"_s, UniqueInstanceLockName, u"try"_s});
    QCOMPARE(next.ReadLine(), QByteArray("taken"));
}

void TestNamedLock::threadsOfOneProcessContend()
{
    const QString name = u"ZKMUTEX_THREADS"_s;
    TNamedLock held = TakeNamedLock(name);

    bool triedElsewhere = true;
    std::thread([&] { triedElsewhere = bool(TNamedLock::TryTake(name)); }).join();
    QVERIFY(!triedElsewhere);

    std::atomic<bool> taken{false};
    std::thread waiter([&] {
        TNamedLock lock = TakeNamedLock(name);
        taken = true;
    });
    QVERIFY(!taken);
    held.Release();
    waiter.join();
    QVERIFY(taken);
    QVERIFY(TNamedLock::TryTake(name));
}

void TestNamedLock::holdingThreadMayTakeAgain()
{
    const QString name = u"ZKMUTEX_NESTED"_s;
    TNamedLock outer = TakeNamedLock(name);
    TNamedLock inner = TakeNamedLock(name); // would wait forever on a non-recursive lock
    QVERIFY(outer && inner);

    const auto freeElsewhere = [&] {
        bool free = false;
        std::thread([&] { free = bool(TNamedLock::TryTake(name)); }).join();
        return free;
    };
    inner.Release();
    QVERIFY(!freeElsewhere());
    outer.Release();
    QVERIFY(freeElsewhere());
}

void TestNamedLock::nullAndMovedHandles()
{
    TNamedLock none;
    FreeNamedLock(none);
    QVERIFY(!none);

    const QString name = u"ZKMUTEX_MOVED"_s;
    TNamedLock first = TakeNamedLock(name);
    TNamedLock second = std::move(first);
    QVERIFY(!first && second);
    FreeNamedLock(first); // the moved-from handle frees nothing
    QVERIFY(!TChild({u"--lock-child"_s, name, u"try"_s}).ReadLine().startsWith("taken"));
    TNamedLock third;
    third = std::move(second);
    third = TNamedLock(); // assigning over a held handle frees it
    QCOMPARE(TChild({u"--lock-child"_s, name, u"try"_s}).ReadLine(), QByteArray("taken"));
    QVERIFY_THROWS_EXCEPTION(EZKError, TakeNamedLock(QString()));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"--lock-child"_s)
        return RunLockChild(args.at(2), args.at(3));
    if (args.size() == 2 && args.at(1) == u"--idle"_s) {
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        return 0;
    }
    TestNamedLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_NamedLock.moc"
