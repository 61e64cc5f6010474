// The library's menu commands in the main window: 新建脚本, 新建脚本目录, 删除脚本, 删除脚本目录,
// 重命名脚本, 重命名脚本目录 and 全局搜索 (程序 menu), 保存 (Ctrl+S) and 自动保存 (操作 menu); the
// unsaved-changes question when another page is selected, when the program closes (which it
// refuses while edits the user wanted kept could not be saved) and when the session ends; the
// check of the loaded page against its file when the window comes back; the recovery file of
// unsaved edits, kept as the user types and offered back at the next start.
#pragma once

#include <windows.h>

#include <memory>

#include "library/global_search_window_win32.h"
#include "library/library_operations.h"
#include "shell/main_window_services_win32.h"
#include "ui/small_window_win32.h"

namespace kavo {

class LibraryCommands {
  public:
    explicit LibraryCommands(MainWindowServices& services);
    ~LibraryCommands();
    LibraryCommands(const LibraryCommands&) = delete;
    LibraryCommands& operator=(const LibraryCommands&) = delete;

  private:
    void InstallSessionEnd(MainWindowServices& services, Library& library,
                           LibraryUserInterface& ui);
    void InstallRecovery(MainWindowServices& services, Library& library, LibraryUserInterface& ui);

    std::unique_ptr<LibraryUserInterface> questions_;
    SingleWindow<GlobalSearchWindow> globalSearch_;
    bool holdingSessionEnd_ = false;
};

// False when the window's text holds characters GBK cannot store (they would be saved as '?' or
// as a look-alike).
bool WindowTextFitsGbk(HWND window);

// The library's questions as the small windows ask them, over owner; editor is the script editor.
std::unique_ptr<LibraryUserInterface> MakeLibraryQuestions(HWND owner, HWND editor);

}  // namespace kavo
