// The InputDialog: asks for a name. Title strip with the caller's title, the prompt, an empty
// single-line edit box, 确定 and 取消. Modal; opens with the falling animation.
#pragma once

#include <windows.h>

#include "app/window_base_win32.h"
#include "editor/small_window_parts_win32.h"
#include "editor/small_windows_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class InputDialog : public WindowBase<InputDialog> {
  public:
    // Blocks until the window closes; anything but 确定 is a cancel.
    static TextAnswer Ask(HWND owner, const Utf8Text& title, const Utf8Text& prompt);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    InputDialog(Utf8Text title, Utf8Text prompt)
        : title_(std::move(title)), prompt_(std::move(prompt)) {}
    LRESULT OnCreate();
    void OnCommand(int id);
    void Finish(bool accepted);

    Utf8Text title_;
    Utf8Text prompt_;
    TextAnswer answer_;
    bool finished_ = false;
    small_window::Look look_;
};

}  // namespace kavo
