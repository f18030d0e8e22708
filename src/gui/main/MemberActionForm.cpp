#include "gui/main/MemberActionForm.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

using C = TMemberCommand;
constexpr int Separator = -1;
const char *const CommandProperty = "zkCommand";

int Item(C id)
{
    return int(id);
}

// Pictures of the tool bar's commands, with the short text the button shows.
struct TToolBarItem
{
    C Id;
    QString Text;
    QString Picture;
};

const QList<TToolBarItem> &ToolBarItems()
{
    static const QList<TToolBarItem> items = {
        {C::DownLoadTDD, u"接收考生投档单"_s, u"cmd-download"_s},
        {C::UpLoadJG, u"发送调剂意见"_s, u"cmd-upload"_s},
        {C::DumpToFile, u"导出投档单"_s, u"cmd-export"_s},
        {C::ChangeLQZT, u"修改预录取状态"_s, u"cmd-status"_s},
        {C::PrintTDD, u"打印投档单"_s, u"cmd-print"_s},
        {C::ShowCodeTable, u"代码表页面"_s, u"cmd-codetable"_s},
        {C::Exit, u"退出"_s, u"cmd-exit"_s},
    };
    return items;
}

} // namespace

TMemberActionForm::TMemberActionForm(QWidget *window)
    : QObject(window)
{
    CreateActions(window);
    BuildMainMenu(window);
    BuildToolBar(window);
    FGridPopupMenu = AddMenu(new QMenu(window),
                             {Item(C::KSXX), Separator, Item(C::ChangeLQZT), Item(C::CopyKshToClipboard)});
    FGridPopupMenu->setObjectName(u"LQGridPopupMenu"_s);
}

void TMemberActionForm::CreateActions(QWidget *window)
{
    for (const TMemberCommandDef &def : MemberCommands()) {
        auto *action = new QAction(def.Caption, window);
        action->setObjectName(def.Name);
        action->setShortcut(def.Shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setToolTip(def.ShortHint());
        action->setStatusTip(def.LongHint());
        action->setProperty(CommandProperty, int(def.Id));
        action->setEnabled(false);
        const TMemberCommand id = def.Id;
        connect(action, &QAction::triggered, this, [this, id] { emit CommandTriggered(id); });
        FActions.at(size_t(def.Id)) = action;
    }
    Action(C::ZyState)->setCheckable(true);
    for (const TToolBarItem &item : ToolBarItems()) {
        Action(item.Id)->setIcon(QIcon(u":/gui/main/pictures/"_s + item.Picture + u".svg"_s));
        Action(item.Id)->setIconText(item.Text);
    }
}

TMemberCommand TMemberActionForm::CommandOf(const QAction *action)
{
    return TMemberCommand(action->property(CommandProperty).toInt());
}

int TMemberActionForm::HelpTopicOf(const QAction *action)
{
    const QVariant command = action ? action->property(CommandProperty) : QVariant();
    return command.isValid() ? MemberCommandDef(TMemberCommand(command.toInt())).HelpTopic : -1;
}

QMenu *TMemberActionForm::AddMenu(QMenu *menu, const QList<int> &items)
{
    for (int item : items) {
        if (item == Separator)
            menu->addSeparator();
        else
            menu->addAction(FActions.at(size_t(item)));
    }
    return menu;
}

void TMemberActionForm::BuildMainMenu(QWidget *window)
{
    FMainMenu = new QMenuBar(window);
    FMainMenu->setObjectName(u"MainMenu"_s);
    auto add = [this](const QString &title, const QString &name, const QList<int> &items) {
        QMenu *menu = FMainMenu->addMenu(title);
        menu->setObjectName(name);
        return AddMenu(menu, items);
    };
    add(u"网络(&N)"_s, u"NetMenu"_s,
        {Item(C::Login), Item(C::Logout), Separator, Item(C::DownLoadTDD), Item(C::UpLoadJG), Separator,
         Item(C::LinkToZB), Separator, Item(C::ExitAndLogin), Item(C::Exit)});
    add(u"文件(&F)"_s, u"FileMenu"_s,
        {Item(C::SelectPC), Item(C::SelectKL_JHXZ), Separator, Item(C::DumpToFile), Item(C::DumpTextToFile),
         Separator, Item(C::PrintTDD)});
    add(u"编辑(&E)"_s, u"EditMenu"_s, {Item(C::ChangeLQZT), Item(C::FindKS), Item(C::CopyKshToClipboard), Item(C::FilterKS)});
    QMenu *view = add(u"查看(&V)"_s, u"ViewMenu"_s,
                      {Item(C::ZyState), Separator, Item(C::KSXX), Item(C::Stat), Item(C::ShowCodeTable),
                       Item(C::Journal), Separator, Item(C::ViewTDDW), Item(C::ViewZY), Separator});
    QMenu *sort = view->addMenu(u"排序(&S)"_s);
    sort->setObjectName(u"SortMenu"_s);
    AddMenu(sort, {Item(C::SortByKSH), Item(C::SortByCj), Item(C::SortByLQZY)});
    AddMenu(view, {Separator, Item(C::Options)});
    add(u"帮助(&H)"_s, u"HelpMenu"_s, {Item(C::HelpContent), Separator, Item(C::About)});
}

void TMemberActionForm::BuildToolBar(QWidget *window)
{
    FToolBar = new QToolBar(u"工具条"_s, window);
    FToolBar->setObjectName(u"UserToolBar"_s);
    FToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    FToolBar->addAction(Action(C::DownLoadTDD));
    FToolBar->addAction(Action(C::UpLoadJG));
    FToolBar->addSeparator();
    FToolBar->addAction(Action(C::DumpToFile));
    FToolBar->addSeparator();
    FToolBar->addAction(Action(C::ChangeLQZT));
    FToolBar->addSeparator();
    FToolBar->addAction(Action(C::PrintTDD));
    FToolBar->addSeparator();

    FCodeTableMenu = AddMenu(new QMenu(window), {Item(C::ShowCodeTable), Item(C::LinkToZB)});
    FCodeTableMenu->setObjectName(u"CodeTableMenu"_s);
    FCodeTableButton = new QToolButton(FToolBar);
    FCodeTableButton->setObjectName(u"CodeTableBtn"_s);
    FCodeTableButton->setDefaultAction(Action(C::ShowCodeTable));
    FCodeTableButton->setMenu(FCodeTableMenu);
    FCodeTableButton->setPopupMode(QToolButton::MenuButtonPopup);
    FCodeTableButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    FToolBar->addWidget(FCodeTableButton);
    FToolBar->addSeparator();
    FToolBar->addAction(Action(C::Exit));
}

void TMemberActionForm::UpdateActions(const TCommandState &state, bool zyStatePanelVisible)
{
    for (const TMemberCommandDef &def : MemberCommands())
        Action(def.Id)->setEnabled(CommandEnabled(def.Id, state));
    Action(C::ZyState)->setChecked(zyStatePanelVisible);
}
