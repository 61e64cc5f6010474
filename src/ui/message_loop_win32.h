// The user-interface thread's message loop. The main window's shortcuts are translated for it
// alone; the program's small windows register here and get dialog keys (Tab, Enter, Esc) in
// this loop and in the modal loop of the asking windows alike.
#pragma once

#include <windows.h>

#include <functional>

namespace kavo {

// A window of the program that wants dialog keyboard handling (IsDialogMessage). Unregister it
// before it is destroyed.
void AddDialogWindow(HWND window);
void RemoveDialogWindow(HWND window);
// True when the message was a dialog key of a registered window and has been handled.
bool TranslateDialogKeys(MSG& message);

// Runs until WM_QUIT. translateShortcut sees each message first; true means it was handled.
int RunMessageLoop(const std::function<bool(MSG&)>& translateShortcut);

// Waits until done() or the milliseconds are over, serving only the messages other threads send
// this one meanwhile (a run asking this thread to show a balloon), nothing of its windows.
// True when done() came true.
bool WaitServingSentMessages(const std::function<bool()>& done, DWORD milliseconds);

}  // namespace kavo
