#include "gui/login/ProgramEntry.h"

#include "exchange/MemberNetDM.h"
#include "gui/common/AnimateForm.h"
#include "gui/common/ChangeLQZTDialog.h"
#include "gui/common/GuiApplication.h"
#include "gui/common/MessageBoxSink.h"
#include "gui/common/ProgressForm.h"
#include "gui/details/DNForm.h"
#include "gui/export/DumpToFileForm.h"
#include "gui/journal/JournalForm.h"
#include "gui/login/MemberMainWindow.h"
#include "gui/login/MemberStartDM.h"
#include "gui/options/MemberOptionsForm.h"
#include "gui/stats/PrintAdjustForm.h"
#include "gui/stats/StatForm.h"
#include "link/MemberBgTaskThread.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QMainWindow>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <clocale>
#include <cstring>

using namespace Qt::StringLiterals;

void InitProgramValues()
{
    TZKMainDef &def = ZKMainDef();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        def.ScreenClass = ScreenClassFor(screen->geometry().width() * int(screen->devicePixelRatio()),
                                         int(screen->logicalDotsPerInch() * screen->devicePixelRatio()));
    def.AceAvailable = true;
    def.SetProgramFolder(RunningProgramFolder());
    InitMemberBgTaskThreadUnit();
}

bool StartRestartedInstance()
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(RestartedInstanceVariable), u"1"_s);
    process.setProcessEnvironment(environment);
    return process.startDetached();
}

namespace {

// The windows of the other subsystems that the member commands open.
struct TProgramWindows
{
    TMainDM &MainDM;
    TMemberNetDM &NetDM;
    QMainWindow *MainWindow;
    TDNForm *DetailWindow;
    IProgressSink &Progress;
    IMessageSink &Messages;
};

void FillMemberWindows(TMemberWindows &windows, const TProgramWindows &w)
{
    windows.DetailWindowProc = [w] { w.DetailWindow->ShowFocusedCandidate(); };
    windows.StatisticsProc = [w] { TStatForm::Execute(w.MainDM, w.Progress, w.Messages, w.MainWindow); };
    windows.PrintingProc = [w] { TPrintAdjustForm::Execute(w.MainDM, w.Messages, w.MainWindow); };
    windows.OptionsProc = [w] { TMemberOptionsForm::Execute(w.MainDM, w.NetDM, w.MainWindow); };
    windows.ExportDossiersProc = [w] {
        TDumpToFileForm::Execute(w.MainDM, false, w.Progress, w.Messages, w.MainWindow);
    };
    windows.ExportScreenProc = [w] {
        TDumpToFileForm::Execute(w.MainDM, true, w.Progress, w.Messages, w.MainWindow);
    };
    windows.JournalProc = [w] { TJournalForm::Execute(w.MainDM, w.Progress, w.Messages, w.MainWindow); };
}

} // namespace

int RunMemberProgram(int &argc, char **argv, const TMainWindowFactory &createMainWindow)
{
    // Archive names are UTF-8; reading them needs a UTF-8 character type.
    if (!std::strstr(std::setlocale(LC_CTYPE, nullptr), "UTF-8"))
        std::setlocale(LC_CTYPE, "C.UTF-8");
    TZKApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"zelkinc"_s);
    InitProgramValues();
    const bool restarted = qEnvironmentVariableIsSet(RestartedInstanceVariable);
    qunsetenv(RestartedInstanceVariable);

    // The modules in the order of the program; the workspace first, as every other
    // module holds it.
    auto mainDM = std::make_unique<TMainDM>();
    auto netDM = std::make_unique<TMemberNetDM>(*mainDM);
    std::unique_ptr<IMemberMainWindow> mainWindow = createMainWindow(*mainDM, *netDM);
    QMainWindow *window = mainWindow->Window();
    // Top-level windows of their own: the main window is freed before them.
    TProgressForm progressForm;
    TAnimateForm animateForm;
    TMessageBoxSink messages;
    TChangeLQZTDialog changeLQZTDialog(window);
    // The workspace's own messages (a set that cannot be opened, no dossiers yet) are
    // shown to the member, not only written to the error output.
    mainDM->SetMessageSink(&messages);
    netDM->SetProgressSink(&progressForm);
    progressForm.SetForegroundIdleQuery([] { return !BgTaskThread || BgTaskThread->IsFgLongTaskIdle(); });
    // The candidate detail window is made once and hidden and shown again for each
    // candidate; the main window owns it.
    auto *detailWindow = new TDNForm(*mainDM, *netDM, animateForm, window);
    detailWindow->SetChangeLQZTDialog(&changeLQZTDialog);
    detailWindow->SetMessageSink(&messages);
    mainDM->SetDetailWindow(detailWindow);

    int exitCode = 0;
    {
        TMemberStartDM startDM(TMemberModules{*mainDM, *netDM, *mainWindow, messages, animateForm});
        FillMemberWindows(startDM.Windows,
                          TProgramWindows{*mainDM, *netDM, window, detailWindow, progressForm, messages});
        startDM.DataModuleCreate(restarted ? RestartLockWaitMs : 0);
        if (!startDM.Terminated())
            exitCode = app.exec();
        const bool restart = mainWindow->RestartAfterClose();
        netDM->SetProgressSink(nullptr);
        netDM->SetAnimationSink(nullptr);
        netDM->SetMessageSink(nullptr);
        mainDM->SetMessageSink(nullptr);
        mainDM->SetDetailWindow(nullptr);
        mainWindow.reset();
        if (restart)
            StartRestartedInstance();
        // The start-up module goes last: the task thread ends, then the lock is free.
    }
    return exitCode;
}
