// kavo.exe /run and /check (app/command_line_run.h): the process's arguments, and a run in a
// process of its own. It never hands the page to a running instance and shows no main window;
// while the page runs, the notification-area icon is there (its tip says how to stop, balloons
// of 气球提示框 and of the end show at it) and F12 stops the run.
#pragma once

#include "app/command_line_run.h"

namespace kavo {

// The process's own command line, parsed.
CommandLineRequest ReadProcessCommandLine();

// Runs or checks the page with the program's folder as working directory; returns the exit
// code (RunOutcome).
int RunCommandLine(const CommandLineRequest& request);

}  // namespace kavo
