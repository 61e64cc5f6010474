// The program's run control on the main window: its keyboard hook, the watch's 50 ms timer, the
// icon's tip while scripts run, the hotkey presses the watch latched handed to the hotkey monitor,
// and the runs stopped when the window closes or the session ends.
#pragma once

#include <functional>

#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "run_control/run_control.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class RunControlWindow {
  public:
    RunControlWindow(MainWindowServices& services, HotkeyMonitor& hotkeys);
    RunControlWindow(const RunControlWindow&) = delete;
    RunControlWindow& operator=(const RunControlWindow&) = delete;

    RunControl& Control() { return control_; }

    // Starts the keyboard watch, once the features that hear it are made: claimedKeyPressed on
    // the hook's thread (must return at once). From then on F12 stops every run.
    void Start(std::function<void(KeyCode)> claimedKeyPressed);

  private:
    // The program's last moment: waits up to a second for the runs of other threads to end,
    // then releases what every run still holds. User-interface thread.
    void WaitForRunsThenRelease();

    MainWindowServices& services_;
    Win32KeyboardHook hook_;
    RunControl control_;
};

}  // namespace kavo
