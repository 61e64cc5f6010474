#include "run_panel/hotkey_panel_win32.h"

#include <utility>

#include "platform/win32/win32_platform.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"
#include "ui/window_text_win32.h"

namespace kavo {

HotkeyPanel::HotkeyPanel(MainWindowServices& services, HotkeyMonitor& hotkeys,
                         const ProgramKeys& keys, std::function<void()> runBound)
    : services_(services),
      runBound_(std::move(runBound)),
      binding_(hotkeys, services.Platform(), keys, *this),
      hotkeyEdit_(binding_) {
    services.Commands().Register(layout::kBind, [this] { binding_.BindHotkey(); });
    hotkeyEdit_.Subclass(services.Control(layout::kHotkeyEdit));
}

Utf8Text HotkeyPanel::ProcessNameText() {
    return WideToUtf8(ReadWindowText(services_.Control(layout::kProcessEdit)));
}

Utf8Text HotkeyPanel::HotkeyEditText() {
    return WideToUtf8(ReadWindowText(services_.Control(layout::kHotkeyEdit)));
}

void HotkeyPanel::SetHotkeyEditText(const Utf8Text& text) {
    SetWindowTextW(services_.Control(layout::kHotkeyEdit), Utf8ToWide(text).c_str());
}

LRESULT HotkeyPanel::HotkeyEdit::HandleSubclassMessage(HWND edit, UINT message, WPARAM wParam,
                                                       LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (message == WM_SYSKEYDOWN && wParam == VK_F4) break;  // Alt+F4 keeps its meaning
            binding_.ShowHotkeyName(static_cast<int>(wParam));
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
            return 0;
        default:
            break;
    }
    return DefaultSubclassProcedure(edit, message, wParam, lParam);
}

}  // namespace kavo
