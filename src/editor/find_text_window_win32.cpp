#include "editor/find_text_window_win32.h"

#include "editor/find_rules.h"
#include "editor/rich_edit_find_win32.h"
#include "ui/gdi_win32.h"

namespace kavo {
namespace {

constexpr int kPromptId = 102;  // 标签2
constexpr int kSearchId = 104;  // 超级按钮1 搜索
constexpr int kNextId = 105;    // 超级按钮2 下一个
constexpr int kExitId = 106;    // 超级按钮3 退出

}  // namespace

LRESULT FindTextWindow::OnCreate() {
    boxFont_ = MakeUiFont(Dpi(), MulDiv(9, 96, 72));  // 微软雅黑, 9 points
    AddSearchRow(Handle(), kPromptId, kSearchBoxId, Dpi(), Look().font.get(), boxFont_.get());
    AddControl(L"BUTTON", L"搜索", WS_TABSTOP | BS_PUSHBUTTON, 32, 123, 96, 25, kSearchId);
    AddControl(L"BUTTON", L"下一个", WS_TABSTOP | BS_PUSHBUTTON, 152, 123, 96, 25, kNextId);
    AddControl(L"BUTTON", L"退出", WS_TABSTOP | BS_PUSHBUTTON, 272, 123, 96, 25, kExitId);
    return 0;
}

void FindTextWindow::OnSearch() {
    RichEditFind editor(editor_);
    FindFromStart(editor, ControlTextGbk(Item(kSearchBoxId)));
}

void FindTextWindow::OnNext() {
    RichEditFind editor(editor_);
    FindNext(editor, ControlTextGbk(Item(kSearchBoxId)));
}

LRESULT FindTextWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND) return DefaultProcedure(message, wParam, lParam);
    switch (LOWORD(wParam)) {
        case IDOK:  // Enter in the search box
        case kSearchId:
            OnSearch();
            break;
        case kNextId:
            OnNext();
            break;
        case kExitId:
            Close();
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace kavo
