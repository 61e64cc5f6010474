// The user-interface thread's message loop. The main window's shortcuts are translated for it
// alone; the program's other windows that take keyboard navigation (Tab, Enter, Esc) register
// here and get dialog handling of their messages.
#pragma once

#include <windows.h>

#include <functional>

namespace kavo {

// A window of the program that wants dialog keyboard handling (IsDialogMessage). Unregister it
// before it is destroyed.
void AddDialogWindow(HWND window);
void RemoveDialogWindow(HWND window);

// Runs until WM_QUIT. translateShortcut sees each message first; true means it was handled.
int RunMessageLoop(const std::function<bool(MSG&)>& translateShortcut);

}  // namespace kavo
