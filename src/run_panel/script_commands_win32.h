// The script language's commands as the main window's runs use them: entered into the engine
// before the editor's features ask it for its words, with the balloon tip 气球提示框 shows
// (气球提示框1), the bound process 目标 stands for and the notices a run gives at the icon.
#pragma once

#include <functional>
#include <memory>

#include "commands/balloon_tip_win32.h"
#include "commands/builtin_commands.h"
#include "engine/script_engine.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class ScriptCommands {
  public:
    // boundProcessName: the process a hotkey is bound for (any thread, called only while a
    // script runs).
    ScriptCommands(MainWindowServices& services, ScriptEngine& engine,
                   std::function<Utf8Text()> boundProcessName);
    ScriptCommands(const ScriptCommands&) = delete;
    ScriptCommands& operator=(const ScriptCommands&) = delete;

  private:
    // Shows 气球提示框1 with the text at a screen point. From any thread; returns once it is up.
    void ShowBalloonTip(Point where, const Utf8Text& text);

    MainWindowServices& services_;
    std::unique_ptr<BalloonTip> balloon_;  // 气球提示框1
    // What the commands act through; they keep a reference to it.
    std::unique_ptr<CommandServices> commandServices_;
};

}  // namespace kavo
