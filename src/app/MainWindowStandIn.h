#pragma once

// The main window of the client until the full main window is wired in here: a plain
// window with the program's caption, where the start-up sequence docks nothing.

#include "gui/login/MemberMainWindow.h"

#include <QMainWindow>

class TMainWindowStandIn : public QMainWindow, public IMemberMainWindow
{
public:
    TMainWindowStandIn();
    QMainWindow *Window() override { return this; }
    void InstallMemberCommandSet(IMemberWindows &) override {}
    void DockZyStatePanel() override {}
};
