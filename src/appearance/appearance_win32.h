// The main window's appearance: the colours of link.ini applied at start-up, the title bar's
// caption buttons and picture boxes with their hover colours, the shadow border, and the
// software-settings window behind 设置 ▸ 软件设置.
#pragma once

#include "app/main_window_services_win32.h"

namespace kavo {

void InstallAppearance(MainWindowServices& services);

}  // namespace kavo
