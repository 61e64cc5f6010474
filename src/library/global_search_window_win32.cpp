#include "library/global_search_window_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <chrono>
#include <string>
#include <thread>

#include "editor/find_rules.h"
#include "editor/rich_edit_find_win32.h"
#include "platform/win32/dpi_win32.h"
#include "text/wide.h"
#include "ui/gdi_win32.h"
#include "ui/ui_thread_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kStatusIdle[] = L"文本输出信息：  （双击可进入指定页面）";
constexpr int kPromptId = 102;      // 标签2
constexpr int kSearchId = 104;      // 超级按钮1 搜索
constexpr int kExitId = 105;        // 超级按钮3 退出
constexpr int kStatusId = 106;      // 标签3
constexpr int kResultsId = 107;     // 超级列表框1
constexpr int kGoToPageId = 201;    // 右键 ▸ 到此页面
constexpr int kFindInPageId = 202;  // 右键 ▸ 寻找文本
constexpr int kFindNextId = 203;    // 右键 ▸ 下一个

// Rows reach the list in batches, so that a search with many hits does not flood the window.
constexpr auto kRowBatchInterval = std::chrono::milliseconds(50);

void AddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

}  // namespace

GlobalSearchWindow::~GlobalSearchWindow() {
    CancelSearch();
}

LRESULT GlobalSearchWindow::OnCreate() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const UINT dpi = Dpi();
    boxFont_ = MakeUiFont(dpi, MulDiv(9, 96, 72));  // 微软雅黑, 9 points
    AddSearchRow(Handle(), kPromptId, kSearchBoxId, dpi, Look().font.get(), boxFont_.get());
    AddControl(L"BUTTON", L"搜索", WS_TABSTOP | BS_PUSHBUTTON, 67, 123, 96, 25, kSearchId);
    AddControl(L"BUTTON", L"退出", WS_TABSTOP | BS_PUSHBUTTON, 248, 123, 96, 25, kExitId);
    AddControl(L"STATIC", kStatusIdle, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 18, 157, 360, 16,
               kStatusId);
    HWND list = AddControl(
        WC_LISTVIEWW, L"",
        WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
        19, 176, 365, 112, kResultsId);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"索引", ScaleToDpi(80, dpi));
    AddColumn(list, 1, L"页面名称", ScaleToDpi(250, dpi));

    rowMenu_.reset(CreatePopupMenu());
    AppendMenuW(rowMenu_.get(), MF_STRING, kGoToPageId, L"到此页面");
    AppendMenuW(rowMenu_.get(), MF_STRING, kFindInPageId, L"寻找文本");
    AppendMenuW(rowMenu_.get(), MF_STRING, kFindNextId, L"下一个");
    return 0;
}

void GlobalSearchWindow::OnDestroy() {
    CancelSearch();
    rows_.clear();
    rowMenu_.reset();
}

std::optional<RuntimeText> GlobalSearchWindow::SearchBoxText() const {
    return SearchTextOrRefusal(Handle(), kPromptId, kSearchBoxId);
}

void GlobalSearchWindow::SetStatus(const std::wstring& status) {
    SetWindowTextW(Item(kStatusId), status.c_str());
}

void GlobalSearchWindow::CancelSearch() {
    if (run_) run_->cancel = true;
    run_.reset();
}

