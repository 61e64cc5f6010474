// Installs every feature that lives outside the main window's own files. Called once from the
// main window's created event, after the library, the editor and the commands are ready.
#pragma once

#include "app/main_window_services_win32.h"

namespace kavo {

void InstallFeatures(MainWindowServices& services);

}  // namespace kavo
