#include "gui/login/MemberMainForm.h"
#include "gui/login/ProgramEntry.h"

int main(int argc, char *argv[])
{
    return RunMemberProgram(argc, argv, [](TMainDM &dm, TMemberNetDM &net) -> std::unique_ptr<IMemberMainWindow> {
        return std::make_unique<TMemberMainForm>(dm, net);
    });
}
