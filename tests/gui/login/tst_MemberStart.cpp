// The start-up of the member client: the single instance, the first set-up against the
// leader's server stand-in ending in the workspace, a second start going straight in,
// and the failures that end the program.

#include "ExchangeFixture.h"
#include "LoginFixture.h"
#include "PlainMainWindow.h"
#include "TestSupport.h"
#include "gui/login/LoginForm.h"
#include "gui/login/MemberStartDM.h"
#include "gui/login/ProgramEntry.h"
#include "link/MemberBgTaskThread.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/StartUpFailures.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Holds the single-instance lock on a thread of its own, as another process would.
class TOtherInstance
{
public:
    TOtherInstance()
        : FThread([this] {
            TNamedLock lock = TryTakeUniqueInstanceLock();
            {
                std::unique_lock guard(FMutex);
                FHeld = bool(lock);
                FReady = true;
            }
            FCondition.notify_all();
            std::unique_lock guard(FMutex);
            FCondition.wait(guard, [this] { return FRelease; });
        })
    {
        std::unique_lock guard(FMutex);
        FCondition.wait(guard, [this] { return FReady; });
    }
    ~TOtherInstance()
    {
        Release();
        FThread.join();
    }
    bool Held() const { return FHeld; }
    void Release()
    {
        {
            std::lock_guard guard(FMutex);
            FRelease = true;
        }
        FCondition.notify_all();
    }

private:
    std::mutex FMutex;
    std::condition_variable FCondition;
    bool FReady = false, FHeld = false, FRelease = false;
    std::thread FThread;
};

// One run of the client's start-up on its own modules, logging in through the real
// dialog as the user would.
struct TClientRun
{
    TRecordingMessageSink Messages;
    TRecordingAnimationSink Animation;
    TMainDM DM;
    TMemberNetDM Net{DM};
    TPlainMainWindow Window;
    int Terminations = 0;
    int LoginShown = 0;
    std::unique_ptr<TMemberStartDM> Start;

    TClientRun(const QString &ssdm, const QString &user, const QString &password, bool online = true)
    {
        DM.SetMessageSink(&Messages);
        Start = std::make_unique<TMemberStartDM>(TMemberModules{DM, Net, Window, Messages, Animation});
        Start->TerminateProc = [this] { ++Terminations; };
        Start->ExecuteLogin = [=, this](TLoginForm &form, TGKLQState &state) {
            ++LoginShown;
            if (!form.PrepareExecute())
                return false;
            form.show();
            TLoginFixture::ClickLabel(form, ssdm);
            TLoginFixture::Type(form, user, password);
            if (online)
                TLoginFixture::LoginOnline(form);
            else
                QTest::mouseClick(form.NotOnLineBtn, Qt::LeftButton);
            state = form.GKLQEnabled_;
            return form.result() == QDialog::Accepted;
        };
    }
    ~TClientRun()
    {
        WaitUntil([] { return ZKMainDef().IsNetIdle.load(); });
        Net.SetTaskThread(nullptr);
        Start.reset();
        DM.UnivConn.Close();
    }
};

} // namespace

class TestMemberStart : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void firstSetUpThenStraightIn();
    void failedFirstSetUpEndsAndRunsAgain();
    void anotherInstanceEndsAtOnce();
    void restartedInstanceWaitsForTheLock();
    void secondProcessEndsAtOnce();
    void unreadableProvinceListIsShown();
    void firstSetUpFailuresAreShown_data();
    void firstSetUpFailuresAreShown();
    void missingLockFolderIsShown();

private:
    QTemporaryDir FHome;
};

void TestMemberStart::initTestCase()
{
    // The storage folder lies in the documents folder: a home of the tests' own.
    qputenv("HOME", QFile::encodeName(FHome.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(FHome.path() + u"/.config"_s));
    // Locks of the tests' own: a client running on this machine keeps its lock.
    QDir().mkpath(FHome.path() + u"/runtime"_s);
    QFile::setPermissions(FHome.path() + u"/runtime"_s,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FHome.path() + u"/runtime"_s));
}

void TestMemberStart::init()
{
    QDir(StorageFolderFor()).removeRecursively();
    ZKMainDef().Reset();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    InitMemberBgTaskThreadUnit();
}

