// The colour question ("温馨提示", "请选择你需要的颜色值！"): a colour button that opens the
// system's colour chooser, 确定 and 取消. Modal; opens with the falling animation.
#pragma once

#include <windows.h>

#include "app/window_base_win32.h"
#include "editor/small_window_parts_win32.h"
#include "editor/small_windows_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class ColorPickWindow : public WindowBase<ColorPickWindow> {
  public:
    // Blocks until the window closes; the picker starts at initial.
    static ColorAnswer Ask(HWND owner, ColorRef initial);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    explicit ColorPickWindow(ColorRef initial) : color_(initial) {}
    LRESULT OnCreate();
    void OnPickerClicked();
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    void Finish(bool accepted);

    ColorRef color_;
    ColorAnswer answer_;
    bool finished_ = false;
    small_window::Look look_;
};

}  // namespace kavo
