// The main window's three pop-up menus (程序, 操作, 设置) and the 操作 menu's shortcuts.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class MainMenus {
  public:
    MainMenus();

    HMENU Get(MainMenu which) const;
    // Pops the menu up just below a menu-bar button of the window.
    void PopUpBelow(MainMenu which, HWND window, int buttonId) const;

    // The shortcuts act only for the main window and, when the focus is in an edit box, only
    // when that box is the script editor: Ctrl+V in 进程名 pastes there, not into the editor.
    bool TranslateShortcut(HWND window, HWND editor, MSG& message) const;

  private:
    UniqueMenu program_;
    UniqueMenu edit_;
    UniqueMenu settings_;
    UniqueAccelerators shortcuts_;        // the editing keys, for the editor
    UniqueAccelerators windowShortcuts_;  // 保存 and 搜索文本, whichever control has the focus
};

}  // namespace kavo
