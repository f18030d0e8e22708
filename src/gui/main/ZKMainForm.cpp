#include "gui/main/ZKMainForm.h"

#include "gui/common/ChangeLQZTDialog.h"
#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "gui/common/InputValues.h"
#include "gui/common/MemberWindows.h"
#include "gui/common/MessageBoxSink.h"
#include "gui/common/SplashForm.h"
#include "gui/main/FolderToolBar.h"
#include "gui/main/GridHintPanel.h"
#include "gui/main/KsFilterField.h"
#include "gui/main/LQGridView.h"
#include "gui/main/MainStatusBar.h"
#include "gui/main/MemberActionForm.h"
#include "gui/main/ZyStateForm.h"
#include "link/BgTaskThread.h"
#include "store/Compaction.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusTipEvent>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

const QString BaseCaption = u"Velkaro - 院校子系统"_s;
constexpr int MainWindowHelpTopic = 1010;

} // namespace

TZKMainForm::TZKMainForm(TMainDM &dm, bool showSplash, QWidget *parent)
    : QMainWindow(parent)
    , FDm(dm)
    , FNoWindows(std::make_unique<IMemberWindows>())
    , FDocumentOpener(this)
{
    FWindows = FNoWindows.get();
    setObjectName(u"ZKMainForm"_s);
    CreateParts(showSplash);
    SetEditionSuffix(ZKMainDef().EditionSuffix);

    FHooks.StartProgram = [](const QString &program) { return QProcess::startDetached(program, {}); };
    FHooks.AskCandidateNumber = [this](QString &ksh) {
        return InputValue(u"查找考生"_s, u"请输入要查询的考生的考生号。"_s, u"考生号:"_s, nullptr, false, 0,
                          MemberCommandDef(TMemberCommand::FindKS).HelpTopic, ksh, this);
    };

    FDm.SetMainView(this);
    FDm.SetGrid(FGrid);
    FDm.SetZyStatePanel(FZyStatePanel);
    FDm.SetClipboard(&FClipboard);
    FDm.SetDocumentOpener(&FDocumentOpener);

    // The commands' rules are looked at whenever the interface has nothing else to do.
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TZKMainForm::UpdateActions);
    UpdateActions();
}

TZKMainForm::~TZKMainForm()
{
    // The children hide while the base classes go; nothing may reach back here then.
    FClosing = true;
    disconnect(FZyStatePanel, nullptr, this, nullptr);
    disconnect(FGrid, nullptr, this, nullptr);
    FDm.SetMainView(nullptr);
    FDm.SetGrid(nullptr);
    FDm.SetZyStatePanel(nullptr);
    FDm.SetClipboard(nullptr);
    FDm.SetDocumentOpener(nullptr);
    delete FSplash;
}

void TZKMainForm::CreateParts(bool showSplash)
{
    if (showSplash) {
        auto *splash = new TSplashForm();
        splash->show();
        FSplash = splash;
    }
    ApplyWindowFont(this);

    FCommands = new TMemberActionForm(this);
    connect(FCommands, &TMemberActionForm::CommandTriggered, this, &TZKMainForm::RunCommand);
    setMenuBar(FCommands->MainMenu());
    addToolBar(Qt::TopToolBarArea, FCommands->ToolBar());
    addToolBarBreak(Qt::TopToolBarArea);
    FFolderToolBar = new TFolderToolBar(this);
    addToolBar(Qt::TopToolBarArea, FFolderToolBar);
    connect(FFolderToolBar, &TFolderToolBar::MenuItemChosen, this, &TZKMainForm::OnFolderMenuItem);

    FStatusBar = new TMainStatusBar(this);
    setStatusBar(FStatusBar);

    FClientArea = new QStackedWidget(this);
    FClientArea->setObjectName(u"ClientArea"_s);
    FClientArea->addWidget(new QWidget(FClientArea));
    FGrid = new TLQGridView(FDm, FClientArea);
    FClientArea->addWidget(FGrid);
    setCentralWidget(FClientArea);
    FHintPanel = new TGridHintPanel(this);
    WireGrid();
    AddKsFilterField();

    setDockNestingEnabled(true);
    FZyStatePanel = new TZyStateForm(FDm, this);
    addDockWidget(Qt::BottomDockWidgetArea, FZyStatePanel);
    FZyStatePanel->hide();
    WirePanel();
    InstallHelpKeys();

    resize(ScaledPixels(1000, this), ScaledPixels(700, this));
}

