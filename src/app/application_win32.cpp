#include "app/application_win32.h"

#include <windows.h>
#include <commctrl.h>

#include "app/features_win32.h"
#include "app/library_view_win32.h"
#include "app/main_window_win32.h"
#include "app/message_loop_win32.h"
#include "app/script_runner_win32.h"
#include "app/ui_thread_win32.h"
#include "editor/help_panel_win32.h"

namespace kavo {

Application::Application() : platform_(ThePlatform()), hotkeys_(platform_) {
    auto& wait = platform_;
    engine_.SetEventPump([&wait] { wait.ProcessPendingEvents(); });
    engine_.SetRunHooks([&wait] { wait.BeginPreciseTiming(); },
                        [&wait] { wait.EndPreciseTiming(); });
    auto& system = platform_;
    engine_.SetFaultReporter([&system](const ScriptFault& fault) {
        system.ShowMessageBox(fault.message, "脚本错误",
                              MessageBoxOption::Warning | MessageBoxOption::TaskModal);
    });
}

Application::~Application() = default;

void Application::OnMainWindowCreated(MainWindow& window) {
    runner_ = std::make_unique<ScriptRunner>(window, engine_);
    binding_ = std::make_unique<HotkeyBinding>(hotkeys_, platform_, platform_, *runner_);
    runner_->Install(*binding_);
    InstallLibraryView(window);
    InstallHelpPanel(window);
    // The eleven commands, then the F1 key.
    commandServices_ = std::make_unique<CommandServices>(CommandServices{
        platform_, platform_, platform_,
        [this](Point where, const Utf8Text& text) { runner_->ShowBalloonTip(where, text); }});
    AddBuiltinCommands(engine_, *commandServices_);
    binding_->RegisterCursorTrackingKey();
    InstallFeatures(window);
}

int Application::Run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    StartUiThreadDispatcher();
    mainWindow_ = std::make_unique<MainWindow>(platform_, engine_);
    if (!mainWindow_->Create([this](MainWindow& window) { OnMainWindowCreated(window); }))
        return 0;  // another instance is visible, or no window at all
    mainWindow_->Show();
    RunMessageLoop([this](MSG& message) { return mainWindow_->TranslateShortcut(message); });
    return 0;
}

}  // namespace kavo
