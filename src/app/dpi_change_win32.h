// The main window follows a move to a monitor of another DPI (WM_DPICHANGED): it takes the size
// the system suggests, and every control, font and tree picture is laid out again at the new
// DPI from what it is now (a rolled-up panel stays rolled up, a hidden tree stays hidden).
#pragma once

#include "app/main_window_services_win32.h"

namespace kavo {

void InstallDpiChange(MainWindowServices& services);

}  // namespace kavo
