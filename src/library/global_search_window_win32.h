// The 全局搜索 window: searches every page of the library for the search box's text (搜索 or
// Enter in the box; Escape closes the window) on a thread of its own and lists the pages as they
// are found (索引, 页面名称). A double click, Enter in the list or 到此页面 opens the row's page by
// selecting its tree item, so the unsaved-changes question comes first; 寻找文本 also finds the
// text in it, 下一个 finds the next occurrence. Not modal; opening it while it is open brings it
// forward (SingleWindow).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "library/page_search.h"
#include "platform/win32/unique_handle.h"
#include "ui/small_window_win32.h"

namespace kavo {

class GlobalSearchWindow : public SmallWindow<GlobalSearchWindow> {
  public:
    static constexpr int kSearchBoxId = 103;  // 编辑框1
    static constexpr SmallWindowFrame kFrame{.className = L"KavoGlobalSearchWindow",
                                             .title = L"全局搜索",
                                             .designWidth = 400,
                                             .designHeight = 298,
                                             .bounce = BounceWindowKind::GlobalSearchWindow,
                                             .focusId = kSearchBoxId};

    // editor: the script editor; files: how pages are read (from another thread). All of them
    // must outlive this object.
    GlobalSearchWindow(HWND editor, Library& library, FilePort& files)
        : editor_(editor), library_(library), files_(files) {}
    ~GlobalSearchWindow();

  private:
    friend SmallWindow<GlobalSearchWindow>;
    // One search: what the thread found and has not handed over yet, and whether the window
    // still wants it.
    struct SearchRun {
        std::atomic<bool> cancel{false};
        std::mutex mutex;
        std::vector<SearchPage> pending;
    };

    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void OnCommand(int id);
    LRESULT OnNotify(const NMHDR& header);
    void OnSearch();
    void CancelSearch();
    // On the user-interface thread: moves the run's pending rows into the list.
    void TakeRows(const std::shared_ptr<SearchRun>& run);
    void ShowSummary(const std::shared_ptr<SearchRun>& run, const SearchSummary& summary);
    void SetStatus(const std::wstring& status);
    // The selected row's page, after any rebuild of the tree; -1 when there is none.
    int SelectedRowItem() const;
    bool OpenSelectedRow();
    void ShowRowMenu();
    // The search box's text, or nullopt when it is refused (the prompt says why).
    std::optional<RuntimeText> SearchBoxText() const;

    HWND editor_;
    Library& library_;
    FilePort& files_;
    std::shared_ptr<SearchRun> run_;
    std::vector<SearchPage> rows_;  // in the list's order
    UniqueMenu rowMenu_;            // 右键
    UniqueGdiObject boxFont_;
};

}  // namespace kavo
