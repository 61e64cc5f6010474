#include "editor/about_window_win32.h"

#include <memory>

#include "app/message_loop_win32.h"
#include "editor/small_window_parts_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/win32_platform.h"
#include "text/wide.h"

namespace kavo {

const char kAboutCredits[] = "KAVO脚本助手 0.1\r\n用中文命令写脚本，立即运行或绑定热键运行。";
const char kAboutText[] = "KAVO脚本助手 0.1：Windows 桌面自动化脚本工具";
const char kAboutClipboardText[] = "KAVO脚本助手 0.1 - Windows 桌面自动化脚本工具";

namespace {

constexpr wchar_t kClassName[] = L"KavoAboutWindow";
constexpr wchar_t kTitle[] = L"需要源码请我";
constexpr int kTitleId = 101;    // 标签1
constexpr int kCreditsId = 102;  // the transparent label
constexpr int kTextId = 103;     // 编辑框1
constexpr int kCopyId = 104;     // 按钮1 复制

// The one open window: its object lives until the next opening replaces it.
std::unique_ptr<AboutWindow>& OpenWindow() {
    static std::unique_ptr<AboutWindow> window;
    return window;
}

}  // namespace

void AboutWindow::Show(HWND owner) {
    auto& open = OpenWindow();
    if (open && open->Handle() != nullptr) {
        ShowWindow(open->Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(open->Handle());
        return;
    }
    RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    open = std::make_unique<AboutWindow>();
    const auto place = small_window::PlaceFor(owner, 365, 154);
    if (!open->CreateWindowFor(0, kClassName, kTitle, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                               small_window::kStartLeft, small_window::kStartTop, place.width,
                               place.height, owner, nullptr)) {
        open.reset();
        return;
    }
    ShowWindow(open->Handle(), SW_SHOW);
    SetForegroundWindow(open->Handle());
}

LRESULT AboutWindow::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    look_ = small_window::MakeLook(dpi);
    using small_window::AddControl;
    small_window::AddTitleStrip(Handle(), kTitle, 365, kTitleId, dpi, look_.titleFont.get());
    AddControl(Handle(), L"STATIC", Utf8ToWide(kAboutCredits).c_str(), SS_LEFT | SS_NOPREFIX, 24,
               32, 264, 56, kCreditsId, dpi, look_.font.get());
    AddControl(Handle(), L"EDIT", Utf8ToWide(kAboutText).c_str(),
               WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 8, 88, 336, 24, kTextId, dpi,
               look_.font.get());
    AddControl(Handle(), L"BUTTON", L"复制", WS_TABSTOP | BS_PUSHBUTTON, 296, 56, 64, 24, kCopyId,
               dpi, look_.font.get());
    HWND ok = AddControl(Handle(), L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 120, 96,
                         25, IDOK, dpi, look_.font.get());
    SetFocus(ok);
    return 0;
}

void AboutWindow::OnCommand(int id) {
    if (id == kCopyId) ThePlatform().SetText(kAboutClipboardText);
    if (id == IDOK || id == IDCANCEL) DestroyWindow(Handle());
}

std::optional<LRESULT> AboutWindow::OnControlColor(HDC dc, HWND control) {
    if (const auto brush = small_window::TitleStripColor(dc, control, kTitleId, look_))
        return brush;
    if (GetDlgCtrlID(control) == kCreditsId) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return std::nullopt;
}

LRESULT AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // Tab, Enter and Esc work as in a dialog: Enter and Esc close the window.
            AddDialogWindow(Handle());
            return OnCreate();
        case WM_DESTROY:
            RemoveDialogWindow(Handle());
            return DefaultProcedure(message, wParam, lParam);
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NCHITTEST:
            return small_window::HitTest(Handle(), DefaultProcedure(message, wParam, lParam),
                                         lParam);
        case WM_CTLCOLORSTATIC:
            if (const auto brush =
                    OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
                return *brush;
            return DefaultProcedure(message, wParam, lParam);
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
