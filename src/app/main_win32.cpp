// The program's entry: kavo.exe alone opens the main window; kavo.exe /run or /check with a page
// runs or checks it in this process and exits with the run's code (app/command_line_run.h).
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <exception>

#include "app/application_win32.h"
#include "app/command_line_win32.h"
#include "commands/script_run.h"
#include "platform/win32/late_function_win32.h"

namespace {

// The process fails (an exception nobody caught, a fault): before it ends, no key or button a
// script pressed stays down.
LONG WINAPI ReleaseHeldInputOnFailure(EXCEPTION_POINTERS*) noexcept {
    kavo::ReleaseEverythingHeldInProcess();
    return EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void ReleaseHeldInputOnTerminate() noexcept {
    kavo::ReleaseEverythingHeldInProcess();
    std::abort();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetUnhandledExceptionFilter(ReleaseHeldInputOnFailure);
    std::set_terminate(ReleaseHeldInputOnTerminate);
    // Before any library is loaded by name.
    kavo::LoadLibrariesFromSystemFolderOnly();
    // The rich edit's OLE support wants the user-interface thread in a single-threaded
    // apartment.
    OleInitialize(nullptr);
    const kavo::CommandLineRequest request = kavo::ReadProcessCommandLine();
    if (request.mode != kavo::CommandLineMode::Window)
        ExitProcess(static_cast<UINT>(kavo::RunCommandLine(request)));
    kavo::Application application;
    const int exitCode = application.Run();
    // The program-wide state lives until the process ends: a script started by a hotkey may
    // still be running on its own thread and using it, so nothing is torn down here.
    ExitProcess(static_cast<UINT>(exitCode));
}
