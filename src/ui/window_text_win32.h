// Reading a window's text whole, however long.
#pragma once

#include <windows.h>

#include <string>

namespace kavo {

// The window's text as GetWindowText gives it.
std::wstring ReadWindowText(HWND window);

// The text as WM_GETTEXT gives it, read again with more room whenever it fills the buffer: a
// rich edit counts a line break once but reads it back as CR LF, so its length is only a hint.
std::wstring ReadWholeText(HWND window);

// A rich edit's characters [from, to), with a paragraph break as one CR.
std::wstring ReadTextRange(HWND richEdit, LONG from, LONG to);

}  // namespace kavo
