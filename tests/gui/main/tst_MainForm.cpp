// The main window on a small workspace: which commands are enabled in which state, the
// folder buttons and their menus, the status panels, the dock sites, closing, "重新登录",
// and the commands that reach the workspace (status dialog, find, sort, copy, pages).
#include "WorkspaceFixture.h"
#include "exchange/MemberNetDM.h"
#include "gui/common/MemberWindows.h"
#include "gui/main/FolderToolBar.h"
#include "gui/main/GridHintPanel.h"
#include "gui/main/KsFilterField.h"
#include "gui/main/LQGridView.h"
#include "gui/main/MainStatusBar.h"
#include "gui/main/MemberActionForm.h"
#include "gui/main/ZKMainForm.h"
#include "gui/main/ZyStateForm.h"
#include "store/ZKMainDef.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The windows of other subsystems, present or not, counting their calls.
class TTestWindows : public IMemberWindows
{
public:
    bool HasDetailWindow() const override { return Present; }
    void ShowDetailWindow() override { Calls.append(u"detail"_s); }
    bool HasStatistics() const override { return Present; }
    void ShowStatistics() override { Calls.append(u"statistics"_s); }
    bool HasPrinting() const override { return Present; }
    void PrintDossierList() override { Calls.append(u"print"_s); }
    bool HasExport() const override { return Present; }
    void ExportDossiers() override { Calls.append(u"export"_s); }
    void ExportScreen() override { Calls.append(u"export screen"_s); }
    bool HasOptions() const override { return Present; }
    void ShowOptions() override { Calls.append(u"options"_s); }
    bool HasJournal() const override { return Present; }
    void ShowJournal() override { Calls.append(u"journal"_s); }
    bool HasReconnect() const override { return Present; }
    bool Reconnect() override
    {
        Calls.append(u"reconnect"_s);
        return OnReconnect ? OnReconnect() : false;
    }

    bool Present = true;
    QStringList Calls;
    std::function<bool()> OnReconnect;
};

// Catches the addresses the window hands to the desktop.
class TUrlCatcher : public QObject
{
    Q_OBJECT
public slots:
    void Open(const QUrl &url)
    {
        Urls.append(url);
        if (OnOpen)
            OnOpen(url);
    }

public:
    QList<QUrl> Urls;
    std::function<void(const QUrl &)> OnOpen;
};

const QString K1 = u"26110101000001"_s, K2 = u"26110101000002"_s, K3 = u"26110101000003"_s;

TFixtureCandidate Cand(const QString &ksh, double score, const QString &ytzy)
{
    TFixtureCandidate c{ksh};
    c.ZYYTJZCJ = score;
    c.YTZY = ytzy;
    c.ZYDH = {ytzy};
    return c;
}

// A workspace with three undecided candidates and the main window on it.
struct TRig
{
    TRig()
    {
        F.AddCandidate(Cand(K1, 600, u"01"_s));
        F.AddCandidate(Cand(K2, 620, u"02"_s));
        F.AddCandidate(Cand(K3, 610, u"01"_s));
        W = std::make_unique<TZKMainForm>(F.Dm(), false);
        W->SetMessageSink(&Messages);
        W->SetChangeLQZTDialog(&Dialog);
        W->SetMemberWindows(&Windows);
        W->Hooks().ForegroundIdle = [this] { return ForegroundIdle; };
        W->Hooks().StartProgram = [this](const QString &program) {
            Started.append(program);
            return true;
        };
    }

    void Open()
    {
        F.Open();
        QVERIFY(ZKMainDef().IsTDDOpen);
        ZKMainDef().IsSystemReady = true;
    }

    // Selects the rows of these candidates, the focus on the first.
    void Select(const QStringList &kshs)
    {
        TLQGridView *grid = W->Grid();
        grid->ClearSelection();
        grid->SetFocusedRow(-1);
        for (const QString &ksh : kshs) {
            grid->SelectRow(F.Ks(ksh)->KsIndex);
            if (grid->FocusedRow() < 0)
                grid->SetFocusedRow(F.Ks(ksh)->KsIndex);
        }
    }

    QStringList EnabledCommands()
    {
        W->UpdateActions();
        QStringList names;
        for (const TMemberCommandDef &def : MemberCommands()) {
            if (W->Commands()->Action(def.Id)->isEnabled())
                names.append(def.Name);
        }
        return names;
    }

    QString Panel(int i) const { return W->MainStatusBar()->Panel(i)->text(); }
    QAction *Action(TMemberCommand id) const { return W->Commands()->Action(id); }
    QStringList Shown() const { return F.Shown(); }

    TWorkspaceFixture F;
    TFakeMessageSink Messages;
    TFakeChangeLQZTDialog Dialog;
    TTestWindows Windows;
    bool ForegroundIdle = true;
    QStringList Started;
    std::unique_ptr<TZKMainForm> W;
};

// The captions of a menu, "-" for separators, "[sub]" for a sub-menu's title.
QStringList MenuCaptions(const QMenu *menu)
{
    QStringList captions;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *a : actions)
        captions.append(a->isSeparator() ? u"-"_s : a->menu() ? u"[%1]"_s.arg(a->text()) : a->text());
    return captions;
}

