#include "ui/confirm_dialog_win32.h"

#include "text/wide.h"

namespace kavo {
namespace {

constexpr int kMessageId = 102;  // 标签2

}  // namespace

ConfirmDialog::ConfirmDialog(const Utf8Text& message, ConfirmDefault defaultButton)
    : message_(Utf8ToWide(message)), default_(defaultButton) {}

LRESULT ConfirmDialog::OnCreate() {
    AddControl(L"STATIC", message_.c_str(), SS_LEFT | SS_NOPREFIX, 20, 40, 360, 32, kMessageId);
    const bool okFirst = default_ == ConfirmDefault::Ok;
    HWND ok =
        AddControl(L"BUTTON", L"确定", WS_TABSTOP | (okFirst ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                   96, 83, 96, 25, IDOK);
    HWND cancel =
        AddControl(L"BUTTON", L"取消", WS_TABSTOP | (okFirst ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON),
                   200, 83, 96, 25, IDCANCEL);
    // Enter clicks the focused button (the kit's dialog keys), so the focus makes the default.
    SetFocus(okFirst ? ok : cancel);
    return 0;
}

LRESULT ConfirmDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        Finish(true);
        return 0;
    }
    return DefaultProcedure(message, wParam, lParam);
}

}  // namespace kavo