void GlobalSearchWindow::OnSearch() {
    CancelSearch();
    SendDlgItemMessageW(Handle(), kResultsId, LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();

    const std::optional<RuntimeText> typed = SearchBoxText();
    const RuntimeText text = typed ? TrimSearchText(*typed) : RuntimeText();
    if (text.empty()) {
        SetStatus(kStatusIdle);
        return;
    }
    std::vector<SearchPage> pages = PagesToSearch(library_);
    // Here, not on the search's thread: the watches the cache makes and renews belong to the
    // thread that does it, and the search's thread ends with the search.
    BeginCachedSearch(files_, library_.pageTexts, pages);
    auto run = std::make_shared<SearchRun>();
    run_ = run;
    SetStatus(L"文本输出信息：  正在搜索……");
    std::thread([this, run, pages = std::move(pages), text, &files = files_,
                 &cache = library_.pageTexts] {
        auto lastBatch = std::chrono::steady_clock::now();
        auto handOver = [this, &run] {
            RunOnUiThread([this, &run] {
                if (!run->cancel) TakeRows(run);
            });
        };
        const SearchSummary summary =
            SearchPages(files, cache, pages, text, run->cancel, [&](const SearchPage& page) {
                {
                    const std::lock_guard lock(run->mutex);
                    run->pending.push_back(page);
                }
                const auto now = std::chrono::steady_clock::now();
                if (now - lastBatch >= kRowBatchInterval) {
                    lastBatch = now;
                    handOver();
                }
            });
        RunOnUiThread([this, &run, &summary] {
            if (run->cancel) return;
            TakeRows(run);
            ShowSummary(run, summary);
        });
    }).detach();
}

void GlobalSearchWindow::TakeRows(const std::shared_ptr<SearchRun>& run) {
    if (run != run_ || Handle() == nullptr) return;
    std::vector<SearchPage> batch;
    {
        const std::lock_guard lock(run->mutex);
        batch.swap(run->pending);
    }
    if (batch.empty()) return;
    HWND list = Item(kResultsId);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (auto& page : batch) {
        std::wstring index = std::to_wstring(page.index);
        std::wstring name = Utf8ToWide(page.name);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(rows_.size());
        item.pszText = index.data();
        const auto at = static_cast<int>(
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        item.iSubItem = 1;
        item.pszText = name.data();
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at),
                     reinterpret_cast<LPARAM>(&item));
        rows_.push_back(std::move(page));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void GlobalSearchWindow::ShowSummary(const std::shared_ptr<SearchRun>& run,
                                     const SearchSummary& summary) {
    if (run != run_ || Handle() == nullptr) return;
    SetStatus(L"文本输出信息：  已搜索 " + std::to_wstring(summary.searched) + L" 页，找到 " +
              std::to_wstring(summary.found) + L" 页（双击可进入指定页面）");
    run_.reset();
}

int GlobalSearchWindow::SelectedRowItem() const {
    const auto row = static_cast<int>(SendDlgItemMessageW(Handle(), kResultsId, LVM_GETNEXTITEM,
                                                          static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || row >= static_cast<int>(rows_.size())) return -1;
    return ItemIndexOfPage(library_, rows_[static_cast<std::size_t>(row)].path);
}

bool GlobalSearchWindow::OpenSelectedRow() {
    const int item = SelectedRowItem();
    if (item < 0) return false;
    // Selecting by program raises the tree's selection change like a click: the unsaved-changes
    // question comes first, then the page loads. An item already selected loads nothing again.
    library_.tree.Select(item);
    return true;
}

void GlobalSearchWindow::ShowRowMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(rowMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x,
                   cursor.y, 0, Handle(), nullptr);
}

void GlobalSearchWindow::OnCommand(int id) {
    switch (id) {
        case IDOK:  // Enter: in the list it opens the chosen row, elsewhere it searches
            if (GetFocus() == Item(kResultsId))
                OpenSelectedRow();
            else
                OnSearch();
            break;
        case kSearchId:
            OnSearch();
            break;
        case kExitId:
            Close();
            break;
        case kGoToPageId:
            OpenSelectedRow();
            break;
        case kFindInPageId:
            if (OpenSelectedRow()) {
                RichEditFind editor(editor_);
                // The text as typed, spaces and all.
                if (const auto text = SearchBoxText()) FindFromStart(editor, *text);
            }
            break;
        case kFindNextId:
            if (const auto text = SearchBoxText()) {
                RichEditFind editor(editor_);
                FindNext(editor, *text);
            }
            break;
        default:
            break;
    }
}

LRESULT GlobalSearchWindow::OnNotify(const NMHDR& header) {
    if (header.idFrom != static_cast<UINT_PTR>(kResultsId)) return 0;
    if (header.code == NM_DBLCLK || header.code == NM_RETURN) OpenSelectedRow();
    if (header.code == NM_RCLICK) ShowRowMenu();
    return 0;
}

LRESULT GlobalSearchWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
