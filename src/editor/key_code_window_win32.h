// The KeyCodeWindow: the virtual-key codes for 特殊按键 in a read-only text box, with the
// system's caption. Modeless; one at a time (SingleWindow).
#pragma once

#include <windows.h>

#include "ui/small_window_win32.h"

namespace kavo {

class KeyCodeWindow : public SmallWindow<KeyCodeWindow> {
  public:
    // No title strip: the system's caption carries the close button.
    static constexpr SmallWindowFrame kFrame{
        .className = L"KavoKeyCodeWindow",
        .title = L"查看键代码",
        .designWidth = 380,
        .designHeight = 358,
        .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
        .titleStrip = false,
        .dragHeight = 0};

  private:
    friend SmallWindow<KeyCodeWindow>;
    LRESULT OnCreate();
};

}  // namespace kavo
