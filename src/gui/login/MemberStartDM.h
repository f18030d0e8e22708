#pragma once

// MemberStartDMUnit: the start-up data module of the member edition. Its creation runs
// the entry steps (single instance, storage folder and common database, edition suffix)
// and then the start-up sequence: command set and edition hooks, the task thread, the
// login, the first set-up of a new user and entering the workspace. Its destruction ends
// the task thread and, last, gives the single-instance lock back.

#include "exchange/MemberNetDM.h"
#include "gui/common/MemberWindows.h"
#include "gui/login/LoginRules.h"
#include "store/NamedLock.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class IAnimationSink;
class IMemberMainWindow;
class IMessageSink;
class TLoginForm;
class TMainDM;
class TMemberNetDM;
class TMemberSession;

// The windows the member commands open, each a slot that the program entry fills; an
// empty slot leaves its command disabled. The reconnect dialog is the login's own.
class TMemberWindows : public IMemberWindows
{
public:
    std::function<void()> DetailWindowProc, StatisticsProc, PrintingProc, ExportDossiersProc,
        ExportScreenProc, OptionsProc, JournalProc;
    std::function<bool()> ReconnectProc;

    bool HasDetailWindow() const override { return bool(DetailWindowProc); }
    void ShowDetailWindow() override { Call(DetailWindowProc); }
    bool HasStatistics() const override { return bool(StatisticsProc); }
    void ShowStatistics() override { Call(StatisticsProc); }
    bool HasPrinting() const override { return bool(PrintingProc); }
    void PrintDossierList() override { Call(PrintingProc); }
    bool HasExport() const override { return bool(ExportDossiersProc); }
    void ExportDossiers() override { Call(ExportDossiersProc); }
    void ExportScreen() override { Call(ExportScreenProc); }
    bool HasOptions() const override { return bool(OptionsProc); }
    void ShowOptions() override { Call(OptionsProc); }
    bool HasJournal() const override { return bool(JournalProc); }
    void ShowJournal() override { Call(JournalProc); }
    bool HasReconnect() const override { return bool(ReconnectProc); }
    bool Reconnect() override { return ReconnectProc && ReconnectProc(); }

private:
    static void Call(const std::function<void()> &f)
    {
        if (f)
            f();
    }
};

// The modules the program entry made before the start-up module, which uses them.
struct TMemberModules
{
    TMainDM &MainDM;
    TMemberNetDM &NetDM;
    IMemberMainWindow &MainWindow;
    IMessageSink &Messages;                  // message boxes of the start-up and the login
    IAnimationSink &Animation;               // "接收院校信息" and the login's connect
};

class TMemberStartDM : public QObject
{
    Q_OBJECT
public:
    explicit TMemberStartDM(const TMemberModules &modules, QObject *parent = nullptr);
    // DataModuleDestroy: ends the task thread, then gives the single-instance lock back.
    ~TMemberStartDM() override;

    // DataModuleCreate: the single-instance lock (another instance: the program ends
    // at once, nothing else runs), PrepareMemberEdition, then the start-up sequence.
    // When waitForLockMs is above 0 (a restarted instance), the lock is waited for that
    // long before giving up.
    void DataModuleCreate(int waitForLockMs = 0);

    // The program is to end (another instance, the login cancelled, a failed start-up);
    // the application has been asked to quit.
    bool Terminated() const { return FTerminated; }
    // Another instance held the single-instance lock.
    bool AnotherInstance() const { return FAnotherInstance; }
    // The state the login reported, gklqOn once the first set-up completed.
    TGKLQState GKLQState = TGKLQState::gklqOn;

    // How the login dialog is run: Execute by default. Tests and the benchmark drive
    // the real dialog without the modal loop.
    std::function<bool(TLoginForm &form, TGKLQState &state)> ExecuteLogin;
    // Ends the application; by default a queued quit of the event loop (also when the
    // loop has not started yet).
    std::function<void()> TerminateProc;

    TMemberWindows Windows;
    TNamedLock AMutex;

    // The password check before results are sent (the login dialog's CheckPassWord).
    IPasswordCheck &PasswordCheck();

private:
    void PrepareMemberEdition();
    void RunStartUpSequence();
    void InstallEditionHooks();
    bool ExecuteLoginDialog();
    void FirstSetUp();
    void EnterWorkspace();
    bool Reconnect();
    void Terminate();

    TMemberModules FModules;
    std::unique_ptr<TMemberSession> FSession;
    std::unique_ptr<IPasswordCheck> FPasswordCheck;
    bool FTerminated = false;
    bool FAnotherInstance = false;
};
