// The custom title bar: the caption buttons and picture boxes with their pictures and clicks,
// dragging by the title strip, and the window states (maximised, hidden to the notification
// area, restored from it).
#pragma once

#include <windows.h>

#include <functional>

#include "shell/main_window_services_win32.h"

namespace kavo {

class TitleBar {
  public:
    // close: closes the main window (by any of its buttons).
    TitleBar(MainWindowServices& services, std::function<void()> close);

    // Registers the clicks of 退出, 图片框1, 最大化, 最小化 and 图片框3. The main window asks
    // HitTest and ToggleMaximized for its hit test and a double click on the title strip.
    void Install();

    // The title strip that the caption buttons leave free is the window's caption, maximised or
    // not: it moves the window, and a double click on it toggles maximised.
    LRESULT HitTest(LRESULT defaultHit, LPARAM screenPoint) const;

    void ToggleMaximized();
    // Minimised and hidden in the notification area (nothing when it is already).
    void HideToTray();
    // Normal state, centred on the screen, shown and brought to the front.
    void RestoreFromTray();

  private:
    MainWindowServices& services_;
    std::function<void()> close_;
};

}  // namespace kavo
