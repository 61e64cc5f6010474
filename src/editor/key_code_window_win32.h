// The KeyCodeWindow: the virtual-key codes for 特殊按键 in a read-only text box. Modeless; one
// at a time.
#pragma once

#include <windows.h>

#include "app/window_base_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class KeyCodeWindow : public WindowBase<KeyCodeWindow> {
  public:
    // Opens the window, or brings the open one forward.
    static void Show(HWND owner);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnCreate();

    UniqueGdiObject font_;
};

}  // namespace kavo
