#pragma once

#include "gui/login/MemberMainWindow.h"
#include "gui/main/ZKMainForm.h"

class TMemberNetDM;

// The program's main window as the start-up sequence sees it: the main form with the
// member command set, the exchange module and the other subsystems' windows.
class TMemberMainForm : public TZKMainForm, public IMemberMainWindow
{
public:
    TMemberMainForm(TMainDM &dm, TMemberNetDM &net, bool showSplash = true);

    QMainWindow *Window() override { return this; }
    void InstallMemberCommandSet(IMemberWindows &windows) override;
    void DockZyStatePanel() override;
    // The form starts the new instance itself when it closes after "重新登录", marked as
    // a restart so that it waits for this instance's lock.
    bool RestartAfterClose() const override { return false; }

private:
    TMainDM &FDm;
};
