#pragma once

// What the start-up sequence needs from the main window. The main window implements it;
// the tests use a plain QMainWindow.

class IMemberWindows;
class QMainWindow;

class IMemberMainWindow
{
public:
    virtual ~IMemberMainWindow() = default;

    // The window itself: its caption gets the edition suffix, it is shown maximised after
    // the login and owns the dialogs of the start-up.
    virtual QMainWindow *Window() = 0;
    // The member command set: its main menu becomes the window's menu, its user tool bar
    // and the window's folder tool bar go on the cool bar, its grid pop-up menu becomes
    // the grid's, a double click on a grid cell goes to LQGridColumnDblClick; windows
    // opens the other subsystems' windows (detail, statistics, export, options, the
    // reconnect dialog of the login).
    virtual void InstallMemberCommandSet(IMemberWindows &windows) = 0;
    // Docks the major state panel into the window's bottom dock area.
    virtual void DockZyStatePanel() = 0;
    // Set by the command that logs out and in again: a new instance starts when the
    // window has closed.
    virtual bool RestartAfterClose() const { return false; }
};
