#include "editor/find_text_window_win32.h"

#include <richedit.h>

#include "editor/find_rules.h"
#include "editor/rich_edit_find_win32.h"
#include "editor/small_window_parts_win32.h"
#include "editor/small_windows_win32.h"
#include "platform/win32/dpi_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoFindTextWindow";
constexpr wchar_t kTitle[] = L"温馨提示";
constexpr int kTitleId = 101;         // 标签1
constexpr int kPromptId = 102;        // 标签2
constexpr int kSearchBoxId = 103;     // 编辑框1
constexpr int kSearchId = 104;        // 超级按钮1 搜索
constexpr int kNextId = 105;          // 超级按钮2 下一个
constexpr int kExitId = 106;          // 超级按钮3 退出
constexpr UINT_PTR kBounceTimer = 1;  // 时钟1

}  // namespace

FindTextWindow::~FindTextWindow() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

void FindTextWindow::Open() {
    if (IsOpen()) {
        small_window::BringForward(Handle(), SW_SHOWNORMAL, kSearchBoxId);
        return;
    }
    LoadLibraryW(L"Msftedit.dll");  // the search box; stays loaded for the process's life
    RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    const auto place = small_window::PlaceFor(owner_, 400, 165);
    if (!CreateWindowFor(0, kClassName, kTitle, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                         small_window::kStartLeft, small_window::kStartTop, place.width,
                         place.height, owner_, nullptr))
        return;
    small_window::BringForward(Handle(), SW_SHOW, kSearchBoxId);
}

LRESULT FindTextWindow::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    look_ = small_window::MakeLook(dpi);
    boxFont_ = small_window::MakeFont(dpi, MulDiv(9, 96, 72), false);  // 微软雅黑, 9 points
    using small_window::AddControl;
    small_window::AddTitleStrip(Handle(), kTitle, 400, kTitleId, dpi, look_.titleFont.get());
    // Enter and Escape in the box, see OnNotify.
    small_window::AddSearchRow(Handle(), kPromptId, kSearchBoxId, dpi, look_.font.get(),
                               boxFont_.get());
    AddControl(Handle(), L"BUTTON", L"搜索", WS_TABSTOP | BS_PUSHBUTTON, 32, 123, 96, 25, kSearchId,
               dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"下一个", WS_TABSTOP | BS_PUSHBUTTON, 152, 123, 96, 25,
               kNextId, dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"退出", WS_TABSTOP | BS_PUSHBUTTON, 272, 123, 96, 25, kExitId,
               dpi, look_.font.get());
    StartBounceIn(Handle(), kBounceTimer);
    return 0;
}

void FindTextWindow::OnSearch() {
    RichEditFind editor(editor_);
    FindFromStart(editor, ControlTextGbk(GetDlgItem(Handle(), kSearchBoxId)));
}

void FindTextWindow::OnNext() {
    RichEditFind editor(editor_);
    FindNext(editor, ControlTextGbk(GetDlgItem(Handle(), kSearchBoxId)));
}

void FindTextWindow::OnCommand(int id) {
    switch (id) {
        case kSearchId:
            OnSearch();
            break;
        case kNextId:
            OnNext();
            break;
        case kExitId:
        case IDCANCEL:
            DestroyWindow(Handle());
            break;
        default:
            break;
    }
}

LRESULT FindTextWindow::OnNotify(const NMHDR& header) {
    if (header.idFrom != static_cast<UINT_PTR>(kSearchBoxId) || header.code != EN_MSGFILTER)
        return 0;
    const auto& filter = reinterpret_cast<const MSGFILTER&>(header);
    if (filter.msg != WM_KEYDOWN) return 0;
    if (filter.wParam == VK_RETURN) {
        OnSearch();
        return 1;
    }
    if (filter.wParam == VK_ESCAPE) {
        PostMessageW(Handle(), WM_CLOSE, 0, 0);  // not while the box is still handling its key
        return 1;
    }
    return 0;
}

LRESULT FindTextWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer =
            small_window::TitleStripMessage(Handle(), message, wParam, lParam, kTitleId, look_))
        return *answer;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_TIMER:
            if (wParam == kBounceTimer)
                BounceInTick(Handle(), BounceWindowKind::FindTextWindow, kBounceTimer);
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