void TestMemberStart::firstSetUpThenStraightIn()
{
    TExchangeFixture leader; // starts from the program's start values
    InitMemberBgTaskThreadUnit();
    // The machine's storage folder as the first start makes it, its province list
    // naming the stand-in.
    const QString storage = EstablishStorageFolder();
    const QString list = storage + ProvinceListFileName;
    TRecordset provinces = LoadAdtgFile(list);
    QVERIFY(provinces.Locate(u"ssdm"_s, leader.SSDM));
    provinces.Edit();
    provinces.FieldByName(u"FWQDKH").SetAsString(QString::number(leader.Server().Port()));
    provinces.Post();
    SaveAdtgFile(provinces, list);

    {
        TClientRun run(leader.SSDM, TExchangeFixture::User, TExchangeFixture::Password);
        run.Start->DataModuleCreate();
        QVERIFY2(run.Terminations == 0, qPrintable(run.Messages.Messages.value(0).Text));
        QCOMPARE(run.Window.CommandSetInstalls, 1);
        QCOMPARE(run.Window.Windows, static_cast<IMemberWindows *>(&run.Start->Windows));
        QVERIFY(run.Start->Windows.HasReconnect());
        QVERIFY(run.Window.isVisible() && run.Window.isMaximized());
        QCOMPARE(run.Window.windowTitle(), u"院校子系统 [组员使用]"_s);
        // The login's animation, then the first set-up's, then the dossier query's.
        QVERIFY(run.Animation.Shown.size() >= 2);
        QCOMPARE(run.Animation.Shown[1],
                 std::make_pair(u"接收院校信息"_s, u"正在接收院校的有关信息，请稍候。"_s));
        QCOMPARE(run.Start->GKLQState, TGKLQState::gklqOn);
        QCOMPARE(run.Window.PanelDocks, 1);
        QVERIFY(ZKMainDef().IsSystemReady);
        QVERIFY(ZKMainDef().IsTDDOpen);
        QVERIFY(!ZKMainDef().CurPCDM.isEmpty());
        QVERIFY(run.Start->AMutex.IsHeld());
    }
    // The lock is free again once the start-up module is gone.
    QVERIFY(TryTakeUniqueInstanceLock().IsHeld());

    ZKMainDef().Reset();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    InitMemberBgTaskThreadUnit();
    {
        // A second start, offline this time: straight into the workspace, no download.
        TClientRun run(leader.SSDM, TExchangeFixture::User, TExchangeFixture::Password, false);
        run.Start->DataModuleCreate();
        QCOMPARE(run.Terminations, 0);
        QVERIFY(run.Animation.Shown.isEmpty());
        QVERIFY(!ZKMainDef().IsConnected);
        QVERIFY(ZKMainDef().IsSystemReady && ZKMainDef().IsTDDOpen);
        QCOMPARE(run.Window.PanelDocks, 1);
    }

    ZKMainDef().Reset();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    InitMemberBgTaskThreadUnit();
    {
        // Code tables that cannot be read end the program with their message.
        QFile univ(storage + u"BJ/zy01/"_s + UnivDatabaseFileName);
        QVERIFY(univ.open(QIODevice::WriteOnly | QIODevice::Truncate));
        univ.write(QByteArray(8192, 'x'));
        univ.close();
        TClientRun run(leader.SSDM, TExchangeFixture::User, TExchangeFixture::Password, false);
        run.Start->DataModuleCreate();
        QCOMPARE(run.Terminations, 1);
        QCOMPARE(run.Messages.Messages.value(0).Text, u"代码库读取失败。"_s);
        QCOMPARE(run.Messages.Messages.value(0).Caption, u"登录系统"_s);
        QCOMPARE(run.Messages.Messages.value(0).Icon, TMsgIcon::Error);
        QVERIFY(!ZKMainDef().IsSystemReady);
    }
}

