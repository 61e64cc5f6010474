#include "run_panel/run_control_window_win32.h"

#include <windows.h>

#include <utility>

#include "platform/win32/win32_platform.h"
#include "ui/message_loop_win32.h"

namespace kavo {

RunControlWindow::RunControlWindow(MainWindowServices& services, HotkeyMonitor& hotkeys)
    : services_(services), control_(hook_, services.Platform(), services.Platform(), &hotkeys) {
    services.OnAppMessage(kRunsChangedMessage, [this](WPARAM, LPARAM) -> LRESULT {
        services_.SetTrayTip(control_.TrayTip());
        return 0;
    });
    services.OnAppMessage(kHotkeyPressLatchedMessage, [this](WPARAM, LPARAM) -> LRESULT {
        control_.FireLatchedHotkeys();
        return 0;
    });
    services.OnTimer(kKeyboardWatchTimer, [this] { control_.Poll(); });
    MainWindowEvents& events = services.Events();
    // However the program closes, no run starts any more (a hotkey latched while the
    // unsaved-changes question is open included) and the runs end; the last step waits a
    // moment for them and lets go of whatever keys and buttons they still hold.
    events.closingRequested.Subscribe([this] {
        control_.BeginClosing();
        return false;
    });
    events.closeRefused.Subscribe([this] { control_.EndClosing(); });
    events.closing.Subscribe([this] { control_.BeginClosing(); });
    events.lastClosing.Subscribe([this] { WaitForRunsThenRelease(); });
    // Logging off or shutting down: the runs stop and let go either way, whether or not the
    // session then ends.
    events.sessionEndQueried.Subscribe([this] {
        control_.SessionEndQueried();
        return false;
    });
    events.sessionEnded.Subscribe([this](bool ending) { control_.SessionEnded(ending); });
}

void RunControlWindow::Start(std::function<void(KeyCode)> claimedKeyPressed) {
    RunControl::Listeners listeners;
    // Runs start and end on any thread; posting never waits for a user-interface thread that
    // may itself be running a script without pause.
    listeners.runsChanged = [this] { services_.Post(kRunsChangedMessage); };
    listeners.pressLatched = [this] { services_.Post(kHotkeyPressLatchedMessage); };
    listeners.runStopped = [this] { services_.Post(kRunStoppedMessage); };
    listeners.claimedKeyPressed = std::move(claimedKeyPressed);
    // Hotkeys fire from the latched presses. A refused hook leaves the watch's poll to latch
    // them (and to see the stop key), every 50 ms.
    control_.Start(std::move(listeners));
    SetTimer(services_.Window(), kKeyboardWatchTimer, HotkeyMonitor::kPollIntervalMs, nullptr);
}

void RunControlWindow::WaitForRunsThenRelease() {
    // Runs on other threads end at their next statement or wait; a run on this thread (closing
    // from inside 直接运行's waits) cannot end before this returns, so it is not waited for.
    // Only messages sent from those threads are served meanwhile (a run asking this thread to
    // show a balloon), nothing of the window.
    WaitServingSentMessages([this] { return control_.ActiveRuns() <= RunsOnCallingThread(); },
                            1000);
    control_.StopAndReleaseAll();
}

}  // namespace kavo
