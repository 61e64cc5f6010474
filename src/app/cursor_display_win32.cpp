#include "app/cursor_display_win32.h"

#include <richedit.h>

#include <span>
#include <string>

#include "editor/editor_widget_win32.h"
#include "hotkeys/hotkey_binding.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"
#include "ui/ui_thread_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {

CursorDisplay::CursorDisplay(MainWindowServices& services, KeyboardWatch& watch,
                             std::function<void()> onTick, std::function<void(KeyCode)> onKey)
    : services_(services), watch_(watch) {
    services_.AddMessageHandler(
        WM_TIMER, [onTick = std::move(onTick)](WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
            if (wParam != kCursorDisplayTimer) return std::nullopt;
            onTick();
            return 0;
        });
    keyMessage_ = RegisterWindowMessageW(L"KavoCursorDisplayKey");
    services_.AddMessageHandler(keyMessage_, [onKey = std::move(onKey)](WPARAM wParam, LPARAM) {
        onKey(static_cast<KeyCode>(wParam));
        return std::optional<LRESULT>(0);
    });
}

void CursorDisplay::KeyPressed(KeyCode key) {
    // The hook's thread must return at once: posting never waits.
    PostMessageW(services_.Window(), keyMessage_, key, 0);
}

void CursorDisplay::ChangeInterval(
    const std::function<std::uint32_t(std::uint32_t current)>& next) {
    // 时钟3 belongs to the user-interface thread; F1's callback runs on a thread of its own.
    RunOnUiThread([this, &next] {
        interval_ = next(interval_);
        if (interval_ == 0) {
            KillTimer(services_.Window(), kCursorDisplayTimer);
            watch_.ClaimKeys({});
        } else {
            SetTimer(services_.Window(), kCursorDisplayTimer, interval_, nullptr);
            watch_.ClaimKeys(HotkeyBinding::kCursorDisplayKeys);
        }
    });
}

void CursorDisplay::SetLine(int controlId, const Utf8Text& text) {
    HWND control = services_.Control(controlId);
    const std::wstring wide = Utf8ToWide(text);
    if (ReadWindowText(control) != wide) SetWindowTextW(control, wide.c_str());
}

void CursorDisplay::ShowCoordinates(const Utf8Text& x, const Utf8Text& y) {
    SetLine(layout::kXEdit, x);
    SetLine(layout::kYEdit, y);
}

void CursorDisplay::ShowWindowLines(const SpyLines& lines) {
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
