#include "gui/login/MemberMainForm.h"

#include "gui/login/ProgramEntry.h"
#include "gui/main/ZyStateForm.h"
#include "workspace/MainDM.h"

TMemberMainForm::TMemberMainForm(TMainDM &dm, TMemberNetDM &net, bool showSplash)
    : TZKMainForm(dm, showSplash)
    , FDm(dm)
{
    SetNetDM(&net);
    Hooks().StartProgram = [](const QString &) { return StartRestartedInstance(); };
}

void TMemberMainForm::InstallMemberCommandSet(IMemberWindows &windows)
{
    SetMemberWindows(&windows);
}

void TMemberMainForm::DockZyStatePanel()
{
    // The panel's view follows the institution state read with the code tables.
    ZyStatePanel()->Init(FDm.ZyStateReportOnStart);
}
