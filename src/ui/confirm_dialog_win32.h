// The ConfirmDialog titled "温馨提示": a message, 确定 and 取消. Modal; opens with the falling
// animation. 确定 is the default button unless the asker makes it 取消.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "ui/small_window_win32.h"
#include "ui/small_windows_win32.h"

namespace kavo {

class ConfirmDialog : public ModalSmallWindow<ConfirmDialog, bool> {
  public:
    static constexpr SmallWindowFrame kFrame{.className = L"KavoConfirmDialog",
                                             .title = L"温馨提示",
                                             .designWidth = 400,
                                             .designHeight = 128,
                                             .bounce = BounceWindowKind::ConfirmDialog};

    ConfirmDialog(const Utf8Text& message, ConfirmDefault defaultButton);

  private:
    friend SmallWindow<ConfirmDialog>;
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring message_;
    ConfirmDefault default_;
};

}  // namespace kavo
