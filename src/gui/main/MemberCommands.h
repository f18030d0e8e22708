#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// The member edition's command set: every command of the main window once, with its
// caption, shortcut, hints, help topic and the rule that enables it. Menus, tool bars
// and the grid's pop-up menu are assembled from the same actions (TMemberActionForm).

enum class TMemberCommand
{
    Login,
    Logout,
    LinkToZB,
    ExitAndLogin,
    Exit,
    SelectPC,
    SelectKL_JHXZ,
    ViewTDDW,
    ViewZY,
    DumpToFile,
    DumpTextToFile,
    PrintTDD,
    FindKS,
    CopyKshToClipboard,
    FilterKS,
    ZyState,
    KSXX,
    SortByKSH,
    SortByCj,
    SortByLQZY,
    Stat,
    ShowCodeTable,
    HelpContent,
    About,
    DownLoadTDD,
    UpLoadJG,
    Options,
    ChangeLQZT,
    Journal
};

struct TMemberCommandDef
{
    TMemberCommand Id;
    QString Name;    // the action's object name ("LoginAction")
    QString Caption; // with its "&" accelerator
    QKeySequence Shortcut;
    QString Hint; // short hint "|" long hint
    int HelpTopic = 0;

    QString ShortHint() const { return Hint.section(u'|', 0, 0); }
    QString LongHint() const { return Hint.section(u'|', 1); }
};

// Everything the enabling rules look at, gathered once per idle update.
struct TCommandState
{
    bool IsConnected = false;
    bool IsNetIdle = true;
    bool IsSystemReady = false;
    bool IsTDDOpen = false;
    int CurZT = 0;
    bool FgLongTaskIdle = true; // no foreground long task runs
    bool HasFocusedRow = false;
    bool HasSelectedRows = false;
    bool HasNetModule = false; // the data exchange module is attached
    // Windows of other subsystems; their commands stay disabled while one is absent.
    bool HasDetailWindow = false;
    bool HasStatistics = false;
    bool HasPrinting = false;
    bool HasExport = false;
    bool HasOptions = false;
    bool HasReconnect = false;
    bool HasJournal = false;
};

// The commands in the order of the command set.
const QList<TMemberCommandDef> &MemberCommands();
const TMemberCommandDef &MemberCommandDef(TMemberCommand id);

// Whether the command may run in this state.
bool CommandEnabled(TMemberCommand id, const TCommandState &state);

// A caption without its "&" accelerator and trailing "...", for message box captions.
QString PlainCaption(const QString &caption);
