#include "ui/input_dialog_win32.h"

#include "text/wide.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

constexpr int kPromptId = 102;  // 标签2
constexpr int kEditId = 103;    // 编辑框1

}  // namespace

InputDialog::InputDialog(const Utf8Text& title, const Utf8Text& prompt)
    : title_(Utf8ToWide(title)), prompt_(Utf8ToWide(prompt)) {}

LRESULT InputDialog::OnCreate() {
    MessageBeep(MB_OK);
    AddControl(L"STATIC", prompt_.c_str(), SS_LEFT | SS_NOPREFIX, 20, 35, 360, 32, kPromptId);
    HWND edit =
        AddControl(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 20, 72, 360, 24, kEditId);
    AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 112, 96, 25, IDOK);
    AddControl(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 200, 112, 96, 25, IDCANCEL);
    SetFocus(edit);
    return 0;
}

LRESULT InputDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        Finish({WideToUtf8(ReadWindowText(Item(kEditId))), false});
        return 0;
    }
    return DefaultProcedure(message, wParam, lParam);
}

}  // namespace kavo
