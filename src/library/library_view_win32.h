// The library's tree in the main window: selecting a page loads it, a right click pops up the
// 程序 menu at the cursor, and 隐藏菜单 hides or shows the tree.
#pragma once

#include "shell/main_window_services_win32.h"

namespace kavo {

class LibraryView {
  public:
    explicit LibraryView(MainWindowServices& services);
    LibraryView(const LibraryView&) = delete;
    LibraryView& operator=(const LibraryView&) = delete;

  private:
    std::optional<LRESULT> OnNotify(const NMHDR& header);
    void ToggleTree();
    void PopUpProgramMenuAtCursor();

    MainWindowServices& services_;
};

}  // namespace kavo
