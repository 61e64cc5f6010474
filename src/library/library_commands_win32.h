// The library's menu commands in the main window: 新建脚本, 新建脚本目录, 删除脚本, 删除脚本目录,
// 重命名脚本, 重命名脚本目录 and 关于 (程序 menu), 保存 (Ctrl+S) and 自动保存 (操作 menu),
// 查看键代码 (设置 menu); the unsaved-changes question when another page is selected and when
// the program closes.
#pragma once

#include "app/main_window_services_win32.h"

namespace kavo {

void InstallLibraryCommands(MainWindowServices& services);

// False when the window's text holds characters GBK cannot store (they would be saved as '?' or
// as a look-alike).
bool WindowTextFitsGbk(HWND window);

}  // namespace kavo
