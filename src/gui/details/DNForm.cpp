// The detail window: layout, commands, navigation and status change.
#include "gui/details/DNForm.h"

#include "exchange/MemberNetDM.h"
#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "gui/common/MessageBoxSink.h"
#include "store/NameGuards.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/ChangeLQZT.h"
#include "workspace/MainDM.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int HelpTopic = 11320;
const QStringList PageCaptions{u"报名信息"_s, u"成绩与志愿"_s, u"体检信息"_s,
                               u"报名表"_s,   u"体检表"_s,     u"附加表"_s};

QIcon Icon(const QString &name)
{
    return QIcon(u":/details/icons/"_s + name + u".svg"_s);
}

class TDesktopServicesOpener : public IDesktopOpener
{
public:
    void OpenUrl(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

} // namespace

TDNForm::TDNForm(TMainDM &dm, TMemberNetDM &net, IAnimationSink &anim, QWidget *parent)
    : QMainWindow(parent)
    , FDm(dm)
    , FNet(net)
    , FAnim(anim)
    , FBuilder(dm)
    , FDefaultMessageSink(std::make_unique<TMessageBoxSink>(this))
    , FDefaultDesktopOpener(std::make_unique<TDesktopServicesOpener>())
{
    FMessageSink = FDefaultMessageSink.get();
    FDesktopOpener = FDefaultDesktopOpener.get();
    OpenFolder = [this](const QString &folder) { FDesktopOpener->OpenUrl(QUrl::fromLocalFile(folder)); };
    setObjectName(u"DNForm"_s);
    setWindowTitle(u"考生信息"_s);
    setWindowFlag(Qt::Window);
    FBrowser = new QTextBrowser(this);
    FBrowser->setObjectName(u"DNBrowser"_s);
    FBrowser->setAccessibleName(u"考生信息页面"_s);
    FBrowser->setOpenLinks(false);
    FBrowser->installEventFilter(this);
    connect(FBrowser, &QTextBrowser::anchorClicked, this, &TDNForm::AnchorClicked);
    setCentralWidget(FBrowser);
    CreateActions();
    CreateBars();
    ApplyWindowFont(this);
    ApplySizeRules();
}

TDNForm::~TDNForm()
{
    if (TMemberBgTaskThread *thread = TaskThread()) {
        thread->PendingRequests.LoadDNPage = nullptr;
        thread->PendingRequests.LoadQBZY = nullptr;
    }
    // The page files live only as long as the window (never a folder relative to the
    // working directory when no user was logged in).
    const QString download = ZKMainDef().LoginInfo.DownloadFolder;
    if (!download.isEmpty())
        DeleteFolderTree(download + u"HtmlTemp/"_s);
}

void TDNForm::CreateActions()
{
    auto make = [this](const QString &text, const QString &icon, const QString &name, auto handler) {
        QAction *a = new QAction(text, this);
        a->setObjectName(name);
        if (!icon.isEmpty())
            a->setIcon(Icon(icon));
        a->setToolTip(text);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    PrevAction = make(u"向前"_s, u"prior"_s, u"PrevAction"_s, &TDNForm::PrevActionExecute);
    NextAction = make(u"向后"_s, u"next"_s, u"NextAction"_s, &TDNForm::NextActionExecute);
    KeepPageAction = make(u"固定页面"_s, u"keeppage"_s, u"KeepPageAction"_s, &TDNForm::KeepPageActionExecute);
    KeepPageAction->setCheckable(true);
    ZYAction = make(u"调整专业"_s, u"major"_s, u"ZYAction"_s, &TDNForm::ZYActionExecute);
    TDYYAction = make(u"退档原因"_s, u"returnreason"_s, u"TDYYAction"_s, &TDNForm::TDYYActionExecute);
    SaveAction = make(u"保存"_s, u"save"_s, u"SaveAction"_s, &TDNForm::SaveActionExecute);
    PrintAction = make(u"打印"_s, u"print"_s, u"PrintAction"_s, &TDNForm::PrintActionExecute);
    PrintPreviewAction =
        make(u"打印预览"_s, QString(), u"PrintPreviewAction"_s, &TDNForm::PrintPreviewActionExecute);
    ExitAction = make(u"关闭"_s, u"close"_s, u"ExitAction"_s, &TDNForm::ExitActionExecute);
    HelpAction = make(u"帮助"_s, u"help"_s, u"HelpAction"_s, &TDNForm::HelpActionExecute);
    HelpAction->setShortcut(QKeySequence(Qt::Key_F1));
    PrevAction->setShortcut(QKeySequence(Qt::Key_PageUp));
    NextAction->setShortcut(QKeySequence(Qt::Key_PageDown));

    static const char *const names[] = {"BMXXAction", "CJZYAction", "TJXXAction",
                                        "BMBAction",  "TJBAction",  "FJBAction"};
    FPageGroup = new QActionGroup(this);
    FPageGroup->setExclusive(true);
    for (int tag = 0; tag < 6; ++tag) {
        QAction *a = new QAction(PageCaptions[tag], FPageGroup);
        a->setObjectName(QString::fromLatin1(names[tag]));
        a->setCheckable(true);
        a->setData(tag);
        a->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + tag)));
        connect(a, &QAction::triggered, this, [this, tag] { DNActionExecute(tag); });
        DNActions[size_t(tag)] = a;
    }
    DNActions[0]->setChecked(true);
}