// Runs the event loop until it has waited for events once (the application is idle).
void RunIdleLoop()
{
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
}

QStringList Names(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *n : names)
        list.append(QString::fromLatin1(n));
    return list;
}

} // namespace

class TstMainForm : public QObject
{
    Q_OBJECT

private slots:
    void enablingRules_data();
    void enablingRules();
    void menusAndToolBars();
    void folderButtonsAndMenus();
    void folderMenusOnTheAccessibilityBus();
    void stateColours();
    void statusPanels();
    void dockSites();
    void panelKeepsItsSize();
    void closeRefusedWhileBusy();
    void closeSavesViewAndClosesSet();
    void restartStartsTheProgram();
    void statusCommandWalk();
    void findSortAndCopy();
    void filterField();
    void hintPanel();
    void pagesAndWindows();
};

// The rows: the state, then every enabled command beside the nine that always are.
void TstMainForm::enablingRules_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("netIdle");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("zt");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<bool>("foregroundIdle");
    QTest::addColumn<QStringList>("enabled");

    const QStringList setOpen = Names({"DumpTextToFileAction", "PrintTDDAction", "FindKSAction",
                                       "CopyKshToClipboardAction", "FilterKSAction", "ZyStateAction",
                                       "SortByKSHAction", "SortByCjAction", "SortByLQZYAction", "StatAction",
                                       "OptionsAction", "JournalAction"});
    const QStringList ready = Names({"DumpToFileAction", "ShowCodeTableAction"});
    const QStringList selection = Names({"KSXXAction", "ChangeLQZTAction"});
    const QStringList link = Names({"LogoutAction", "DownLoadTDDAction"});

    QTest::newRow("start, no other windows")
        << false << true << false << false << 1 << false << false << true << QStringList();
    QTest::newRow("offline, not ready")
        << false << true << false << false << 1 << false << true << true << Names({"LoginAction"});
    QTest::newRow("offline, ready") << false << true << true << false << 1 << false << true << true
                                    << Names({"LoginAction"}) + ready;
    QTest::newRow("set open, nothing selected") << false << true << true << true << 1 << false << true << true
                                                << Names({"LoginAction"}) + ready + setOpen;
    QTest::newRow("set open, rows selected") << false << true << true << true << 1 << true << true << true
                                             << Names({"LoginAction"}) + ready + setOpen + selection;
    QTest::newRow("set open, no other windows")
        << false << true << true << true << 1 << true << false << true
        << Names({"ShowCodeTableAction", "FindKSAction", "CopyKshToClipboardAction", "FilterKSAction",
                  "ZyStateAction", "SortByKSHAction", "SortByCjAction", "SortByLQZYAction", "ChangeLQZTAction"});
    QTest::newRow("connected, reading") << true << true << true << true << 1 << true << true << true
                                        << ready + setOpen + selection + link + Names({"UpLoadJGAction"});
    QTest::newRow("connected, in review")
        << true << true << true << true << 2 << true << true << true << ready + setOpen + selection + link;
    QTest::newRow("connected, admission ended")
        << true << true << true << true << 3 << true << true << true << ready + setOpen + selection + link;
    QTest::newRow("connected, link busy")
        << true << false << true << true << 1 << true << true << true << ready + setOpen + selection;
    QTest::newRow("offline, link busy")
        << false << false << true << false << 1 << false << true << true << ready;
    QTest::newRow("export running") << false << true << true << true << 1 << true << true << false
                                    << Names({"LoginAction", "ShowCodeTableAction"}) + setOpen + selection;
}

void TstMainForm::enablingRules()
{
    QFETCH(bool, connected);
    QFETCH(bool, netIdle);
    QFETCH(bool, ready);
    QFETCH(bool, open);
    QFETCH(int, zt);
    QFETCH(bool, selected);
    QFETCH(bool, windows);
    QFETCH(bool, foregroundIdle);
    QFETCH(QStringList, enabled);

    TRig rig;
    TMemberNetDM net(rig.F.Dm());
    rig.W->SetNetDM(&net);
    if (open)
        rig.Open();
    TZKMainDef &def = ZKMainDef();
    def.IsConnected = connected;
    def.IsNetIdle = netIdle;
    def.IsSystemReady = ready;
    def.CurZT = zt;
    rig.Windows.Present = windows;
    rig.ForegroundIdle = foregroundIdle;
    if (open)
        rig.Select(selected ? QStringList{K1, K2} : QStringList());

    QStringList expected =
        Names({"LinkToZBAction", "ExitAndLoginAction", "ExitAction", "SelectPCAction", "SelectKL_JHXZAction",
               "ViewTDDWAction", "ViewZYAction", "HelpContentAction", "AboutAction"}) +
        enabled;
    expected.sort();
    QStringList actual = rig.EnabledCommands();
    actual.sort();
    QCOMPARE(actual, expected);
    // The panel's command is ticked exactly while the panel shows.
    QCOMPARE(rig.Action(TMemberCommand::ZyState)->isChecked(), rig.W->ZyStatePanel()->isVisible());
    def.IsNetIdle = true;
}

