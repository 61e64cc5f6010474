// The 操作 menu's editor commands (undo, clipboard, select all, character formats and colours,
// 搜索文本), the 程序 menu's 全局搜索, and opening web links in the script editor with a double
// click or Ctrl and a click.
#pragma once

#include "app/main_window_services_win32.h"

namespace kavo {

// Once, when the main window has been created: binds the rich text helper to the script
// editor, switches on link detection and registers the commands. What it creates lives until
// the process ends.
void InstallEditorCommands(MainWindowServices& services);

}  // namespace kavo
