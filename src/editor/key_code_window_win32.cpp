#include "editor/key_code_window_win32.h"

#include <memory>

#include "app/message_loop_win32.h"
#include "editor/key_code_text.h"
#include "editor/small_window_parts_win32.h"
#include "platform/win32/dpi_win32.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoKeyCodeWindow";
constexpr wchar_t kTitle[] = L"查看键代码";
constexpr int kTextId = 101;  // 编辑框1

std::unique_ptr<KeyCodeWindow>& OpenWindow() {
    static std::unique_ptr<KeyCodeWindow> window;
    return window;
}

}  // namespace

void KeyCodeWindow::Show(HWND owner) {
    auto& open = OpenWindow();
    if (open && open->Handle() != nullptr) {
        ShowWindow(open->Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(open->Handle());
        return;
    }
    RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    open = std::make_unique<KeyCodeWindow>();
    // No title strip: the system's caption carries the close button.
    const auto place = small_window::PlaceFor(owner, 380, 358);
    if (!open->CreateWindowFor(0, kClassName, kTitle,
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                               small_window::kStartLeft, small_window::kStartTop, place.width,
                               place.height, owner, nullptr)) {
        open.reset();
        return;
    }
    ShowWindow(open->Handle(), SW_SHOW);
    SetForegroundWindow(open->Handle());
}

LRESULT KeyCodeWindow::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    font_ = small_window::MakeFont(dpi, 12, false);
    small_window::AddControl(Handle(), L"EDIT", Utf8ToWide(kKeyCodeText).c_str(),
                             WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                             0, 8, 368, 320, kTextId, dpi, font_.get());
    return 0;
}

LRESULT KeyCodeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // Tab, Enter and Esc work as in a dialog; Esc closes the window.
            AddDialogWindow(Handle());
            return OnCreate();
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            RemoveDialogWindow(Handle());
            return DefaultProcedure(message, wParam, lParam);
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
