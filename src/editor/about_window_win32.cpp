#include "editor/about_window_win32.h"

#include "kavo_version.h"
#include "text/wide.h"

namespace kavo {

const char kAboutCredits[] =
    "KAVO脚本助手 " KAVO_VERSION_TEXT "\r\n用中文命令写脚本，立即运行或绑定热键运行。";
const char kAboutText[] = "KAVO脚本助手 " KAVO_VERSION_TEXT "：Windows 桌面自动化脚本工具";
const char kAboutClipboardText[] =
    "KAVO脚本助手 " KAVO_VERSION_TEXT " - Windows 桌面自动化脚本工具";

namespace {

constexpr int kCreditsId = 102;  // the transparent label
constexpr int kTextId = 103;     // 编辑框1
constexpr int kCopyId = 104;     // 按钮1 复制

}  // namespace

LRESULT AboutWindow::OnCreate() {
    AddControl(L"STATIC", Utf8ToWide(kAboutCredits).c_str(), SS_LEFT | SS_NOPREFIX, 24, 32, 264, 56,
               kCreditsId);
    AddControl(L"EDIT", Utf8ToWide(kAboutText).c_str(),
               WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 8, 88, 336, 24, kTextId);
    AddControl(L"BUTTON", L"复制", WS_TABSTOP | BS_PUSHBUTTON, 296, 56, 64, 24, kCopyId);
    HWND ok = AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 120, 96, 25, IDOK);
    SetFocus(ok);
    return 0;
}

std::optional<LRESULT> AboutWindow::OnControlColor(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != kCreditsId) return std::nullopt;
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT AboutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCopyId) clipboard_.SetText(kAboutClipboardText);
            if (LOWORD(wParam) == IDOK) Close();  // Enter too
            return 0;
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
