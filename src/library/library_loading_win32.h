// The pages a big library leaves for later are listed on a thread of their own, one directory
// at a time, and each directory's pages join the tree on the user-interface thread: the window
// shows at once and a slow folder never freezes it.
#pragma once

#include <memory>

#include "shell/main_window_services_win32.h"

namespace kavo {

class LibraryLoading {
  public:
    explicit LibraryLoading(MainWindowServices& services);
    LibraryLoading(const LibraryLoading&) = delete;
    LibraryLoading& operator=(const LibraryLoading&) = delete;

    // Set by the closing step: the library must not be touched once the window goes. Shared
    // with the listing threads, which may outlive this object.
    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace kavo
