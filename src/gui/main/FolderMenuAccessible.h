#pragma once

class QMenu;
class QToolButton;

// Makes a tool button that drops a menu of its own (the folder tool bar's batch,
// category and plan nature, unit and major buttons) readable on the accessibility bus as
// the menu bar's menus are: a menu button named by its caption, whose one child is its
// menu with every item named, reachable without opening it; pressing it drops the menu.
// The menu must be a child of the button.
void MakeMenuButtonAccessible(QToolButton *button, QMenu *menu);
