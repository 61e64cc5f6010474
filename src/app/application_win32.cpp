#include "app/application_win32.h"

#include <windows.h>
#include <commctrl.h>

#include "app/elevation_win32.h"
#include "app/main_window_win32.h"
#include "commands/engine_host.h"
#include "ui/message_loop_win32.h"
#include "ui/ui_thread_win32.h"

namespace kavo {

Application::Application() : platform_(ThePlatform()), hotkeys_(platform_) {
    engine_.SetHost(ProgramEngineHost(platform_, platform_));
}

Application::~Application() = default;

int Application::Run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    StartUiThreadDispatcher();
    // A program of this folder runs already (maybe hidden in the notification area): it comes
    // forward instead, and this start ends. Two programs on one library would write the same
    // pages and fight over the keys.
    if (!instance_.Claim(platform_.ExecutableFolder())) return 0;
    mainWindow_ = std::make_unique<MainWindow>(platform_, engine_, hotkeys_);
    if (!mainWindow_->Create()) return 0;  // another instance is visible, or no window at all
    instance_.Publish(mainWindow_->Handle());
    mainWindow_->Show();
    if (const std::optional<Utf8Text> warning = ElevatedFolderWarning(platform_.ExecutableFolder()))
        mainWindow_->ShowTrayBalloon("以管理员身份运行", *warning);
    RunMessageLoop([this](MSG& message) { return mainWindow_->TranslateShortcut(message); });
    return 0;
}

}  // namespace kavo
