#include "ui/confirm_dialog_win32.h"

#include "text/wide.h"

namespace kavo {
namespace {

constexpr int kMessageId = 102;  // 标签2

}  // namespace

ConfirmDialog::ConfirmDialog(const Utf8Text& message) : message_(Utf8ToWide(message)) {}

LRESULT ConfirmDialog::OnCreate() {
    AddControl(L"STATIC", message_.c_str(), SS_LEFT | SS_NOPREFIX, 20, 40, 360, 32, kMessageId);
    HWND ok = AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 83, 96, 25, IDOK);
    AddControl(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 200, 83, 96, 25, IDCANCEL);
    SetFocus(ok);
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
