// The InputDialog: asks for a name. Title strip with the caller's title, the prompt, an empty
// single-line edit box, 确定 and 取消. Modal; opens with the falling animation.
#pragma once

#include <windows.h>

#include <string>

#include "ui/small_window_win32.h"
#include "ui/small_windows_win32.h"

namespace kavo {

class InputDialog : public ModalSmallWindow<InputDialog, TextAnswer> {
  public:
    static constexpr SmallWindowFrame kFrame{.className = L"KavoInputDialog",
                                             .designWidth = 400,
                                             .designHeight = 154,
                                             .bounce = BounceWindowKind::InputDialog};

    InputDialog(const Utf8Text& title, const Utf8Text& prompt);

  private:
    friend SmallWindow<InputDialog>;
    const wchar_t* Title() const { return title_.c_str(); }
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring title_;
    std::wstring prompt_;
};

}  // namespace kavo