void TstMainForm::menusAndToolBars()
{
    TRig rig;
    TZKMainForm &w = *rig.W;
    QCOMPARE(w.windowTitle(), u"Velkaro - 院校子系统"_s);
    w.SetEditionSuffix(MemberEditionSuffix);
    QCOMPARE(w.windowTitle(), u"Velkaro - 院校子系统 [组员使用]"_s);

    QStringList titles;
    QList<QStringList> menus;
    const QList<QAction *> top = w.menuBar()->actions();
    for (const QAction *a : top) {
        titles.append(a->text());
        menus.append(MenuCaptions(a->menu()));
    }
    QCOMPARE(titles,
             (QStringList{u"网络(&N)"_s, u"文件(&F)"_s, u"编辑(&E)"_s, u"查看(&V)"_s, u"帮助(&H)"_s}));
    QCOMPARE(menus.at(0), (QStringList{u"连接网络(&C)..."_s, u"断开连接(&D)"_s, u"-"_s,
                                       u"接收考生投档单(&D)"_s, u"发送调剂意见(&U)"_s, u"-"_s,
                                       u"高校招生信息发布主页"_s, u"-"_s, u"重新登录"_s, u"退出(&X)"_s}));
    QCOMPARE(menus.at(1),
             (QStringList{u"选择批次..."_s, u"选择科类、计划性质..."_s, u"-"_s, u"导出投档单(&S)..."_s,
                          u"导出屏幕显示的投档单信息..."_s, u"-"_s, u"打印投档单..."_s}));
    QCOMPARE(menus.at(2),
             (QStringList{u"修改预录取状态..."_s, u"查找考生(&F)..."_s, u"复制选中考生的考生号"_s,
                          u"筛选考生"_s}));
    QCOMPARE(menus.at(3),
             (QStringList{u"专业信息(&D)"_s, u"-"_s, u"考生详细信息"_s, u"统计信息..."_s, u"代码表页面"_s,
                          u"决定记录..."_s, u"-"_s, u"选择要查看的投档单位..."_s, u"选择要查看的专业..."_s, u"-"_s,
                          u"[排序(&S)]"_s, u"-"_s, u"选项(&O)"_s}));
    QCOMPARE(MenuCaptions(w.findChild<QMenu *>(u"SortMenu"_s)),
             (QStringList{u"以考生号排序(&I)"_s, u"以基准成绩排序(&S)"_s, u"以录取专业排序(&D)"_s}));
    QCOMPARE(menus.at(4), (QStringList{u"目录和索引(&C)"_s, u"-"_s, u"关于本软件(&A)..."_s}));
    QCOMPARE(MenuCaptions(w.Commands()->GridPopupMenu()),
             (QStringList{u"考生详细信息"_s, u"-"_s, u"修改预录取状态..."_s, u"复制选中考生的考生号"_s}));

    QToolBar *bar = w.Commands()->ToolBar();
    QCOMPARE(bar->windowTitle(), u"工具条"_s);
    QStringList tools;
    const QList<QAction *> items = bar->actions();
    for (QAction *a : items) {
        if (a->isSeparator())
            tools.append(u"-"_s);
        else if (auto *b = qobject_cast<QToolButton *>(bar->widgetForAction(a)))
            tools.append(b->text());
    }
    QCOMPARE(tools, (QStringList{u"接收考生投档单"_s, u"发送调剂意见"_s, u"-"_s, u"导出投档单"_s, u"-"_s,
                                 u"修改预录取状态"_s, u"-"_s, u"打印投档单"_s, u"-"_s, u"代码表页面"_s,
                                 u"-"_s, u"退出"_s}));
    QCOMPARE(MenuCaptions(w.Commands()->CodeTableButton()->menu()),
             (QStringList{u"代码表页面"_s, u"高校招生信息发布主页"_s}));

    // Shortcuts, hints and help topics come from one table.
    QAction *change = rig.Action(TMemberCommand::ChangeLQZT);
    QCOMPARE(change->shortcut(), QKeySequence(u"Ctrl+H"_s));
    QCOMPARE(change->toolTip(), u"修改预录取状态"_s);
    QCOMPARE(change->statusTip(), u"修改所选择考生的预录取状态。"_s);
    QCOMPARE(TMemberActionForm::HelpTopicOf(change), 14210);
    QCOMPARE(rig.Action(TMemberCommand::Stat)->toolTip(), u"统计与打印"_s);
    QCOMPARE(TMemberActionForm::HelpTopicOf(rig.Action(TMemberCommand::HelpContent)), 0);

    // The long hint of what is under the mouse goes to the last status panel.
    rig.Action(TMemberCommand::Login)->showStatusText(&w);
    QCOMPARE(rig.Panel(TMainStatusBar::HintPanel), u"连接到招生办公室的远程服务器上。"_s);
}

