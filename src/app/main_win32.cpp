// The program's entry: the command line is not read; the exit code is 0.
#include <windows.h>
#include <objbase.h>

#include "app/application_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The rich edit's OLE support wants the user-interface thread in a single-threaded
    // apartment.
    const HRESULT com = OleInitialize(nullptr);
    int exitCode = 0;
    {
        kavo::Application application;
        exitCode = application.Run();
    }
    if (SUCCEEDED(com)) OleUninitialize();
    return exitCode;
}
