// Creates the main window's controls from the layout table: each control's kind decides its
// window class and styles.
#pragma once

#include <windows.h>

#include "shell/main_window_layout.h"

namespace kavo {

class RollUpPanel;

struct ControlFonts {
    HFONT ui = nullptr;     // every control but the title
    HFONT title = nullptr;  // 窗口标题
};

// The layout row of a control id; nullptr for an id that is not in the table.
const layout::ControlPlace* FindPlace(int id);

// Creates every control of the table in design order, the panels first among their children,
// and stacks them as the window was designed.
void CreateMainWindowControls(HWND window, RollUpPanel& helpPanel, RollUpPanel& runPanel,
                              const ControlFonts& fonts);

// The control's window: children of the panels are found in their panel.
HWND FindMainWindowControl(HWND window, HWND helpPanel, HWND runPanel, int id);

}  // namespace kavo