void TstMainForm::folderButtonsAndMenus()
{
    TRig rig;
    rig.Open();
    TFolderToolBar *bar = rig.W->FolderToolBar();
    auto caption = [bar](TFolderButton b) { return bar->Button(b)->text(); };
    QCOMPARE(caption(TFolderButton::YX_SS), u"10001 测试大学 - 测试省录取进程"_s);
    QVERIFY(caption(TFolderButton::PC).startsWith(u"1 "_s));
    QVERIFY(caption(TFolderButton::KL_JHXZ).startsWith(u"1 "_s));
    QCOMPARE(caption(TFolderButton::TDDW), u"所有的投档单位"_s);
    QCOMPARE(caption(TFolderButton::ZY), u"所有的专业"_s);

    // The unit menu narrows the lists; its button and the major menu follow.
    QMenu *units = bar->Menu(TFolderMenu::TDDW);
    QCOMPARE(MenuCaptions(units).mid(0, 2), (QStringList{u"所有的投档单位"_s, u"-"_s}));
    QAction *unit002 = units->actions().at(3);
    QVERIFY(unit002->text().startsWith(u"002 "_s));
    unit002->trigger();
    QCOMPARE(ZKMainDef().TddwFilter, 1);
    QVERIFY(caption(TFolderButton::TDDW).startsWith(u"002 "_s));
    QVERIFY(caption(TFolderButton::ZY).endsWith(u"的所有专业"_s));

    // The major menu: "预退档考生" narrows the grid to the returned pseudo-major.
    units->actions().at(0)->trigger();
    QMenu *majors = bar->Menu(TFolderMenu::ZY);
    QAction *returned = nullptr;
    const QList<QAction *> majorItems = majors->actions();
    for (QAction *a : majorItems) {
        if (a->text() == u"预退档考生"_s)
            returned = a;
    }
    QVERIFY(returned);
    returned->trigger();
    QCOMPARE(caption(TFolderButton::ZY), u"预退档考生"_s);
    QCOMPARE(rig.Shown(), QStringList());

    // The buttons and the commands drop their menus under the button.
    rig.W->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.W.get()));
    QTest::mouseClick(bar->Button(TFolderButton::PC), Qt::LeftButton);
    QTRY_VERIFY(bar->Menu(TFolderMenu::PC)->isVisible());
    const QPoint under =
        bar->Button(TFolderButton::PC)->mapToGlobal(QPoint(0, bar->Button(TFolderButton::PC)->height()));
    QVERIFY(qAbs(bar->Menu(TFolderMenu::PC)->pos().y() - under.y()) <= 2);
    bar->Menu(TFolderMenu::PC)->hide();
    rig.W->RunCommand(TMemberCommand::ViewZY);
    QTRY_VERIFY(majors->isVisible());
    majors->hide();
    // The plain-text buttons do nothing.
    QTest::mouseClick(bar->Button(TFolderButton::ZT), Qt::LeftButton);
    const QList<QMenu *> menus = bar->findChildren<QMenu *>();
    for (QMenu *m : menus)
        QVERIFY(!m->isVisible());
}

// A screen reader finds the folder tool bar's menus as it finds the menu bar's: each
// dropping button holds its menu with every item named, and can choose an item.
void TstMainForm::folderMenusOnTheAccessibilityBus()
{
    TRig rig;
    rig.Open();
    TFolderToolBar *bar = rig.W->FolderToolBar();
    QAccessibleInterface *barIface = QAccessible::queryAccessibleInterface(bar);
    QVERIFY(barIface);
    const QList<std::tuple<TFolderButton, TFolderMenu, QString>> dropping = {
        {TFolderButton::PC, TFolderMenu::PC, u"选择批次"_s},
        {TFolderButton::KL_JHXZ, TFolderMenu::KL_JHXZ, u"选择科类、计划性质"_s},
        {TFolderButton::TDDW, TFolderMenu::TDDW, u"选择要查看的投档单位"_s},
        {TFolderButton::ZY, TFolderMenu::ZY, u"选择要查看的专业"_s}};
    for (const auto &[buttonId, menuId, menuName] : dropping) {
        QToolButton *button = bar->Button(buttonId);
        QAccessibleInterface *iface = nullptr;
        for (int i = 0; i < barIface->childCount(); ++i) {
            if (barIface->child(i) && barIface->child(i)->object() == button)
                iface = barIface->child(i);
        }
        QVERIFY2(iface, qPrintable(menuName));
        QCOMPARE(iface->role(), QAccessible::ButtonMenu);
        QCOMPARE(iface->text(QAccessible::Name), button->text().replace(u"&&"_s, u"&"_s));
        QVERIFY(iface->state().hasPopup);
        QCOMPARE(iface->childCount(), 1);
        QAccessibleInterface *menu = iface->child(0);
        QVERIFY(menu);
        QCOMPARE(menu->role(), QAccessible::PopupMenu);
        QCOMPARE(menu->text(QAccessible::Name), menuName);
        QCOMPARE(iface->indexOfChild(menu), 0);
        QStringList items;
        for (int i = 0; i < menu->childCount(); ++i) {
            if (menu->child(i)->role() != QAccessible::Separator)
                items.append(menu->child(i)->text(QAccessible::Name));
        }
        QStringList captions = MenuCaptions(bar->Menu(menuId));
        captions.removeAll(u"-"_s);
        QVERIFY(!items.isEmpty());
        QCOMPARE(items, captions);
    }

    // Choosing a unit through the bus narrows the grid as a click would.
    QAccessibleInterface *units = nullptr;
    for (int i = 0; i < barIface->childCount(); ++i) {
        if (barIface->child(i)->object() == bar->Button(TFolderButton::TDDW))
            units = barIface->child(i)->child(0);
    }
    QAccessibleInterface *unit002 = nullptr;
    for (int i = 0; i < units->childCount(); ++i) {
        if (units->child(i)->text(QAccessible::Name).startsWith(u"002 "_s))
            unit002 = units->child(i);
    }
    QVERIFY(unit002);
    unit002->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(ZKMainDef().TddwFilter, 1);

    // The button's own action drops its menu.
    rig.W->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.W.get()));
    QAccessibleInterface *pc = QAccessible::queryAccessibleInterface(bar->Button(TFolderButton::PC));
    QVERIFY(pc->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
    pc->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(bar->Menu(TFolderMenu::PC)->isVisible());
    bar->Menu(TFolderMenu::PC)->hide();
}

