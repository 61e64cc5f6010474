// One page of the settings window's tab control: a plain background under the page's controls.
// The controls' notifications (commands, drawing, colours) go on to the page's parent, so the
// settings window handles every control in one place.
#pragma once

#include <windows.h>

#include "ui/window_base_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class SettingsPage : public WindowBase<SettingsPage> {
  public:
    bool Create(HWND parent, int id, const RECT& place, COLORREF background);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnEraseBackground(HDC dc);

    UniqueGdiObject brush_;
};

}  // namespace kavo
