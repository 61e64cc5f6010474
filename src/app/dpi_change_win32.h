// The main window follows a move to a monitor of another DPI (WM_DPICHANGED): it takes the size
// the system suggests, and every control, font and tree picture is laid out again at the new
// DPI from what it is now (a rolled-up panel stays rolled up, a hidden tree stays hidden).
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/unique_handle.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class DpiChange {
  public:
    explicit DpiChange(MainWindowServices& services);
    DpiChange(const DpiChange&) = delete;
    DpiChange& operator=(const DpiChange&) = delete;

  private:
    void OnDpiChanged(UINT newDpi, const RECT& suggested);

    MainWindowServices& services_;
    UINT dpi_;
    // The fonts and pictures made for the current DPI, in use by the controls.
    std::vector<UniqueGdiObject> fonts_;
    UniqueImageList treeImages_;
};

}  // namespace kavo