void TDNForm::CreateBars()
{
    QMenu *file = menuBar()->addMenu(u"文件(&F)"_s);
    file->addActions({PrevAction, NextAction});
    file->addSeparator();
    file->addAction(KeepPageAction);
    file->addSeparator();
    file->addActions({ZYAction, TDYYAction});
    file->addSeparator();
    file->addActions({SaveAction, PrintAction, PrintPreviewAction});
    file->addSeparator();
    file->addAction(ExitAction);
    QMenu *view = menuBar()->addMenu(u"查看(&V)"_s);
    for (QAction *a : DNActions)
        view->addAction(a);
    QMenu *help = menuBar()->addMenu(u"帮助(&H)"_s);
    help->addAction(HelpAction);

    QToolBar *main = addToolBar(u"主工具栏"_s);
    main->setObjectName(u"MainToolBar"_s);
    main->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    main->setMovable(false);
    main->addActions({PrevAction, NextAction});
    main->addSeparator();
    main->addAction(KeepPageAction);
    main->addSeparator();
    main->addActions({ZYAction, TDYYAction});
    main->addSeparator();
    main->addAction(SaveAction);
    // The print button prints at once; its menu offers the dialog and the preview.
    PrintBtn = new QToolButton(main);
    PrintBtn->setObjectName(u"PrintBtn"_s);
    PrintBtn->setText(u"打印"_s);
    PrintBtn->setIcon(Icon(u"print"_s));
    PrintBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    PrintBtn->setPopupMode(QToolButton::MenuButtonPopup);
    PrintBtn->setAutoRaise(true);
    QMenu *printMenu = new QMenu(PrintBtn);
    printMenu->addActions({PrintAction, PrintPreviewAction});
    PrintBtn->setMenu(printMenu);
    connect(PrintBtn, &QToolButton::clicked, this, &TDNForm::PrintBtnClick);
    main->addWidget(PrintBtn);
    main->addSeparator();
    main->addAction(ExitAction);
    main->addSeparator();
    main->addAction(HelpAction);

    addToolBarBreak();
    QToolBar *pages = addToolBar(u"页面工具栏"_s);
    pages->setObjectName(u"PageToolBar"_s);
    pages->setMovable(false);
    FKsLabel = new QLabel(pages);
    FKsLabel->setObjectName(u"KsLabel"_s);
    FKsLabel->setTextFormat(Qt::PlainText); // the candidate's number and name, never markup
    FKsLabel->setContentsMargins(ScaledPixels(6, this), 0, ScaledPixels(10, this), 0);
    QFont bold = FKsLabel->font();
    bold.setBold(true);
    FKsLabel->setFont(bold);
    pages->addWidget(FKsLabel);
    pages->addSeparator();
    for (QAction *a : DNActions)
        pages->addAction(a);
}

void TDNForm::ApplySizeRules()
{
    const QScreen *screen = this->screen();
    const int screenHeight = screen ? screen->availableGeometry().height() : 768;
    const int height = qMax(ScaledPixels(533, this), screenHeight * 89 / 100);
    resize(ScaledPixels(766, this), height);
    if (screen) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height / 2));
    }
}

void TDNForm::SetMessageSink(IMessageSink *sink)
{
    FMessageSink = sink ? sink : FDefaultMessageSink.get();
}

void TDNForm::SetDesktopOpener(IDesktopOpener *opener)
{
    FDesktopOpener = opener ? opener : FDefaultDesktopOpener.get();
}

void TDNForm::SetDocumentCaptions(const QString &bmb, const QString &tjb, const QString &fjb)
{
    const QString captions[] = {bmb, tjb, fjb};
    for (int n = 0; n < 3; ++n)
        DNActions[size_t(n + 3)]->setText(captions[n].isEmpty() ? PageCaptions[n + 3] : captions[n]);
}

void TDNForm::InitDetailWindow()
{
    FBuilder.Init();
}

void TDNForm::HideDetailWindow()
{
    hide();
}

void TDNForm::ShowFocusedCandidate()
{
    // The grid's focused row is the truth: the workspace's FocusedKsItem is only
    // brought up to date when a selection is remembered (sorting, dragging, decisions)
    // and may name a candidate the member has since left.
    const int row = FDm.Grid().FocusedRow();
    TKSItem *item = row >= 0 && row < FDm.CurrentKSList.size() ? FDm.CurrentKSList[row] : FDm.FocusedKsItem;
    if (!item)
        return;
    TDNItemRec rec;
    FillDNItemRec(FDm, item, rec);
    Execute(rec,
            [this](TDNNavigatorDirection dir, TDNItemRec &r) { return NavigateCandidates(FDm, dir, r); });
}

