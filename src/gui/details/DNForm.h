#pragma once

// The candidate detail window "考生信息": one candidate on six pages (three generated from
// the page templates, three scanned documents), stepping through the main window's list.

#include "details/DNLinkPolicy.h"
#include "details/DNNavigator.h"
#include "details/DNPageBuilder.h"
#include "workspace/WorkspaceViews.h"

#include <QMainWindow>
#include <QPointer>
#include <QVariantList>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QTextBrowser;
class QToolButton;
class QUrl;
class TMainDM;
class TMemberNetDM;
class IAnimationSink;
class IChangeLQZTDialog;
class IMessageSink;

// Created once at start-up and hidden, not destroyed, when closed. The workspace reaches
// it through IDetailWindowHooks (document captions, initialisation with the templates,
// hiding); the main window opens it with ShowFocusedCandidate (or Execute).
//
// Fetches of the photo, the documents and the full wish list run on the exchange's task
// thread (TMemberNetDM::TaskThread) while IsNetIdle; otherwise they are left pending and
// the thread starts them after its next delivery.
class TDNForm : public QMainWindow, public IDetailWindowHooks
{
    Q_OBJECT
public:
    TDNForm(TMainDM &dm, TMemberNetDM &net, IAnimationSink &anim, QWidget *parent = nullptr);
    ~TDNForm() override;

    // --- IDetailWindowHooks ---
    void SetDocumentCaptions(const QString &bmb, const QString &tjb, const QString &fjb) override;
    // Reads the three page templates of the program folder; throws EZKError when one
    // cannot be read.
    void InitDetailWindow() override;
    void HideDetailWindow() override;

    // --- entry points ---
    // What the main window's "考生信息" does: the focused candidate, stepping with
    // NavigateCandidates. Nothing happens without a focused candidate.
    void ShowFocusedCandidate();
    // Shows the window for the record's candidate (ignored while DNLocked).
    void Execute(TDNItemRec &DNItemRec, TDNNavigatorProc ADNNavigatorProc);
    void DisableNavigator();
    // Shows page 0..5; -1 fetches the current page's document.
    void LoadDNPage(int NewPageIndex);
    // Fetches the candidate's full wish list (only when connected).
    void LoadQBZY();

    // The status dialog of "调整专业" and "退档原因"; without one the commands do nothing.
    void SetChangeLQZTDialog(IChangeLQZTDialog *dialog) { FChangeLQZTDialog = dialog; }
    // Page errors and other messages (default: message boxes owned by this window).
    void SetMessageSink(IMessageSink *sink);
    // Hands addresses and files to the desktop (default: the desktop's own opener). Links
    // of the pages reach it only as DecideDNLink allows.
    void SetDesktopOpener(IDesktopOpener *opener);
    // Opens an unpacked document folder in the desktop's file browser (default: through
    // the desktop opener; tests replace it).
    std::function<void(const QString &folder)> OpenFolder;

    // --- state ---
    bool DNLocked = false;
    int PageIndex() const { return FBuilder.PageIndex; }
    int CurrentPhotoKind = 3;
    TDNPageBuilder &Builder() { return FBuilder; }
    const QString &Ksh() const { return FBuilder.Ksh; }
    TKSItem *KsItem() const { return FBuilder.KsItem; }
    QTextBrowser *DNBrowser() const { return FBrowser; }
    // What the browser shows: a file name, or "about:blank".
    const QString &CurrentLocation() const { return FLocation; }
    QLabel *KsLabel() const { return FKsLabel; }

    QAction *PrevAction = nullptr;
    QAction *NextAction = nullptr;
    QAction *KeepPageAction = nullptr;
    QAction *ZYAction = nullptr;
    QAction *TDYYAction = nullptr;
    QAction *SaveAction = nullptr;
    QAction *PrintAction = nullptr;
    QAction *PrintPreviewAction = nullptr;
    QAction *ExitAction = nullptr;
    QAction *HelpAction = nullptr;
    std::array<QAction *, 6> DNActions{}; // BMXXAction … FJBAction, tags 0..5
    QToolButton *PrintBtn = nullptr;

    // --- commands ---
    void PrevActionExecute();
    void NextActionExecute();
    void KeepPageActionExecute();
    void DNActionExecute(int tag);
    void ZYActionExecute();
    void TDYYActionExecute();
    void PrintActionExecute();
    void PrintBtnClick();
    void PrintPreviewActionExecute();
    void SaveActionExecute();
    void ExitActionExecute();
    void HelpActionExecute();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateActions();
    void CreateBars();
    void ApplySizeRules();
    void RefreshDNView(TDNPositionStates states);
    void Navigate(TDNNavigatorDirection dir);
    void ChangeStatus();
    void FindDocument();
    void BuildDNPage();
    void ShowDocument();
    void ShowPicture();
    void ShowFile(const QString &fileName);
    void ShowBlank();
    void ShowNoImage();
    void AnchorClicked(const QUrl &url);
    bool RefuseUnsafeCandidate();
    void PhotoDone(QVariantList &InParam, QVariantList &OutParam);
    void QBZYDone(QVariantList &InParam, QVariantList &OutParam);
    void InstallPendingRequests();
    class TMemberBgTaskThread *TaskThread() const;

    TMainDM &FDm;
    TMemberNetDM &FNet;
    IAnimationSink &FAnim;
    TDNPageBuilder FBuilder;
    TDNNavigatorProc FNavigator;
    IChangeLQZTDialog *FChangeLQZTDialog = nullptr;
    IMessageSink *FMessageSink;
    std::unique_ptr<IMessageSink> FDefaultMessageSink;
    IDesktopOpener *FDesktopOpener;
    std::unique_ptr<IDesktopOpener> FDefaultDesktopOpener;
    QTextBrowser *FBrowser = nullptr;
    QLabel *FKsLabel = nullptr;
    QActionGroup *FPageGroup = nullptr;
    QString FLocation;
    QString FPictureFile; // the picture shown on a document page, scaled on resizing
};
