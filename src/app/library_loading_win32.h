// The pages a big library leaves for later are listed on a thread of their own, one directory
// at a time, and each directory's pages join the tree on the user-interface thread: the window
// shows at once and a slow folder never freezes it.
#pragma once

#include "app/main_window_services_win32.h"

namespace kavo {

void InstallLibraryLoading(MainWindowServices& services);

}  // namespace kavo
