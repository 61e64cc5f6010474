// The colour question ("温馨提示", "请选择你需要的颜色值！"): a colour button that opens the
// system's colour chooser, 确定 and 取消. Modal; opens with the falling animation.
#pragma once

#include <windows.h>

#include "ui/small_window_win32.h"
#include "ui/small_windows_win32.h"

namespace kavo {

class ColorPickWindow : public ModalSmallWindow<ColorPickWindow, ColorAnswer> {
  public:
    static constexpr SmallWindowFrame kFrame{.className = L"KavoColorPickDialog",
                                             .title = L"温馨提示",
                                             .designWidth = 400,
                                             .designHeight = 168,
                                             .bounce = BounceWindowKind::ColorPickDialog};

    // The picker starts at initial.
    explicit ColorPickWindow(ColorRef initial);

  private:
    friend SmallWindow<ColorPickWindow>;
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPickerClicked();
    bool OnDrawItem(const DRAWITEMSTRUCT& item);

    ColorRef color_;
};

}  // namespace kavo
