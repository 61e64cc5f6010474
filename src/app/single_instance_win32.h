// Whether a visible top-level window carries exactly the given title: a running instance whose
// main window is shown stops a new start; a hidden one (in the tray, or while a script runs)
// does not.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

bool VisibleWindowTitled(const wchar_t* title);

// One program per library, hidden or not: the program holds an object named for its folder
// (app/program_instance.h) and publishes its main window there. A second start from the same
// folder finds the object, asks the running program to come forward (kShowRequestMessage) and
// ends; a program from another folder is another library and goes on.
class ProgramInstance {
  public:
    // False when a program of the same folder runs already: it has been asked to show itself.
    bool Claim(const Utf8Text& programFolder);
    // Tells later starts which window to ask.
    void Publish(HWND mainWindow);

  private:
    UniqueHandleKernel claim_;
    UniqueHandleKernel window_;  // holds the main window's handle for the next start
};

}  // namespace kavo
