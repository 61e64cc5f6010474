// A panel that rolls up to its header strip and down to its full height. Its children are
// created by the main window; the panel passes their notifications (commands, drawing, colours)
// on to its own parent, so the main window handles every control in one place.
#pragma once

#include <windows.h>

#include "ui/window_base_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class RollUpPanel : public WindowBase<RollUpPanel> {
  public:
    // Heights of the 96-DPI design; the panel is laid out at its parent's DPI.
    static constexpr int kHeaderHeight = 24;

    // Place and size of the 96-DPI design.
    bool Create(HWND parent, int id, int x, int y, int width, int fullHeight);
    // Full height when rolled up, header height otherwise.
    void Toggle();
    int FullHeight() const;
    int CurrentHeight() const;
    void SetBackground(COLORREF color);
    COLORREF Background() const { return background_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    int designFullHeight_ = 0;
    COLORREF background_ = RGB(255, 255, 255);
    UniqueGdiObject brush_;
};

}  // namespace kavo
