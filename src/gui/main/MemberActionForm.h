#pragma once

#include "gui/main/MemberCommands.h"

#include <QObject>
#include <array>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class QWidget;

// The member command module: one action per command (caption, shortcut, short hint as
// tool tip, long hint as status tip, help topic), the five menus of the main menu, the
// command tool bar "工具条" and the grid's pop-up menu, all built from the same actions.
// The main window installs them and answers the actions' triggers.
class TMemberActionForm : public QObject
{
    Q_OBJECT

public:
    // The actions belong to window, so that their shortcuts work in it.
    explicit TMemberActionForm(QWidget *window);

    QAction *Action(TMemberCommand id) const { return FActions.at(size_t(id)); }
    static TMemberCommand CommandOf(const QAction *action);
    // The help topic of an action of the set, -1 for another action.
    static int HelpTopicOf(const QAction *action);

    QMenuBar *MainMenu() const { return FMainMenu; }
    QToolBar *ToolBar() const { return FToolBar; }
    QMenu *GridPopupMenu() const { return FGridPopupMenu; }
    // The drop-down of "代码表页面" on the tool bar.
    QMenu *CodeTableMenu() const { return FCodeTableMenu; }
    QToolButton *CodeTableButton() const { return FCodeTableButton; }

    // Enables every action by its rule; "专业信息" is ticked while the panel shows.
    void UpdateActions(const TCommandState &state, bool zyStatePanelVisible);

signals:
    void CommandTriggered(TMemberCommand id);

private:
    void CreateActions(QWidget *window);
    void BuildMainMenu(QWidget *window);
    void BuildToolBar(QWidget *window);
    QMenu *AddMenu(QMenu *menu, const QList<int> &items);

    std::array<QAction *, size_t(TMemberCommand::Journal) + 1> FActions{};
    QMenuBar *FMainMenu = nullptr;
    QToolBar *FToolBar = nullptr;
    QMenu *FGridPopupMenu = nullptr;
    QMenu *FCodeTableMenu = nullptr;
    QToolButton *FCodeTableButton = nullptr;
};
