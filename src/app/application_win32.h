// The program: its state, created once before the main window opens and kept until the process
// ends, the start-up sequence of the main window's created event, and the message loop.
#pragma once

#include <memory>

#include "commands/builtin_commands.h"
#include "engine/script_engine.h"
#include "hotkeys/hotkey_binding.h"
#include "hotkeys/hotkey_monitor.h"
#include "platform/win32/win32_platform.h"

namespace kavo {

class MainWindow;
class ScriptRunner;

class Application {
  public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Opens the main window and runs the message loop; returns the process exit code.
    int Run();

  private:
    // The main window's created event, after its controls and the library are in place.
    void OnMainWindowCreated(MainWindow& window);

    Win32Platform& platform_;
    ScriptEngine engine_;
    HotkeyMonitor hotkeys_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<ScriptRunner> runner_;
    std::unique_ptr<HotkeyBinding> binding_;
    // What the commands act through; they keep a reference to it.
    std::unique_ptr<CommandServices> commandServices_;
};

}  // namespace kavo
