// Whether a visible top-level window carries exactly the given title: a running instance whose
// main window is shown stops a new start; a hidden one (in the tray, or while a script runs)
// does not.
#pragma once

#include <windows.h>

namespace kavo {

bool VisibleWindowTitled(const wchar_t* title);

}  // namespace kavo
