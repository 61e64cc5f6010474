// The 操作 menu's editor commands (undo, clipboard, select all, character formats and colours,
// 搜索文本), the 程序 menu's 关于, the 设置 menu's 查看键代码, and opening web links
// in the script editor with a double click or Ctrl and a click.
#pragma once

#include "editor/about_window_win32.h"
#include "editor/editor_widget_win32.h"
#include "editor/find_text_window_win32.h"
#include "editor/key_code_window_win32.h"
#include "editor/rich_text_helper_win32.h"
#include "shell/main_window_services_win32.h"
#include "ui/small_window_win32.h"

namespace kavo {

class EditorCommands {
  public:
    // Binds the rich text helper to the script editor, switches on link detection and registers
    // the commands.
    explicit EditorCommands(MainWindowServices& services);
    EditorCommands(const EditorCommands&) = delete;
    EditorCommands& operator=(const EditorCommands&) = delete;

  private:
    void RegisterFormatCommands();

    MainWindowServices& services_;
    HWND window_;
    HWND editor_;
    // Must outlive the editor, which holds its OLE callback until it is destroyed: the main
    // window's end ends the process.
    RichTextHelper helper_;
    SingleWindow<FindTextWindow> findText_;
    SingleWindow<AboutWindow> about_;
    SingleWindow<KeyCodeWindow> keyCodes_;
};

}  // namespace kavo