void TstMainForm::stateColours()
{
    TRig rig;
    QToolButton *zt = rig.W->FolderToolBar()->Button(TFolderButton::ZT);
    const QList<std::pair<int, QColor>> states = {
        {0, QColor(0, 128, 128)}, {1, QColor(0, 0, 255)}, {2, QColor(255, 0, 255)}, {3, QColor(0, 0, 0)}};
    for (const auto &[state, colour] : states) {
        ZKMainDef().CurZT = state;
        rig.W->SetFolderButtonCaption(TFolderButton::ZT, u"[x]"_s);
        QVERIFY2(zt->styleSheet().contains(u"color: "_s + colour.name()), qPrintable(zt->styleSheet()));
    }
    ZKMainDef().CurZT = 7;
    rig.W->SetFolderButtonCaption(TFolderButton::ZT, QString());
    QVERIFY(!zt->styleSheet().contains(u"color:"_s));
}

void TstMainForm::statusPanels()
{
    TRig rig;
    rig.Open();
    QCOMPARE(rig.Panel(1), u"考生数3"_s);
    QCOMPARE(rig.Panel(2), u"第1人"_s);
    QVERIFY(rig.Panel(3).startsWith(u"计划数"_s));
    QCOMPARE(rig.Panel(4), u"专业数5"_s);
    QCOMPARE(rig.Panel(5), u"已录数0"_s);

    // The link picture follows IsConnected at the next idle moment.
    TMainStatusBar *bar = rig.W->MainStatusBar();
    QVERIFY(!bar->ShowsConnected());
    QVERIFY(!bar->Panel(0)->pixmap().isNull());
    ZKMainDef().IsConnected = true;
    RunIdleLoop();
    QVERIFY(bar->ShowsConnected());
    ZKMainDef().IsConnected = false;
    rig.W->UpdateActions();
    QVERIFY(!bar->ShowsConnected());

    rig.F.Dm().CloseTDD();
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(rig.Panel(i), QString());
    QVERIFY(!rig.W->IsClientAreaVisible());
}

