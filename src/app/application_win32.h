// The program: its state, created once before the main window opens and kept until the process
// ends, and the message loop. The main window makes and owns every feature.
#pragma once

#include <memory>

#include "app/single_instance_win32.h"
#include "engine/script_engine.h"
#include "hotkeys/hotkey_monitor.h"
#include "platform/win32/win32_platform.h"

namespace kavo {

class MainWindow;

class Application {
  public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Opens the main window and runs the message loop; returns the process exit code.
    int Run();

  private:
    Win32Platform& platform_;
    ScriptEngine engine_;
    HotkeyMonitor hotkeys_;
    ProgramInstance instance_;
    std::unique_ptr<MainWindow> mainWindow_;
};

}  // namespace kavo
