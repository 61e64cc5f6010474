// The 搜索文本 window: a search box, 搜索 (first occurrence in the script editor; also Enter in
// the box), 下一个 (the next one after the selection's start) and 退出 (also Escape). Not modal; it
// stays above the main window. Opening it while it is open brings it forward with the search box
// focused.
#pragma once

#include <windows.h>

#include "app/window_base_win32.h"
#include "editor/small_window_parts_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class FindTextWindow : public WindowBase<FindTextWindow> {
  public:
    // owner: the main window; editor: the script editor the buttons search in.
    FindTextWindow(HWND owner, HWND editor) : owner_(owner), editor_(editor) {}
    ~FindTextWindow();

    void Open();
    bool IsOpen() const { return Handle() != nullptr; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnCreate();
    void OnCommand(int id);
    // Enter in the search box searches from the start, Escape closes the window.
    LRESULT OnNotify(const NMHDR& header);
    void OnSearch();
    void OnNext();

    HWND owner_;
    HWND editor_;
    UniqueGdiObject boxFont_;
    small_window::Look look_;
};

}  // namespace kavo
