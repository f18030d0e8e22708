#pragma once

#include "workspace/WorkspaceViews.h"

#include <QColor>
#include <QToolBar>
#include <array>

class QMenu;
class QToolButton;

// The folder tool bar: what is open (institution and province, batch, category and plan
// nature, state, submission unit, major) as buttons showing their captions. Four of them
// drop the workspace's filter menus; the institution and the state are plain text, the
// state in its colour.
class TFolderToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit TFolderToolBar(QWidget *parent);

    QToolButton *Button(TFolderButton button) const { return FButtons.at(size_t(button)); }
    QMenu *Menu(TFolderMenu menu) const { return FMenus.at(size_t(menu)); }

    // The state button takes the colour of the work state given (CurZT).
    void SetButtonCaption(TFolderButton button, const QString &caption, int workState);
    // Replaces every item of a menu ("-" items are separators).
    void SetMenu(TFolderMenu menu, const QList<TMenuItemRec> &items);
    // Drops a menu at the lower left corner of its button (MenuBtnClick).
    void DropMenu(TFolderMenu menu);

    // The colour of a work state 0..3; invalid outside.
    static QColor StateColour(int workState);

signals:
    // An item was chosen: its caption (without accelerator escapes) and its value.
    void MenuItemChosen(TFolderMenu menu, const QString &caption, int tag);

private:
    QToolButton *AddButton(TFolderButton button, const QString &name);
    static void DrawAsPlainText(QToolButton *button, const QColor &colour);

    std::array<QToolButton *, 6> FButtons{};
    std::array<QMenu *, 4> FMenus{};
};
