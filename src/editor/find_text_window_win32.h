// The 搜索文本 window: a search box, 搜索 (first occurrence in the script editor; also Enter in
// the box), 下一个 (the next one after the selection's start) and 退出 (also Escape). Not modal; it
// stays above the main window. Opening it while it is open brings it forward with the search box
// focused (SingleWindow).
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "ui/small_window_win32.h"

namespace kavo {

class FindTextWindow : public SmallWindow<FindTextWindow> {
  public:
    static constexpr int kSearchBoxId = 103;  // 编辑框1
    static constexpr SmallWindowFrame kFrame{.className = L"KavoFindTextWindow",
                                             .title = L"温馨提示",
                                             .designWidth = 400,
                                             .designHeight = 165,
                                             .bounce = BounceWindowKind::FindTextWindow,
                                             .focusId = kSearchBoxId};

    // editor: the script editor the buttons search in.
    explicit FindTextWindow(HWND editor) : editor_(editor) {}

  private:
    friend SmallWindow<FindTextWindow>;
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnSearch();
    void OnNext();

    HWND editor_;
    UniqueGdiObject boxFont_;
};

}  // namespace kavo