void TstMainForm::dockSites()
{
    TRig rig;
    TZKMainForm &w = *rig.W;
    w.resize(1000, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    TZyStateForm *panel = w.ZyStatePanel();
    QWidget *grid = w.centralWidget();
    QVERIFY(!panel->isVisible());
    QVERIFY(!w.IsDockSiteShown(Qt::BottomDockWidgetArea));

    // Shown at the bottom: a quarter of the grid's height.
    const int height = grid->height();
    rig.Open();
    QTRY_VERIFY(panel->isVisible());
    QVERIFY(w.IsDockSiteShown(Qt::BottomDockWidgetArea));
    QTRY_VERIFY2(qAbs(panel->height() - height / 4) <= 8,
                 qPrintable(u"%1 of %2"_s.arg(panel->height()).arg(height)));
    QVERIFY(panel->minimumHeight() >= 30);
    w.UpdateActions();
    QVERIFY(rig.Action(TMemberCommand::ZyState)->isChecked());

    // Docked into the empty left site: a quarter of the grid's width; the bottom collapses.
    QTRY_VERIFY(grid->height() < height);
    const int width = grid->width();
    w.addDockWidget(Qt::LeftDockWidgetArea, panel);
    QVERIFY(w.IsDockSiteShown(Qt::LeftDockWidgetArea));
    QVERIFY(!w.IsDockSiteShown(Qt::BottomDockWidgetArea));
    QTRY_VERIFY2(qAbs(panel->width() - width / 4) <= 8,
                 qPrintable(u"%1 of %2"_s.arg(panel->width()).arg(width)));
    QTRY_COMPARE(grid->height(), height);

    // Hidden by its command: the site collapses and the grid takes the whole width.
    w.RunCommand(TMemberCommand::ZyState);
    QVERIFY(!panel->isVisible());
    QVERIFY(!w.IsDockSiteShown(Qt::LeftDockWidgetArea));
    QTRY_COMPARE(grid->width(), w.width());
}

// The height the member gives the docked panel survives minimising and restoring the
// window and the next set; only the member's own hiding and showing sizes the site anew.
void TstMainForm::panelKeepsItsSize()
{
    TRig rig;
    TZKMainForm &w = *rig.W;
    w.resize(1000, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    TZyStateForm *panel = w.ZyStatePanel();
    const int grid = w.centralWidget()->height();
    rig.Open();
    QTRY_VERIFY(qAbs(panel->height() - grid / 4) <= 8);
    w.resizeDocks({panel}, {grid / 2}, Qt::Vertical);
    QTRY_VERIFY(qAbs(panel->height() - grid / 2) <= 8);
    const int chosen = panel->height();

    w.showMinimized();
    QTRY_VERIFY(w.isMinimized());
    RunIdleLoop();
    w.showNormal();
    QTRY_VERIFY(!w.isMinimized() && panel->isVisible());
    RunIdleLoop();
    QCOMPARE(panel->height(), chosen);
    QVERIFY(w.IsDockSiteShown(Qt::BottomDockWidgetArea));

    rig.F.Dm().CloseTDD();
    QVERIFY(!panel->isVisible());
    rig.Open();
    QTRY_VERIFY(panel->isVisible());
    RunIdleLoop();
    QCOMPARE(panel->height(), chosen);

    // Hidden by its command the site collapses; shown again it takes a quarter.
    w.RunCommand(TMemberCommand::ZyState);
    QVERIFY(!w.IsDockSiteShown(Qt::BottomDockWidgetArea));
    w.RunCommand(TMemberCommand::ZyState);
    QVERIFY(w.IsDockSiteShown(Qt::BottomDockWidgetArea));
    QTRY_VERIFY2(qAbs(panel->height() - grid / 4) <= 8, qPrintable(QString::number(panel->height())));
}

void TstMainForm::closeRefusedWhileBusy()
{
    TRig rig;
    rig.Open();
    const TFakeMessage refused{u"正在执行后台任务，请稍候再退出。"_s, u"退出"_s, TMsgIcon::Information};

    ZKMainDef().IsNetIdle = false;
    QVERIFY(!rig.W->close());
    ZKMainDef().IsNetIdle = true;
    rig.ForegroundIdle = false;
    rig.W->RunCommand(TMemberCommand::Exit);
    QCOMPARE(rig.Messages.Messages.size(), 2);
    for (const TFakeMessage &m : rig.Messages.Messages) {
        QCOMPARE(m.Text, refused.Text);
        QCOMPARE(m.Caption, refused.Caption);
        QVERIFY(m.Icon == refused.Icon);
    }
    // Nothing was closed.
    QVERIFY(ZKMainDef().IsTDDOpen);
    QVERIFY(rig.F.Dm().UnivConn.Connected());
}

void TstMainForm::closeSavesViewAndClosesSet()
{
    TRig rig;
    rig.Open();
    rig.W->ZyStatePanel()->SetReportView(false);
    // Dossiers imported in this run: the user database is compacted after it is closed.
    rig.F.Exec({u"create table T_SCRATCH (A text)"_s});
    for (int i = 0; i < 200; ++i)
        rig.F.Exec({u"insert into T_SCRATCH values (\"%1\")"_s.arg(QString(500, u'x'))});
    rig.F.Exec({u"drop table T_SCRATCH"_s});
    const QString database = rig.F.UserFolder() + u"ZelkinCUniv.mdb"_s;
    const qint64 before = QFileInfo(database).size();
    ZKMainDef().IsTDDImported = true;

    QVERIFY(rig.W->close());
    QVERIFY(QFileInfo(database).size() < before - 50000);
    QVERIFY(rig.Messages.Messages.isEmpty());
    QVERIFY(!ZKMainDef().IsTDDOpen);
    QVERIFY(!rig.F.Dm().UnivConn.Connected());
    QCOMPARE(rig.F.ShareRows(u"select zy_state_report from T_YXZT"_s), QStringList{u"0"_s});
    QVERIFY(rig.Started.isEmpty());
}

void TstMainForm::restartStartsTheProgram()
{
    TRig rig;
    rig.W->show();
    // A refused close starts nothing and leaves no restart behind for a later exit.
    ZKMainDef().IsNetIdle = false;
    rig.W->RunCommand(TMemberCommand::ExitAndLogin);
    QVERIFY(rig.Started.isEmpty());
    QVERIFY(!rig.W->RestartAfterClose);
    QVERIFY(rig.W->isVisible());

    ZKMainDef().IsNetIdle = true;
    rig.W->RunCommand(TMemberCommand::ExitAndLogin);
    QVERIFY(!rig.W->isVisible());
    QCOMPARE(rig.Started, QStringList{QCoreApplication::applicationFilePath()});
}

void TstMainForm::statusCommandWalk()
{
    TRig rig;
    rig.Open();
    rig.W->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.W.get()));

    // Pre-admit two candidates by the shortcut.
    rig.Select({K1, K2});
    rig.Dialog.Answer = {true, true, 0, QString()};
    rig.W->activateWindow();
    rig.W->Grid()->setFocus();
    rig.W->UpdateActions();
    QTest::keyClick(rig.W->Grid(), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(rig.Dialog.Shown.size(), 1);
    QCOMPARE(rig.Dialog.Shown.at(0).KSHLabel, QString());
    QCOMPARE(rig.F.Ks(K1)->KsZt, 1);
    QCOMPARE(rig.F.Ks(K2)->KsZt, 1);
    QCOMPARE(rig.Panel(5), u"已录数2"_s);

    // Pre-return one of them from the grid's double click on its status cell.
    rig.Select({K2});
    rig.Dialog.Answer = {true, false, 0, u"不符合要求"_s};
    emit rig.W->Grid()->StatusDialogRequested();
    QCOMPARE(rig.Dialog.Shown.size(), 2);
    QCOMPARE(rig.Dialog.Shown.at(1).KSHLabel, u"考生号: "_s + K2);
    QCOMPARE(rig.F.Ks(K2)->KsZt, 2);
    QCOMPARE(rig.Panel(5), u"已录数1"_s);

    // Cancel changes nothing; without a selection the command does not run.
    rig.Dialog.Answer = {};
    rig.W->RunCommand(TMemberCommand::ChangeLQZT);
    QCOMPARE(rig.F.Ks(K2)->KsZt, 2);
    rig.Select({});
    rig.W->RunCommand(TMemberCommand::ChangeLQZT);
    QCOMPARE(rig.Dialog.Shown.size(), 3);
}

void TstMainForm::findSortAndCopy()
{
    TRig rig;
    rig.Open();
    QString asked;
    rig.W->Hooks().AskCandidateNumber = [&](QString &ksh) {
        asked = ksh;
        ksh = K3 + u' ';
        return true;
    };
    // Hidden by the major filter: the filter moves to the candidate's major.
    rig.F.Dm().ChangeZyFilter(1);
    rig.W->RunCommand(TMemberCommand::FindKS);
    QCOMPARE(asked, K1.left(4));
    QCOMPARE(rig.W->Grid()->FocusedRow(), rig.F.Ks(K3)->KsIndex);
    QVERIFY(rig.Shown().contains(K3));

    // The sort commands keep the selected candidates selected.
    rig.F.Dm().ChangeZyFilter(-1);
    rig.Select({K2, K3});
    rig.W->RunCommand(TMemberCommand::SortByKSH);
    QCOMPARE(rig.Shown(), (QStringList{K1, K2, K3}));
    rig.W->RunCommand(TMemberCommand::SortByCj);
    QCOMPARE(rig.Shown(), (QStringList{K2, K3, K1}));
    QCOMPARE(rig.W->Grid()->SelectedRows(), (QList<int>{0, 1}));

    rig.W->RunCommand(TMemberCommand::CopyKshToClipboard);
    QCOMPARE(QGuiApplication::clipboard()->text(), K2 + u"\r\n"_s + K3);
}

void TstMainForm::filterField()
{
    TRig rig;
    TZKMainForm &w = *rig.W;
    TKsFilterField *field = w.KsFilterField();
    QCOMPARE(field->accessibleName(), u"筛选考生"_s);
    QCOMPARE(field->placeholderText(), u"筛选考生：姓名、考生号、中学…"_s);
    QCOMPARE(w.FolderToolBar()->widgetForAction(w.FolderToolBar()->actions().constLast()), field);
    QAction *command = rig.Action(TMemberCommand::FilterKS);
    QCOMPARE(command->text(), u"筛选考生"_s);
    QCOMPARE(command->shortcut(), QKeySequence(u"Ctrl+Shift+F"_s));
    w.UpdateActions();
    QVERIFY(!field->isEnabled()); // no set open
    w.resize(1000, 600);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    rig.Open();
    w.UpdateActions();
    QVERIFY(field->isEnabled());
    // At the right end of the folder tool bar.
    const int rightEnd = field->mapTo(w.FolderToolBar(), QPoint(field->width(), 0)).x();
    QVERIFY2(w.FolderToolBar()->width() - rightEnd < 40, qPrintable(QString::number(rightEnd)));

    rig.Select({K3});
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClicks(field, u"0000"_s);
    QCOMPARE(rig.Shown().size(), 3);
    QCOMPARE(rig.Panel(ZKStatusPanel::KsCount), u"考生数3/3"_s);
    QVERIFY(field->ShowsFiltered());
    QCOMPARE(field->palette().color(QPalette::Base), TKsFilterField::FilteredColour());
    QTest::keyClicks(field, u"3"_s);
    QCOMPARE(rig.Shown(), QStringList{K3});
    QCOMPARE(w.Grid()->RowCount(), 1);
    QCOMPARE(rig.Panel(ZKStatusPanel::KsCount), u"考生数1/3"_s);
    QCOMPARE(rig.Panel(ZKStatusPanel::FocusedRow), u"第1人"_s);

    // Full-width digits; Enter hands over to the grid, whose focused row is the match.
    field->setText(u"０１０１０００００２"_s);
    QCOMPARE(rig.Shown(), QStringList{K2});
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(w.Grid()->hasFocus());
    QCOMPARE(w.Grid()->FocusedRow(), 0);
    QVERIFY(rig.Action(TMemberCommand::KSXX)->isEnabled());

    // Esc clears: the whole list, the focused candidate kept, the usual count and colour.
    rig.W->RunCommand(TMemberCommand::FilterKS);
    QTRY_VERIFY(field->hasFocus());
    QCOMPARE(field->selectedText(), field->text());
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(field->text().isEmpty());
    QCOMPARE(rig.Shown(), (QStringList{K1, K2, K3}));
    QCOMPARE(w.Grid()->FocusedRow(), rig.F.Ks(K2)->KsIndex);
    QCOMPARE(rig.Panel(ZKStatusPanel::KsCount), u"考生数3"_s);
    QVERIFY(!field->ShowsFiltered());
    QVERIFY(field->palette().color(QPalette::Base) != TKsFilterField::FilteredColour());

    // Finding a candidate the filter hides clears the field.
    field->setText(K1);
    rig.W->Hooks().AskCandidateNumber = [](QString &ksh) {
        ksh = K3;
        return true;
    };
    rig.W->RunCommand(TMemberCommand::FindKS);
    QVERIFY(field->text().isEmpty());
    QCOMPARE(w.Grid()->FocusedRow(), rig.F.Ks(K3)->KsIndex);
    QCOMPARE(rig.Shown().size(), 3);
}

void TstMainForm::hintPanel()
{
    TRig rig;
    rig.W->resize(800, 600);
    rig.W->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.W.get()));
    rig.Open();
    TGridHintPanel *hint = rig.W->HintPanel();
    TLQGridView *grid = rig.W->Grid();
    emit grid->LongTextHintRequested(u"标题"_s, u"正文"_s, grid->CellRect(0, 1));
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->TitleLabel()->text(), u"标题"_s);
    QCOMPARE(hint->BodyLabel()->text(), u"正文"_s);
    QVERIFY(hint->x() >= 0 && hint->x() + hint->width() <= rig.W->width());
    // The first row is in the upper half: the panel goes below the cell.
    QVERIFY(hint->y() >= grid->mapTo(rig.W.get(), grid->CellRect(0, 1).bottomLeft()).y());
    QTest::mouseClick(hint, Qt::LeftButton);
    QVERIFY(!hint->isVisible());

    emit grid->LongTextHintRequested(u"标题"_s, u"正文"_s, grid->CellRect(0, 1));
    rig.F.Dm().SetCurrentKsList(true);
    QVERIFY(!hint->isVisible());
}