// An import that fails during the first set-up ends the program and leaves the set-up
// unmarked: the next start runs it again from an emptied folder.
void TestMemberStart::failedFirstSetUpEndsAndRunsAgain()
{
    TExchangeFixture leader;
    InitMemberBgTaskThreadUnit();
    const QString storage = EstablishStorageFolder();
    TRecordset provinces = LoadAdtgFile(storage + ProvinceListFileName);
    QVERIFY(provinces.Locate(u"ssdm"_s, leader.SSDM));
    provinces.Edit();
    provinces.FieldByName(u"FWQDKH").SetAsString(QString::number(leader.Server().Port()));
    provinces.Post();
    SaveAdtgFile(provinces, storage + ProvinceListFileName);
    const QString library = leader.LeaderUser() + u"dmk.zip"_s;
    QVERIFY(QFile::rename(library, library + u".kept"_s));
    QFile broken(library);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a package");
    broken.close();
    {
        TClientRun run(leader.SSDM, TExchangeFixture::User, TExchangeFixture::Password);
        run.Start->DataModuleCreate();
        QCOMPARE(run.Terminations, 1);
        QVERIFY(!run.Messages.Messages.isEmpty()); // the import reported its failure
        QVERIFY(run.Window.isVisible());
        QVERIFY(!ZKMainDef().IsSystemReady);
        QCOMPARE(run.Window.PanelDocks, 0);
    }
    QVERIFY(QFile::remove(library));
    QVERIFY(QFile::rename(library + u".kept"_s, library));
    ZKMainDef().Reset();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    InitMemberBgTaskThreadUnit();
    {
        TClientRun run(leader.SSDM, TExchangeFixture::User, TExchangeFixture::Password);
        run.Start->DataModuleCreate();
        QCOMPARE(run.Terminations, 0);
        QVERIFY(run.Animation.Shown.size() >= 2);
        QCOMPARE(run.Animation.Shown[1].first, u"接收院校信息"_s);
        QVERIFY(ZKMainDef().IsSystemReady && ZKMainDef().IsTDDOpen);
    }
}

void TestMemberStart::anotherInstanceEndsAtOnce()
{
    TOtherInstance other;
    QVERIFY(other.Held());
    TClientRun run(u"11"_s, u"zy01"_s, u"pw01"_s);
    run.Start->DataModuleCreate();
    QVERIFY(run.Start->AnotherInstance());
    QCOMPARE(run.Terminations, 1);
    QCOMPARE(run.LoginShown, 0);
    QCOMPARE(run.Window.CommandSetInstalls, 0);
    QVERIFY(run.Messages.Messages.isEmpty());
    QVERIFY(!QFileInfo::exists(StorageFolderFor())); // nothing prepared
    QVERIFY(!BgTaskThread);
}

void TestMemberStart::restartedInstanceWaitsForTheLock()
{
    auto other = std::make_unique<TOtherInstance>();
    QVERIFY(other->Held());
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other->Release();
    });
    TClientRun run(u"11"_s, u"zy01"_s, u"pw01"_s);
    run.Start->ExecuteLogin = [&run](TLoginForm &, TGKLQState &) {
        ++run.LoginShown;
        return false; // cancelled
    };
    run.Start->DataModuleCreate(RestartLockWaitMs);
    release.join();
    QVERIFY(!run.Start->AnotherInstance());
    QCOMPARE(run.LoginShown, 1);
    QCOMPARE(run.Terminations, 1); // the login was cancelled
    QVERIFY(QFileInfo::exists(StorageFolderFor() + ProvinceListFileName));
}

// The real program, started while another instance holds the lock, ends at once without
// a window or a word.
void TestMemberStart::secondProcessEndsAtOnce()
{
    TOtherInstance other;
    QVERIFY(other.Held());
    QProcess client;
    client.setProgram(zktest::programFolder() + u"/zelkinc"_s);
    client.start();
    QVERIFY(client.waitForFinished(120000));
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), 0);
    const QByteArray output = client.readAllStandardOutput() + client.readAllStandardError();
    QVERIFY2(!output.contains("zelkinc"), output.constData());
    QVERIFY(!QFileInfo::exists(StorageFolderFor()));
}

