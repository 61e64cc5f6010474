// The AboutWindow (title strip "需要源码请我"): the program's name, version and what it does,
// 复制 and 确定. Modeless; one at a time (SingleWindow).
#pragma once

#include <windows.h>

#include <optional>

#include "platform/platform.h"
#include "ui/small_window_win32.h"

namespace kavo {

// What the window shows and what 复制 puts on the clipboard (UTF-8).
extern const char kAboutCredits[];
extern const char kAboutText[];
extern const char kAboutClipboardText[];

class AboutWindow : public SmallWindow<AboutWindow> {
  public:
    static constexpr SmallWindowFrame kFrame{.className = L"KavoAboutWindow",
                                             .title = L"需要源码请我",
                                             .designWidth = 365,
                                             .designHeight = 154};

    explicit AboutWindow(ClipboardPort& clipboard) : clipboard_(clipboard) {}

  private:
    friend SmallWindow<AboutWindow>;
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> OnControlColor(HDC dc, HWND control);

    ClipboardPort& clipboard_;
};

}  // namespace kavo