void TstMainForm::pagesAndWindows()
{
    TRig rig;
    rig.Open();
    // The windows of other subsystems are reached through their interface.
    rig.Select({K1});
    emit rig.W->Grid()->DetailWindowRequested();
    rig.W->RunCommand(TMemberCommand::Stat);
    rig.W->RunCommand(TMemberCommand::PrintTDD);
    rig.W->RunCommand(TMemberCommand::DumpToFile);
    rig.W->RunCommand(TMemberCommand::DumpTextToFile);
    rig.W->RunCommand(TMemberCommand::Options);
    rig.W->RunCommand(TMemberCommand::Journal);
    QCOMPARE(rig.Windows.Calls, (QStringList{u"detail"_s, u"statistics"_s, u"print"_s, u"export"_s,
                                             u"export screen"_s, u"options"_s, u"journal"_s}));

    // The code table page goes to the desktop's program for the written file; the page
    // window plays that program here.
    TUrlCatcher desktop;
    desktop.OnOpen = [&rig](const QUrl &url) { rig.W->DocumentOpener().ShowInPageWindow(url.toLocalFile()); };
    QDesktopServices::setUrlHandler(u"file"_s, &desktop, "Open");
    rig.W->RunCommand(TMemberCommand::ShowCodeTable);
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QVERIFY(rig.F.Messages.Messages.isEmpty());
    const QString pageFile = ZKMainDef().LoginInfo.UserFolder + u"codetable.htm"_s;
    QCOMPARE(desktop.Urls, QList<QUrl>{QUrl::fromLocalFile(pageFile)});
    TCodeTableForm *page = rig.W->DocumentOpener().PageWindow();
    QVERIFY(page && page->isVisible());
    QVERIFY2(page->windowTitle().endsWith(u"测试省普通高等学校招生代码表"_s),
             qPrintable(page->windowTitle()));
    QVERIFY(page->Browser()->toPlainText().contains(u"普通高等学校招生代码表"_s));

    // A desktop that cannot open it: the message names the written file.
    page->close();
    rig.W->DocumentOpener().DesktopOpen = [](const QUrl &) { return false; };
    rig.W->RunCommand(TMemberCommand::ShowCodeTable);
    QCOMPARE(rig.F.Messages.Messages.size(), 1);
    QVERIFY2(rig.F.Messages.Messages[0].Text.startsWith(u"生成代码表时出错："_s) &&
                 rig.F.Messages.Messages[0].Text.contains(pageFile),
             qPrintable(rig.F.Messages.Messages[0].Text));
    QCOMPARE(rig.F.Messages.Messages[0].Caption, u"代码表页面"_s);
    QCOMPARE(rig.F.Messages.Messages[0].Icon, TMsgIcon::Error);
    QVERIFY(QFileInfo::exists(pageFile));
    QVERIFY(!page->isVisible());

    // The information site's page goes to the desktop's handler.
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"http"_s, &catcher, "Open");
    ZKMainDef().LoginInfo.WebAddress = u"127.0.0.1"_s;
    ZKMainDef().LoginInfo.WebPort = u"8080"_s;
    rig.W->RunCommand(TMemberCommand::LinkToZB);
    QDesktopServices::unsetUrlHandler(u"http"_s);
    QCOMPARE(catcher.Urls, QList<QUrl>{QUrl(u"http://127.0.0.1:8080"_s)});
}

QTEST_MAIN(TstMainForm)
#include "tst_MainForm.moc"
