// The ConfirmDialog titled "温馨提示": a message, 确定 and 取消. Modal; opens with the falling
// animation.
#pragma once

#include <windows.h>

#include "app/window_base_win32.h"
#include "editor/small_window_parts_win32.h"
#include "editor/small_windows_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class ConfirmDialog : public WindowBase<ConfirmDialog> {
  public:
    // Blocks until the window closes; true only for 确定.
    static bool Ask(HWND owner, const Utf8Text& message);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    explicit ConfirmDialog(Utf8Text message) : message_(std::move(message)) {}
    LRESULT OnCreate();
    void Finish(bool accepted);

    Utf8Text message_;
    bool accepted_ = false;
    bool finished_ = false;
    small_window::Look look_;
};

}  // namespace kavo
