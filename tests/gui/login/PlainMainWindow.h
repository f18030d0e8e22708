#pragma once

// A plain main window for the start-up tests: it records what the start-up asked of it.

#include "gui/login/MemberMainWindow.h"

#include <QMainWindow>

class IMemberWindows;

class TPlainMainWindow : public QMainWindow, public IMemberMainWindow
{
public:
    TPlainMainWindow() { setWindowTitle(QStringLiteral("院校子系统")); }
    QMainWindow *Window() override { return this; }
    void InstallMemberCommandSet(IMemberWindows &windows) override
    {
        ++CommandSetInstalls;
        Windows = &windows;
    }
    void DockZyStatePanel() override { ++PanelDocks; }

    int CommandSetInstalls = 0;
    int PanelDocks = 0;
    IMemberWindows *Windows = nullptr;
};
