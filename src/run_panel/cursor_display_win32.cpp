#include "run_panel/cursor_display_win32.h"

#include <richedit.h>

#include <span>
#include <string>

#include "editor/editor_widget_win32.h"
#include "platform/win32/win32_platform.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"
#include "ui/ui_thread_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {

CursorDisplay::CursorDisplay(MainWindowServices& services, HotkeyMonitor& hotkeys,
                             KeyboardWatch& watch)
    : services_(services),
      watch_(watch),
      tracking_(hotkeys, services.Platform(), services.Platform(), *this) {
    services_.OnTimer(kCursorDisplayTimer, [this] { tracking_.ShowCursorPosition(); });
    services_.OnAppMessage(kCursorDisplayKeyMessage, [this](WPARAM wParam, LPARAM) -> LRESULT {
        tracking_.InsertForKey(static_cast<KeyCode>(wParam));
        return 0;
    });
    tracking_.RegisterCursorTrackingKey();
}

void CursorDisplay::KeyPressed(KeyCode key) {
    // The hook's thread must return at once: posting never waits.
    services_.Post(kCursorDisplayKeyMessage, key);
}

void CursorDisplay::ChangeCursorTrackingInterval(
    const std::function<std::uint32_t(std::uint32_t current)>& next) {
    // 时钟3 belongs to the user-interface thread; F1's callback runs on a thread of its own.
    RunOnUiThread([this, &next] {
        interval_ = next(interval_);
        if (interval_ == 0) {
            KillTimer(services_.Window(), kCursorDisplayTimer);
            watch_.ClaimKeys({});
        } else {
            SetTimer(services_.Window(), kCursorDisplayTimer, interval_, nullptr);
            watch_.ClaimKeys(CursorTracking::kCursorDisplayKeys);
        }
    });
}

void CursorDisplay::SetLine(int controlId, const Utf8Text& text) {
    HWND control = services_.Control(controlId);
    const std::wstring wide = Utf8ToWide(text);
    if (ReadWindowText(control) != wide) SetWindowTextW(control, wide.c_str());
}

void CursorDisplay::ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) {
    SetLine(layout::kXEdit, x);
    SetLine(layout::kYEdit, y);
}

void CursorDisplay::ShowWindowUnderCursor(const SpyLines& lines) {
    SetLine(layout::kSpyHandle, lines.handle);
    SetLine(layout::kSpyProcess, lines.process);
    SetLine(layout::kSpyClass, lines.className);
    SetLine(layout::kSpyTitle, lines.title);
    SetLine(layout::kSpyColor, lines.color);
}

void CursorDisplay::InsertInEditor(const Utf8Text& text) {
    const std::wstring wide = Utf8ToWide(text);
    SendMessageW(services_.Editor().Handle(), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(wide.c_str()));
}

}  // namespace kavo