void TZKMainForm::WireGrid()
{
    connect(FGrid, &TLQGridView::LongTextHintRequested, this, &TZKMainForm::ShowHintPanel);
    connect(FGrid, &TLQGridView::HideHintRequested, FHintPanel, &QWidget::hide);
    connect(FGrid, &TLQGridView::StatusDialogRequested, this,
            [this] { RunCommand(TMemberCommand::ChangeLQZT); });
    connect(FGrid, &TLQGridView::DetailWindowRequested, this, [this] { RunCommand(TMemberCommand::KSXX); });
    FGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        UpdateActions();
        FCommands->GridPopupMenu()->popup(FGrid->viewport()->mapToGlobal(pos));
    });
}

void TZKMainForm::AddKsFilterField()
{
    // At the right end of the folder tool bar, after a stretch.
    auto *stretch = new QWidget(FFolderToolBar);
    stretch->setObjectName(u"FolderToolBarStretch"_s);
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    FFolderToolBar->addWidget(stretch);
    FKsFilterField = new TKsFilterField(FDm, FFolderToolBar);
    FFolderToolBar->addWidget(FKsFilterField);
    connect(FKsFilterField, &TKsFilterField::GridFocusRequested, this, [this] { FGrid->setFocus(); });
}

void TZKMainForm::FocusKsFilterField()
{
    FKsFilterField->setFocus(Qt::ShortcutFocusReason);
    FKsFilterField->selectAll();
}

void TZKMainForm::InstallHelpKeys()
{
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    // The topic of the part that has the focus: the major panel (docked or floating) has
    // its own.
    connect(f1, &QShortcut::activated, this,
            [this] { ShowHelpTopic(HelpTopicAt(QApplication::focusWidget(), MainWindowHelpTopic), this); });
    // F1 on an open menu shows the topic of the highlighted command.
    const QList<QMenu *> menus = findChildren<QMenu *>();
    for (QMenu *menu : menus)
        menu->installEventFilter(this);
}

