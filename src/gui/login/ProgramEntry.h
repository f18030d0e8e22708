#pragma once

// The program entry of the member client: the values set before any window, the
// windows and modules in their order, the start-up module last, the message loop, and
// the end of the run (a restart of "重新登录" included).

#include <QString>
#include <functional>
#include <memory>

class IMemberMainWindow;
class TMainDM;
class TMemberNetDM;

// The environment variable a restarted instance finds set: it waits for the old
// instance's single-instance lock instead of ending at once.
inline const char RestartedInstanceVariable[] = "ZELKINC_RESTARTED";
// How long a restarted instance waits for the old one's lock.
inline constexpr int RestartLockWaitMs = 10000;

// Creates the main window (the first window of the program). It is destroyed after the
// message loop ends, before the start-up module.
using TMainWindowFactory = std::function<std::unique_ptr<IMemberMainWindow>(TMainDM &dm, TMemberNetDM &net)>;

// Runs the member client and gives the exit code.
int RunMemberProgram(int &argc, char **argv, const TMainWindowFactory &createMainWindow);

// Sets the values the modules own before the first window exists: the screen class of
// the primary screen, the program folder, the task thread's slots.
void InitProgramValues();

// Starts a new process of the program file (no arguments), marked as a restart.
bool StartRestartedInstance();
