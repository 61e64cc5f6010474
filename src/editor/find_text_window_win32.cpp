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

// A refused text leaves the editor and its selection alone; the focus stays in the search box.
void FindTextWindow::OnSearch() {
    const std::optional<RuntimeText> text = SearchTextOrRefusal(Handle(), kPromptId, kSearchBoxId);
    if (!text) return;
    RichEditFind editor(editor_);
    FindFromStart(editor, *text);
}

void FindTextWindow::OnNext() {
    const std::optional<RuntimeText> text = SearchTextOrRefusal(Handle(), kPromptId, kSearchBoxId);
    if (!text) return;
    RichEditFind editor(editor_);
    FindNext(editor, *text);
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