bool TZKMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
        if (auto *menu = qobject_cast<QMenu *>(watched)) {
            const int topic = TMemberActionForm::HelpTopicOf(menu->activeAction());
            if (topic >= 0) {
                menu->close();
                ShowHelpTopic(topic, this);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TZKMainForm::SetNetDM(TMemberNetDM *net)
{
    FNet = net;
}

void TZKMainForm::SetMemberWindows(IMemberWindows *windows)
{
    FWindows = windows ? windows : FNoWindows.get();
}

void TZKMainForm::SetMessageSink(IMessageSink *sink)
{
    FMessageSink = sink;
}

void TZKMainForm::SetChangeLQZTDialog(IChangeLQZTDialog *dialog)
{
    FChangeLQZTDialog = dialog;
}

void TZKMainForm::SetTaskThread(TBgTaskThread *thread)
{
    FThread = thread;
    FThreadSet = thread != nullptr;
}

IMessageSink &TZKMainForm::Messages() const
{
    if (FMessageSink)
        return *FMessageSink;
    auto &self = const_cast<TZKMainForm &>(*this);
    if (!self.FDefaultMessageSink)
        self.FDefaultMessageSink = std::make_unique<TMessageBoxSink>(self.window());
    return *self.FDefaultMessageSink;
}

void TZKMainForm::SetEditionSuffix(const QString &suffix)
{
    setWindowTitle(BaseCaption + suffix);
}

// --- IMainView ---

void TZKMainForm::SetFolderButtonCaption(TFolderButton button, const QString &caption)
{
    FFolderToolBar->SetButtonCaption(button, caption, ZKMainDef().CurZT);
}

void TZKMainForm::SetFolderMenu(TFolderMenu menu, const QList<TMenuItemRec> &items)
{
    FFolderToolBar->SetMenu(menu, items);
}

void TZKMainForm::SetStatusPanelText(int panel, const QString &text)
{
    FStatusBar->SetPanelText(panel, text);
}

void TZKMainForm::SetClientAreaVisible(bool visible)
{
    FClientArea->setCurrentIndex(visible ? 1 : 0);
}

bool TZKMainForm::IsClientAreaVisible() const
{
    return FClientArea->currentIndex() == 1;
}

void TZKMainForm::HideHintPanel()
{
    FHintPanel->hide();
}

void TZKMainForm::ShowKsFilterText(const QString &text)
{
    FKsFilterField->setText(text);
}

int TZKMainForm::ScreenDotsPerInch() const
{
    return logicalDpiY();
}

int TZKMainForm::ScreenWidthPixels() const
{
    const QScreen *s = screen();
    return s ? s->geometry().width() : 1280;
}

void TZKMainForm::ShowHintPanel(const QString &title, const QString &text, const QRect &cell)
{
    FHintPanel->SetTexts(title, text);
    FHintPanel->move(FGrid->HintPanelPos(cell, FHintPanel->size(), this));
    FHintPanel->show();
    FHintPanel->raise();
}

void TZKMainForm::OnFolderMenuItem(TFolderMenu menu, const QString &caption, int tag)
{
    switch (menu) {
    case TFolderMenu::PC:
        FDm.PCMenuItemClick(caption);
        break;
    case TFolderMenu::KL_JHXZ:
        FDm.KL_JHXZMenuItemClick(tag);
        break;
    case TFolderMenu::TDDW:
        FDm.TDDWMenuItemClick(tag);
        break;
    case TFolderMenu::ZY:
        FDm.ZYMenuItemClick(tag);
        break;
    }
}

// --- events ---

bool TZKMainForm::event(QEvent *event)
{
    // The application's hints (the long hint of a command or control under the mouse)
    // go to the last status panel, not over the panels.
    if (event->type() == QEvent::StatusTip) {
        FStatusBar->SetPanelText(TMainStatusBar::HintPanel, static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TZKMainForm::ForegroundIdle() const
{
    if (FHooks.ForegroundIdle)
        return FHooks.ForegroundIdle();
    const TBgTaskThread *thread = FThreadSet ? FThread : BgTaskThread;
    return !thread || thread->IsFgLongTaskIdle();
}

void TZKMainForm::closeEvent(QCloseEvent *event)
{
    if (FClosing || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    FClosing = true;
    event->accept();
    FormClose();
}

bool TZKMainForm::FormCloseQuery()
{
    TZKMainDef &def = ZKMainDef();
    if (!def.IsNetIdle || !ForegroundIdle()) {
        Messages().ShowMessage(u"正在执行后台任务，请稍候再退出。"_s, u"退出"_s, TMsgIcon::Information);
        return false;
    }
    if (def.IsTDDOpen) {
        FDm.SaveZyStateReportMode();
        FDm.CloseTDD();
    }
    FDm.UnivConn.Close();
    if (def.IsTDDImported && !def.LoginInfo.UserFolder.isEmpty())
        CompactMainDatabase(def.LoginInfo.UserFolder);
    return true;
}

void TZKMainForm::FormClose()
{
    delete FSplash;
    if (!RestartAfterClose)
        return;
    const QString program = QCoreApplication::applicationFilePath();
    if (!FHooks.StartProgram || !FHooks.StartProgram(program)) {
        Messages().ShowMessage(u"无法重新启动程序:\r\n"_s + program, PlainCaption(u"重新登录"_s),
                               TMsgIcon::Warning);
    }
}
