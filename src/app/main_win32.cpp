// The program's entry: the command line is not read; the exit code is 0.
#include <windows.h>
#include <objbase.h>

#include "app/application_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The rich edit's OLE support wants the user-interface thread in a single-threaded
    // apartment.
    OleInitialize(nullptr);
    kavo::Application application;
    const int exitCode = application.Run();
    // The program-wide state lives until the process ends: a script started by a hotkey may
    // still be running on its own thread and using it, so nothing is torn down here.
    ExitProcess(static_cast<UINT>(exitCode));
}
