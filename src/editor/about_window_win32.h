// The AboutWindow (title strip "需要源码请我"): the program's name, version and what it does,
// 复制 and 确定. Modeless; one at a time.
#pragma once

#include <windows.h>

#include "app/window_base_win32.h"
#include "editor/small_window_parts_win32.h"
#include "editor/small_windows_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

// What the window shows and what 复制 puts on the clipboard (UTF-8).
extern const char kAboutCredits[];
extern const char kAboutText[];
extern const char kAboutClipboardText[];

class AboutWindow : public WindowBase<AboutWindow> {
  public:
    // Opens the window, or brings the open one forward.
    static void Show(HWND owner);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnCreate();
    void OnCommand(int id);
    std::optional<LRESULT> OnControlColor(HDC dc, HWND control);

    small_window::Look look_;
};

}  // namespace kavo
