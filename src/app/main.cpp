#include "MainWindowStandIn.h"
#include "gui/login/ProgramEntry.h"

int main(int argc, char *argv[])
{
    return RunMemberProgram(argc, argv, [](TMainDM &, TMemberNetDM &) -> std::unique_ptr<IMemberMainWindow> {
        return std::make_unique<TMainWindowStandIn>();
    });
}
