#pragma once

#include "gui/main/CodeTableForm.h"
#include "gui/main/MemberCommands.h"
#include "workspace/WorkspaceViews.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class IChangeLQZTDialog;
class IMemberWindows;
class IMessageSink;
class QDockWidget;
class QStackedWidget;
class TBgTaskThread;
class TFolderToolBar;
class TGridHintPanel;
class TKsFilterField;
class TLQGridView;
class TMainDM;
class TMainStatusBar;
class TMemberActionForm;
class TMemberNetDM;
class TZyStateForm;

// What the main window reaches outside the program; tests replace them.
struct TMainFormHooks
{
    // Starts the program file as a new process ("重新登录"); true when it started.
    std::function<bool(const QString &program)> StartProgram;
    // Asks for the candidate number to find, pre-filled; true on OK.
    std::function<bool(QString &ksh)> AskCandidateNumber;
    // True while no foreground long task runs; by default the task thread is asked.
    std::function<bool()> ForegroundIdle;
};

// The program's main window: the candidate grid in the middle, the major state panel
// docked at the bottom, the command tool bar and the folder tool bar on top, the status
// bar below, and the member command set. It is the workspace's main view.
//
// Construction wires the window into the workspace: the grid, the major state panel,
// the main view, the clipboard and the document opener of dm are this window's (and are
// given back to dm's defaults when the window goes). The start-up sequence then sets the
// other collaborators; until it does, their commands stay disabled.
class TZKMainForm : public QMainWindow, public IMainView
{
    Q_OBJECT

public:
    // showSplash: the splash window shows while the program starts (not in tests).
    explicit TZKMainForm(TMainDM &dm, bool showSplash = true, QWidget *parent = nullptr);
    ~TZKMainForm() override;

    // --- collaborators (null detaches) ---
    void SetNetDM(TMemberNetDM *net);
    void SetMemberWindows(IMemberWindows *windows);
    // Message boxes of the window's own commands; by default real message boxes.
    void SetMessageSink(IMessageSink *sink);
    // The status dialog; by default the real one.
    void SetChangeLQZTDialog(IChangeLQZTDialog *dialog);
    // The task thread of the link commands; by default the program's task thread.
    void SetTaskThread(TBgTaskThread *thread);
    TMainFormHooks &Hooks() { return FHooks; }
    // Appends the edition suffix (" [组员使用]") to the base caption.
    void SetEditionSuffix(const QString &suffix);

    // --- parts ---
    TLQGridView *Grid() const { return FGrid; }
    TZyStateForm *ZyStatePanel() const { return FZyStatePanel; }
    TMemberActionForm *Commands() const { return FCommands; }
    TFolderToolBar *FolderToolBar() const { return FFolderToolBar; }
    TMainStatusBar *MainStatusBar() const { return FStatusBar; }
    TGridHintPanel *HintPanel() const { return FHintPanel; }
    // The live filter's search field at the right end of the folder tool bar.
    TKsFilterField *KsFilterField() const { return FKsFilterField; }
    TMainDocumentOpener &DocumentOpener() { return FDocumentOpener; }

    // Set by "重新登录": the program starts again once this window has closed.
    bool RestartAfterClose = false;

    // --- commands ---
    TCommandState CommandState() const;
    // Re-evaluates every command's rule (run whenever the application goes idle).
    void UpdateActions();
    // Runs a command when its rule allows it.
    void RunCommand(TMemberCommand id);

    // --- dock sites ---
    // Shows a site (a quarter of the grid's height or width, with its minimum) or hides it.
    // A site that is shown already is left alone.
    void SetDockPanelState(Qt::DockWidgetArea area, bool visible);
    // Hides a site unless a visible window other than excluded stays docked there.
    void UpdateDockPanel(Qt::DockWidgetArea area, QDockWidget *excluded);
    bool IsDockSiteShown(Qt::DockWidgetArea area) const;

    // --- IMainView ---
    void SetFolderButtonCaption(TFolderButton button, const QString &caption) override;
    void SetFolderMenu(TFolderMenu menu, const QList<TMenuItemRec> &items) override;
    void SetStatusPanelText(int panel, const QString &text) override;
    void SetClientAreaVisible(bool visible) override;
    void HideHintPanel() override;
    void ShowKsFilterText(const QString &text) override;
    int ScreenDotsPerInch() const override;
    int ScreenWidthPixels() const override;

    bool IsClientAreaVisible() const;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateParts(bool showSplash);
    void WireGrid();
    void AddKsFilterField();
    void FocusKsFilterField();
    void WirePanel();
    void InstallHelpKeys();
    void ExecuteCommand(TMemberCommand id);
    void ExecuteWindowCommand(TMemberCommand id);
    void Reconnect();
    void Disconnect();
    void OpenWebPage();
    void FindCandidate();
    void SortByField(const QString &field);
    void ChangeLQZT();
    void ShowHintPanel(const QString &title, const QString &text, const QRect &cell);
    void OnFolderMenuItem(TFolderMenu menu, const QString &caption, int tag);
    void OnPanelDockMoved(Qt::DockWidgetArea area);
    void OnPanelFloating(bool floating);
    bool FormCloseQuery();
    void FormClose();
    bool ForegroundIdle() const;
    IMessageSink &Messages() const;

    TMainDM &FDm;
    TMemberNetDM *FNet = nullptr;
    IMemberWindows *FWindows;
    IMessageSink *FMessageSink = nullptr;
    IChangeLQZTDialog *FChangeLQZTDialog = nullptr;
    TBgTaskThread *FThread = nullptr;
    bool FThreadSet = false;
    TMainFormHooks FHooks;

    std::unique_ptr<IMemberWindows> FNoWindows;
    std::unique_ptr<IMessageSink> FDefaultMessageSink;
    std::unique_ptr<IChangeLQZTDialog> FDefaultChangeLQZTDialog;
    TMainDocumentOpener FDocumentOpener;
    TQtClipboard FClipboard;

    TMemberActionForm *FCommands = nullptr;
    TFolderToolBar *FFolderToolBar = nullptr;
    TMainStatusBar *FStatusBar = nullptr;
    QStackedWidget *FClientArea = nullptr;
    TLQGridView *FGrid = nullptr;
    TGridHintPanel *FHintPanel = nullptr;
    TKsFilterField *FKsFilterField = nullptr;
    TZyStateForm *FZyStatePanel = nullptr;
    QPointer<QWidget> FSplash;
    Qt::DockWidgetArea FPanelArea = Qt::BottomDockWidgetArea;
    std::map<Qt::DockWidgetArea, bool> FSiteShown;
    bool FClosing = false;
};
