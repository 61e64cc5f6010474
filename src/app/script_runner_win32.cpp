#include "app/script_runner_win32.h"

#include <commctrl.h>

#include <string>

#include "app/editor_widget_win32.h"
#include "app/main_window_layout.h"
#include "app/ui_thread_win32.h"
#include "engine/script_engine.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr UINT_PTR kClock3 = 3;  // 时钟3: the cursor position display

Utf8Text ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return WideToUtf8(text);
}

}  // namespace

ScriptRunner::ScriptRunner(MainWindowServices& services, ScriptEngine& engine)
    : services_(services), engine_(engine) {}

void ScriptRunner::Install(HotkeyBinding& binding) {
    binding_ = &binding;
    balloon_ = std::make_unique<BalloonTip>(services_.Window());
    services_.Commands().Register(layout::kGo, [this] { RunCurrentScript(); });
    services_.Commands().Register(layout::kBind, [this] { binding_->BindHotkey(); });
    SetWindowSubclass(services_.Control(layout::kHotkeyEdit), HotkeyEditProcedure, 1,
                      reinterpret_cast<DWORD_PTR>(this));
    services_.AddMessageHook([this](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_TIMER || wParam != kClock3) return std::nullopt;
        binding_->ShowCursorPosition();
        return 0;
    });
}

RuntimeText ScriptRunner::PrepareRun() {
    HWND window = services_.Window();
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
    return services_.Editor().ReadText();
}

void ScriptRunner::RunCurrentScript() {
    RuntimeText script;
    RunOnUiThread([this, &script] { script = PrepareRun(); });
    engine_.RunScript(script);
}

void ScriptRunner::ShowBalloonTip(Point where, const Utf8Text& text) {
    RunOnUiThread([this, where, &text] {
        if (balloon_) balloon_->Show({where.x, where.y}, Utf8ToWide(text));
    });
}

Utf8Text ScriptRunner::ProcessNameText() {
    return ControlText(services_.Control(layout::kProcessEdit));
}

Utf8Text ScriptRunner::HotkeyEditText() {
    return ControlText(services_.Control(layout::kHotkeyEdit));
}

void ScriptRunner::SetHotkeyEditText(const Utf8Text& text) {
    SetWindowTextW(services_.Control(layout::kHotkeyEdit), Utf8ToWide(text).c_str());
}

void ScriptRunner::ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) {
    SetWindowTextW(services_.Control(layout::kXEdit), Utf8ToWide(x).c_str());
    SetWindowTextW(services_.Control(layout::kYEdit), Utf8ToWide(y).c_str());
}

void ScriptRunner::ChangeCursorTrackingInterval(
    const std::function<std::uint32_t(std::uint32_t current)>& next) {
    // 时钟3 belongs to the user-interface thread; F1's callback runs on a thread of its own.
    RunOnUiThread([this, &next] {
        cursorTrackingInterval_ = next(cursorTrackingInterval_);
        if (cursorTrackingInterval_ == 0)
            KillTimer(services_.Window(), kClock3);
        else
            SetTimer(services_.Window(), kClock3, cursorTrackingInterval_, nullptr);
    });
}

// A key pressed in the hotkey edit shows the key's name and nothing else: the typed character
// does not land in the edit.
LRESULT CALLBACK ScriptRunner::HotkeyEditProcedure(HWND edit, UINT message, WPARAM wParam,
                                                   LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (message == WM_SYSKEYDOWN && wParam == VK_F4) break;  // Alt+F4 keeps its meaning
            reinterpret_cast<ScriptRunner*>(self)->binding_->ShowHotkeyName(
                static_cast<int>(wParam));
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
            return 0;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace kavo
