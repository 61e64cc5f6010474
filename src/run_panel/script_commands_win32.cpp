#include "run_panel/script_commands_win32.h"

#include <utility>

#include "platform/win32/win32_platform.h"
#include "text/wide.h"
#include "ui/ui_thread_win32.h"

namespace kavo {

ScriptCommands::ScriptCommands(MainWindowServices& services, ScriptEngine& engine,
                               std::function<Utf8Text()> boundProcessName)
    : services_(services), balloon_(std::make_unique<BalloonTip>(services.Window())) {
    Win32Platform& platform = services.Platform();
    commandServices_ = std::make_unique<CommandServices>(CommandServices{
        platform, platform, platform,
        [this](Point where, const Utf8Text& text) { ShowBalloonTip(where, text); },
        std::move(boundProcessName),
        [this](const Utf8Text& title, const Utf8Text& text) {
            RunOnUiThread([this, &title, &text] { services_.ShowTrayBalloon(title, text); });
        }});
    AddBuiltinCommands(engine, *commandServices_);
}

void ScriptCommands::ShowBalloonTip(Point where, const Utf8Text& text) {
    RunOnUiThread([this, where, &text] {
        if (balloon_) balloon_->Show({where.x, where.y}, Utf8ToWide(text));
    });
}

}  // namespace kavo
