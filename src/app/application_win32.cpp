#include "app/application_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_window_win32.h"

namespace kavo {

Application::Application() : platform_(ThePlatform()), hotkeys_(platform_) {
    auto& wait = platform_;
    engine_.SetEventPump([&wait] { wait.ProcessPendingEvents(); });
    engine_.SetRunHooks([&wait] { wait.BeginPreciseTiming(); },
                        [&wait] { wait.EndPreciseTiming(); });
    auto& system = platform_;
    engine_.SetFaultReporter([&system](const ScriptFault& fault) {
        system.ShowMessageBox(fault.message, "脚本错误", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    });
    mainWindow_ = std::make_unique<MainWindow>(*this);
    binding_ = std::make_unique<HotkeyBinding>(hotkeys_, platform_, platform_, *mainWindow_);
}

Application::~Application() = default;

void Application::AddCommands() {
    commandServices_ = std::make_unique<CommandServices>(CommandServices{
        platform_, platform_, platform_,
        [this](Point where, const Utf8Text& text) { mainWindow_->ShowBalloonTip(where, text); }});
    AddBuiltinCommands(engine_, *commandServices_);
}

void Application::AddCursorTrackingKey() {
    binding_->RegisterCursorTrackingKey();
}

int Application::Run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (!mainWindow_->Create()) return 0;  // another instance is visible, or no window at all
    mainWindow_->Show();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (mainWindow_->TranslateAccelerators(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace kavo