void TDNForm::Execute(TDNItemRec &DNItemRec, TDNNavigatorProc ADNNavigatorProc)
{
    if (DNLocked)
        return;
    FBuilder.SetCandidate(DNItemRec.Ksh, DNItemRec.KsItem);
    FNavigator = std::move(ADNNavigatorProc);
    ZYAction->setEnabled(true);
    TDYYAction->setEnabled(true);
    RefreshDNView(DNItemRec.PositionStates);
    show();
    raise();
    activateWindow();
}

void TDNForm::DisableNavigator()
{
    PrevAction->setEnabled(false);
    NextAction->setEnabled(false);
}

void TDNForm::RefreshDNView(TDNPositionStates states)
{
    PrevAction->setEnabled(!states.testFlag(dpsFirst));
    NextAction->setEnabled(!states.testFlag(dpsLast));
    try {
        if (FBuilder.OpenDossierRow())
            FKsLabel->setText(FBuilder.Ksh + u" - "_s + FBuilder.DossierText(u"XM"_s));
    } catch (const EZKError &) {
        // The page shows the error when it is built.
    }
    if (KeepPageAction->isChecked()) {
        LoadDNPage(FBuilder.PageIndex);
    } else {
        LoadDNPage(0);
        DNActions[0]->setChecked(true);
    }
}

void TDNForm::Navigate(TDNNavigatorDirection dir)
{
    if (!FNavigator)
        return;
    TDNItemRec rec{FBuilder.Ksh, FBuilder.KsItem, {}};
    if (!FNavigator(dir, rec)) {
        hide();
        return;
    }
    FBuilder.SetCandidate(rec.Ksh, rec.KsItem);
    RefreshDNView(rec.PositionStates);
}

void TDNForm::PrevActionExecute()
{
    Navigate(TDNNavigatorDirection::dndPrior);
}

void TDNForm::NextActionExecute()
{
    Navigate(TDNNavigatorDirection::dndNext);
}

void TDNForm::KeepPageActionExecute()
{
    // The action is checkable: the trigger has toggled its check mark already.
}

void TDNForm::DNActionExecute(int tag)
{
    DNActions[size_t(tag)]->setChecked(true);
    if (tag != FBuilder.PageIndex)
        LoadDNPage(tag);
}

void TDNForm::ChangeStatus()
{
    if (!FChangeLQZTDialog)
        return;
    DNLocked = true;
    TChangeLQZTForm(FDm, *FChangeLQZTDialog).Execute();
    DNLocked = false;
    if (FBuilder.PageIndex == 1 && isVisible())
        LoadDNPage(1);
}

void TDNForm::ZYActionExecute()
{
    ChangeStatus();
}

void TDNForm::TDYYActionExecute()
{
    ChangeStatus();
}

void TDNForm::PrintActionExecute()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(u"打印"_s);
    if (dialog.exec() == QDialog::Accepted)
        FBrowser->document()->print(&printer);
}

void TDNForm::PrintBtnClick()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid()) {
        FMessageSink->ShowMessage(u"没有可用的打印机。"_s, windowTitle(), TMsgIcon::Warning);
        return;
    }
    FBrowser->document()->print(&printer);
}

void TDNForm::PrintPreviewActionExecute()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(u"打印预览"_s);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *p) { FBrowser->document()->print(p); });
    dialog.exec();
}

void TDNForm::SaveActionExecute()
{
    const bool hasFile = FLocation != u"about:blank"_s && QFileInfo::exists(FLocation);
    QString suggested = hasFile ? QFileInfo(FLocation).fileName() : FBuilder.Ksh + u".htm"_s;
    if (!IsPlainFileName(suggested))
        suggested = u"考生信息.htm"_s;
    const QString target =
        QFileDialog::getSaveFileName(this, u"保存"_s, suggested, u"网页 (*.htm *.html);;所有文件 (*)"_s);
    if (target.isEmpty())
        return;
    bool ok = false;
    if (hasFile) {
        QFile::remove(target);
        ok = QFile::copy(FLocation, target);
    } else {
        QFile out(target);
        ok = out.open(QIODevice::WriteOnly) && out.write(FBrowser->toHtml().toUtf8()) >= 0;
    }
    if (!ok)
        FMessageSink->ShowMessage(u"无法保存文件 "_s + target, windowTitle(), TMsgIcon::Warning);
}

void TDNForm::ExitActionExecute()
{
    close();
}

void TDNForm::HelpActionExecute()
{
    ShowHelpTopic(HelpTopic, this);
}

void TDNForm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        close();
        return;
    default:
        QMainWindow::keyPressEvent(event);
    }
}

bool TDNForm::eventFilter(QObject *watched, QEvent *event)
{
    // The window sees Enter and Esc before the browser does.
    if (watched == FBrowser && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TDNForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (!FPictureFile.isEmpty())
        ShowPicture();
}

void TDNForm::closeEvent(QCloseEvent *event)
{
    // Closing only hides the window; it is made once and shown again for each candidate.
    event->accept();
    hide();
}
