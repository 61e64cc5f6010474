#include "app/command_line_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <utility>

#include "app/elevation_win32.h"
#include "app/tray_icon_win32.h"
#include "commands/balloon_tip_win32.h"
#include "commands/builtin_commands.h"
#include "commands/engine_host.h"
#include "commands/run_texts.h"
#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "resource_ids.h"
#include "shell/main_window_services_win32.h"
#include "text/wide.h"
#include "ui/message_loop_win32.h"
#include "ui/ui_thread_win32.h"
#include "ui/window_base_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoCommandLineRun";
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT_PTR kLingerTimer = 2;
// Long enough to read the balloon that says why the run ended; the icon, and with it the
// balloon, goes when the process ends.
constexpr UINT kLingerMs = 5000;

Utf8Text LocalTimeText() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

// The window that owns the icon and the balloons, never shown (so it is not the main window a
// new start looks for), and hears what ends the process from outside: WM_CLOSE (taskkill
// without /f) and the session's end.
class CommandLineWindow : public WindowBase<CommandLineWindow> {
  public:
    // askedToEnd: on the window's thread when the process is asked to end.
    explicit CommandLineWindow(std::function<void()> askedToEnd)
        : askedToEnd_(std::move(askedToEnd)) {
        RegisterClassOnce(kClassName, nullptr, nullptr);
        CreateWindowFor(WS_EX_TOOLWINDOW, kClassName, L"KAVO脚本助手 /run", WS_POPUP, 0, 0, 0, 0,
                        nullptr, nullptr);
    }
    ~CommandLineWindow() { DestroyDetached(); }
    CommandLineWindow(const CommandLineWindow&) = delete;
    CommandLineWindow& operator=(const CommandLineWindow&) = delete;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_CLOSE:
                askedToEnd_();
                return 0;
            case WM_QUERYENDSESSION:
                return TRUE;
            case WM_ENDSESSION:
                if (wParam != FALSE) askedToEnd_();
                return 0;
            default:
                return DefaultProcedure(message, wParam, lParam);
        }
    }

  private:
    std::function<void()> askedToEnd_;
};

}  // namespace

CommandLineRequest ReadProcessCommandLine() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<Utf8Text> arguments;
    for (int i = 1; words != nullptr && i < count; ++i) arguments.push_back(WideToUtf8(words[i]));
    if (words != nullptr) LocalFree(words);
    return ParseCommandLine(arguments);
}

int RunCommandLine(const CommandLineRequest& request) {
    Win32Platform& platform = ThePlatform();
    // Relative paths of 运行 mean the same whoever started the run (the Task Scheduler starts
    // programs in the system folder).
    SetCurrentDirectoryW(Utf8ToWide(platform.ExecutableFolder()).c_str());
    StartUiThreadDispatcher();

    ScriptEngine engine;
    engine.SetHost(ProgramEngineHost(platform, platform));

    // Set once the run's thread exists: how the process ends when asked to from outside.
    std::function<void()> endNow = [] { ExitProcess(static_cast<UINT>(RunOutcome::Stopped)); };
    CommandLineWindow owner([&endNow] { endNow(); });
    HWND window = owner.Handle();
    BalloonTip balloon(window);
    // The icon is there only while a page runs; notices before it (none: the check sends
    // nothing) would have nowhere to show.
    std::unique_ptr<TrayIcon> tray;
    CommandServices services{platform,
                             platform,
                             platform,
                             [&balloon](Point where, const Utf8Text& text) {
                                 RunOnUiThread([&balloon, where, &text] {
                                     balloon.Show({where.x, where.y}, Utf8ToWide(text));
                                 });
                             },
                             [] { return Utf8Text(); },
                             [&tray](const Utf8Text& title, const Utf8Text& text) {
                                 RunOnUiThread([&tray, &title, &text] {
                                     if (tray)
                                         tray->ShowBalloon(Utf8ToWide(title), Utf8ToWide(text));
                                 });
                             }};
    AddBuiltinCommands(engine, services);

    Win32KeyboardHook hook;
    RunControl control(hook, platform, platform);
    CommandLineRunPorts ports{engine, platform, control, LocalTimeText};
    ports.logNote = ElevatedFolderWarning(platform.ExecutableFolder()).value_or(Utf8Text());
    // A check, or nothing to run: no icon, no keyboard watch.
    if (request.mode != CommandLineMode::Run || request.missingPage)
        return static_cast<int>(RunFromCommandLine(request, ports).outcome);

    // F12 from any window stops the run, as in the main window.
    control.Start({});
    SetTimer(window, kWatchTimer, HotkeyMonitor::kPollIntervalMs, nullptr);

    const UniqueIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KAVO), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    tray = std::make_unique<TrayIcon>(window, kTrayIconMessage, icon.get(),
                                      Utf8ToWide(RunningTip(kStopKeyName)));

    RunReport report;
    std::promise<void> finished;
    std::future<void> workerDone = finished.get_future();
    std::thread worker([&] {
        report = RunFromCommandLine(request, ports);
        finished.set_value();
        PostMessageW(window, kRunEndedMessage, 0, 0);
    });
    // Asked to end (taskkill, the session): the run stops and lets go of what it holds at once,
    // and the process ends within a second with the run's log line, also when the run sits
    // where it cannot stop (a message box).
    endNow = [&] {
        control.StopAndReleaseAll();
        const bool done = WaitServingSentMessages(
            [&workerDone] {
                return workerDone.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            },
            1000);
        if (done) {
            worker.join();
        } else {
            LogRunOnce(request, ports, EndedFromOutsideReport());
            report = EndedFromOutsideReport();
            worker.detach();
        }
        tray.reset();
        ExitProcess(static_cast<UINT>(report.outcome));
    };
    MSG message;
    bool ended = false;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == window && message.message == WM_TIMER &&
            message.wParam == kWatchTimer) {
            control.Poll();
            continue;
        }
        if (message.hwnd == window && message.message == kRunEndedMessage) {
            ended = true;
            worker.join();
            control.Keyboard().Stop();
            KillTimer(window, kWatchTimer);
            if (report.outcome == RunOutcome::Completed) break;
            tray->SetTip(Utf8ToWide(IdleTip()));
            tray->ShowBalloon(
                Utf8ToWide(report.outcome == RunOutcome::Stopped ? StoppedTitle()
                                                                 : Utf8Text("KAVO脚本助手")),
                Utf8ToWide(report.reason));
            // After the run, being asked to end ends the process with the run's own code.
            endNow = [&tray, &report] {
                tray.reset();
                ExitProcess(static_cast<UINT>(report.outcome));
            };
            SetTimer(window, kLingerTimer, kLingerMs, nullptr);
            continue;
        }
        if (message.hwnd == window && message.message == WM_TIMER && message.wParam == kLingerTimer)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!ended) {
        // WM_QUIT from elsewhere: the run stops and lets go of what it holds.
        control.StopAndReleaseAll();
        worker.join();
    }
    tray.reset();
    return static_cast<int>(report.outcome);
}

}  // namespace kavo