// The failures that end a start-up each show what failed and where, with the error icon
// and the caption of the start-up's failures.
void TestMemberStart::unreadableProvinceListIsShown()
{
    const QString list = EstablishStorageFolder() + ProvinceListFileName;
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a recordset");
    file.close();
    TClientRun run(u"11"_s, u"zy01"_s, u"pw01"_s);
    run.Start->DataModuleCreate();
    QCOMPARE(run.Terminations, 1);
    QCOMPARE(run.LoginShown, 1);
    QCOMPARE(run.Messages.Messages.size(), 1);
    QVERIFY2(run.Messages.Messages[0].Text.startsWith(ProvinceListReadFailureText(list, QString())),
             qPrintable(run.Messages.Messages[0].Text));
    QCOMPARE(run.Messages.Messages[0].Caption, u"登录系统"_s);
    QCOMPARE(run.Messages.Messages[0].Icon, TMsgIcon::Error);
}

void TestMemberStart::firstSetUpFailuresAreShown_data()
{
    QTest::addColumn<QString>("univContent"); // empty: the shipped database is missing
    QTest::newRow("shipped database cannot be copied") << QString();
    QTest::newRow("user database does not open") << u"not a database"_s;
}

void TestMemberStart::firstSetUpFailuresAreShown()
{
    QFETCH(QString, univContent);
    TExchangeFixture leader;
    InitMemberBgTaskThreadUnit();
    const QString storage = EstablishStorageFolder();
    TRecordset provinces = LoadAdtgFile(storage + ProvinceListFileName);
    QVERIFY(provinces.Locate(u"ssdm"_s, leader.SSDM));
    provinces.Edit();
    provinces.FieldByName(u"FWQDKH").SetAsString(QString::number(leader.Server().Port()));
    provinces.Post();
    SaveAdtgFile(provinces, storage + ProvinceListFileName);
    // A program folder whose user database is missing or broken.
    QTemporaryDir program;
    const QString folder = program.path() + u'/';
    QVERIFY(QFile::copy(zktest::programFolder() + u'/' + UnivShareDatabaseFileName,
                        folder + UnivShareDatabaseFileName));
    if (!univContent.isEmpty()) {
        QFile univ(folder + UnivDatabaseFileName);
        QVERIFY(univ.open(QIODevice::WriteOnly));
        univ.write(QByteArray(8192, 'x'));
    }
    ZKMainDef().SetProgramFolder(folder);

    TClientRun run(leader.SSDM, TExchangeFixture::User, TExchangeFixture::Password);
    run.Start->DataModuleCreate();
    QCOMPARE(run.Terminations, 1);
    QVERIFY(!ZKMainDef().IsSystemReady);
    const QString userFolder = ZKMainDef().LoginInfo.UserFolder;
    const QString expected = univContent.isEmpty()
                                 ? ShippedFileCopyFailureText(UnivDatabaseFileName, userFolder)
                                 : UserDatabaseOpenFailureText(userFolder + UnivDatabaseFileName, QString());
    QVERIFY(!run.Messages.Messages.isEmpty());
    const auto &shown = run.Messages.Messages.last();
    QVERIFY2(shown.Text.startsWith(expected), qPrintable(shown.Text));
    QCOMPARE(shown.Caption, u"登录系统"_s);
    QCOMPARE(shown.Icon, TMsgIcon::Error);
}

// A lock folder that cannot be made: said in a message, not an exception that ends the
// program before its event loop.
void TestMemberStart::missingLockFolderIsShown()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir blocked;
    QFile plain(blocked.path() + u"/zelkinc"_s); // a file where the lock folder belongs
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(blocked.path()));
    TClientRun run(u"11"_s, u"zy01"_s, u"pw01"_s);
    run.Start->DataModuleCreate();
    qputenv("XDG_RUNTIME_DIR", runtime);
    QCOMPARE(run.Terminations, 1);
    QCOMPARE(run.LoginShown, 0);
    QVERIFY(!run.Start->AnotherInstance());
    QCOMPARE(run.Messages.Messages.size(), 1);
    QVERIFY(run.Messages.Messages[0].Text.startsWith(InstanceLockFailureText(QString())));
    QVERIFY2(run.Messages.Messages[0].Text.contains(blocked.path()), qPrintable(run.Messages.Messages[0].Text));
    QCOMPARE(run.Messages.Messages[0].Caption, u"登录系统"_s);
    QCOMPARE(run.Messages.Messages[0].Icon, TMsgIcon::Error);
}

QTEST_MAIN(TestMemberStart)
#include "tst_MemberStart.moc"
