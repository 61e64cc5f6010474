// Program-wide state, created once before the main window opens and kept until the process
// ends, and the user-interface message loop.
#pragma once

#include <memory>

#include "commands/builtin_commands.h"
#include "engine/script_engine.h"
#include "hotkeys/hotkey_binding.h"
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

    Win32Platform& Platform() { return platform_; }
    ScriptEngine& Engine() { return engine_; }
    MainWindow& Window() { return *mainWindow_; }
    HotkeyBinding& Binding() { return *binding_; }

    // Start-up steps of the main window's created event that belong to the program's state:
    // the eleven commands, then the F1 key.
    void AddCommands();
    void AddCursorTrackingKey();

  private:
    Win32Platform& platform_;
    ScriptEngine engine_;
    std::unique_ptr<MainWindow> mainWindow_;
    // What the commands act through; they keep a reference to it.
    std::unique_ptr<CommandServices> commandServices_;
    HotkeyMonitor hotkeys_;
    std::unique_ptr<HotkeyBinding> binding_;
};

}  // namespace kavo
