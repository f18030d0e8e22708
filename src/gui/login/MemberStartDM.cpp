#include "gui/login/MemberStartDM.h"

#include "exchange/MemberNetDM.h"
#include "exchange/MemberSession.h"
#include "gui/login/LoginForm.h"
#include "gui/login/MemberMainWindow.h"
#include "link/MemberBgTaskThread.h"
#include "store/SqlConnection.h"
#include "store/StartUpFailures.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMainWindow>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

const QString kStartCaption = u"登录系统"_s;

// The login dialog's password check, on a hidden dialog made for each check.
class TLoginPasswordCheck : public IPasswordCheck
{
public:
    TLoginPasswordCheck(TMainDM &dm, IMessageSink &sink, QWidget *parent)
        : FDm(dm)
        , FSink(sink)
        , FParent(parent)
    {}
    bool CheckPassWord() override
    {
        TLoginForm form(FDm, FParent);
        form.SetMessageSink(&FSink);
        return form.CheckPassWord();
    }

private:
    TMainDM &FDm;
    IMessageSink &FSink;
    QWidget *FParent;
};

TNamedLock TakeUniqueInstanceLock(int waitForLockMs)
{
    TNamedLock lock = TryTakeUniqueInstanceLock();
    // A restarted instance waits for the old one, which gives the lock back last.
    for (QDeadlineTimer deadline(waitForLockMs); !lock && !deadline.hasExpired();) {
        QThread::msleep(100);
        lock = TryTakeUniqueInstanceLock();
    }
    return lock;
}

} // namespace

TMemberStartDM::TMemberStartDM(const TMemberModules &modules, QObject *parent)
    : QObject(parent)
    , FModules(modules)
{
    ExecuteLogin = [](TLoginForm &form, TGKLQState &state) { return form.Execute(state); };
    TerminateProc = [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    };
}

TMemberStartDM::~TMemberStartDM()
{
    FModules.NetDM.SetPasswordCheck(nullptr);
    // The slots lead into modules that end with this run.
    LoginErrorMsgSlot = nullptr;
    FSession.reset();
    TZKMainDef &def = ZKMainDef();
    if (def.EndBgTaskThreadHook)
        def.EndBgTaskThreadHook();
    AMutex.Release();
}

IPasswordCheck &TMemberStartDM::PasswordCheck()
{
    if (!FPasswordCheck)
        FPasswordCheck = std::make_unique<TLoginPasswordCheck>(FModules.MainDM, FModules.Messages,
                                                               FModules.MainWindow.Window());
    return *FPasswordCheck;
}

void TMemberStartDM::Terminate()
{
    FTerminated = true;
    if (TerminateProc)
        TerminateProc();
}

void TMemberStartDM::DataModuleCreate(int waitForLockMs)
{
    try {
        AMutex = TakeUniqueInstanceLock(waitForLockMs);
    } catch (const EZKError &e) {
        // No lock folder or file: the program cannot make sure it runs once.
        FModules.Messages.ShowMessage(InstanceLockFailureText(e.Message()), StartUpFailureCaption,
                                      TMsgIcon::Error);
        Terminate();
        return;
    }
    if (!AMutex) {
        FAnotherInstance = true;
        Terminate();
        return;
    }
    try {
        PrepareMemberEdition();
        RunStartUpSequence();
    } catch (const EZKError &e) {
        // The start-up runs before the event loop, where nothing else would catch it.
        FModules.Messages.ShowMessage(e.Message(), StartUpFailureCaption, TMsgIcon::Error);
        Terminate();
    }
}

void TMemberStartDM::PrepareMemberEdition()
{
    TZKMainDef &def = ZKMainDef();
    const QString storage = EstablishStorageFolder();
    FModules.MainDM.CommonConn.SetConnectionString(JetConnectionPrefix + storage + CommonDatabaseFileName);
    def.EditionSuffix = MemberEditionSuffix;
    QMainWindow *window = FModules.MainWindow.Window();
    window->setWindowTitle(window->windowTitle() + def.EditionSuffix);
    // The help pages lie in the program folder; ShowHelpTopic finds them there.
}

void TMemberStartDM::InstallEditionHooks()
{
    TMemberNetDM &net = FModules.NetDM;
    LoginErrorMsgSlot = [&net](int code) { net.ShowLoginErrorMsg(code); };
    Windows.ReconnectProc = [this] { return Reconnect(); };
    net.SetPasswordCheck(&PasswordCheck());
    net.SetMessageSink(&FModules.Messages);
    net.SetAnimationSink(&FModules.Animation);
}

void TMemberStartDM::RunStartUpSequence()
{
    TZKMainDef &def = ZKMainDef();
    FModules.MainWindow.InstallMemberCommandSet(Windows);
    InstallEditionHooks();
    if (def.CreateBgTaskThreadHook) {
        def.CreateBgTaskThreadHook();
        FModules.NetDM.SetTaskThread(MemberBgTaskThread());
    }
    if (!ExecuteLoginDialog()) {
        Terminate();
        return;
    }
    QMainWindow *window = FModules.MainWindow.Window();
    window->showMaximized();
    FModules.MainDM.UnivConn.SetConnectionString(JetConnectionPrefix + def.LoginInfo.UserFolder +
                                                 UnivDatabaseFileName);
    FSession = std::make_unique<TMemberSession>(FModules.MainDM, FModules.NetDM, FModules.Messages);
    if (GKLQState != TGKLQState::gklqOn)
        FirstSetUp();
    else
        EnterWorkspace();
}

bool TMemberStartDM::ExecuteLoginDialog()
{
    TLoginForm form(FModules.MainDM, FModules.MainWindow.Window());
    form.SetMessageSink(&FModules.Messages);
    form.SetAnimationSink(&FModules.Animation);
    return ExecuteLogin(form, GKLQState);
}

// The user's folder is not set up: emptied, made again, both libraries downloaded and
// imported into the shipped empty databases, the set-up marked complete.
void TMemberStartDM::FirstSetUp()
{
    FModules.Animation.ShowAnim(u"接收院校信息"_s, u"正在接收院校的有关信息，请稍候。"_s);
    // The session waits for the download task by running the event loop, so the window
    // stays painted; it stops nothing itself.
    const bool done = FSession->FirstSetUp();
    FModules.Animation.StopAnim();
    if (!done) {
        Terminate();
        return;
    }
    GKLQState = TGKLQState::gklqOn;
    EnterWorkspace();
}

void TMemberStartDM::EnterWorkspace()
{
    TZKMainDef &def = ZKMainDef();
    TMemberNetDM &net = FModules.NetDM;
    if (!FSession->EnterWorkspace()) {
        Terminate();
        return;
    }
    if (def.IsConnected)
        net.DownLoadAllTDD();
    try {
        net.SetQueryTimer();
    } catch (const EZKError &e) {
        // The program runs on without automatic queries; the user learns why.
        FModules.Messages.ShowMessage(e.Message(), kStartCaption, TMsgIcon::Warning);
    }
    FModules.MainWindow.DockZyStatePanel();
    def.IsSystemReady = true;
    FModules.MainDM.ChangeCurrTDDPc(QString());
}

bool TMemberStartDM::Reconnect()
{
    if (ZKMainDef().IsConnected)
        return true;
    TLoginForm form(FModules.MainDM, FModules.MainWindow.Window());
    form.SetMessageSink(&FModules.Messages);
    form.SetAnimationSink(&FModules.Animation);
    // The main window's connect command queries the dossiers after a reconnect.
    return form.ReConnectToHost();
}
