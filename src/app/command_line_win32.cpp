#include "app/command_line_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "app/tray_icon_win32.h"
#include "commands/balloon_tip_win32.h"
#include "commands/builtin_commands.h"
#include "commands/engine_host.h"
#include "commands/run_texts.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/keyboard_watch.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "resource_ids.h"
#include "text/wide.h"
#include "ui/ui_thread_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoCommandLineRun";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kRunEndedMessage = WM_APP + 2;
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

// The window that owns the icon and the balloons: never shown, so it is not the main window
// a new start looks for.
UniqueWindow CreateHiddenOwner() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    return UniqueWindow(CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"KAVO脚本助手 /run",
                                        WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
}

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

    const UniqueWindow owner = CreateHiddenOwner();
    HWND window = owner.get();
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

    RunRegistry runs;
    CommandLineRunPorts ports{engine, platform, runs, platform, platform, LocalTimeText};
    // A check, or nothing to run: no icon, no keyboard watch.
    if (request.mode != CommandLineMode::Run || request.missingPage)
        return static_cast<int>(RunFromCommandLine(request, ports).outcome);

    // F12 from any window stops the run, as in the main window.
    Win32KeyboardHook hook;
    KeyboardWatch watch(hook);
    KeyboardWatch::Handlers handlers;
    handlers.stopKeyPressed = [&runs] { return runs.StopAll() > 0; };
    watch.Start(static_cast<KeyCode>(kStopKey), std::move(handlers));
    SetTimer(window, kWatchTimer, 50, nullptr);

    const UniqueIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KAVO), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    tray = std::make_unique<TrayIcon>(window, kTrayMessage, icon.get(),
                                      Utf8ToWide(RunningTip(kStopKeyName)));

    RunReport report;
    std::thread worker([&] {
        report = RunFromCommandLine(request, ports);
        PostMessageW(window, kRunEndedMessage, 0, 0);
    });
    MSG message;
    bool ended = false;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == window && message.message == WM_TIMER &&
            message.wParam == kWatchTimer) {
            watch.Poll();
            continue;
        }
        if (message.hwnd == window && message.message == kRunEndedMessage) {
            ended = true;
            worker.join();
            watch.Stop();
            KillTimer(window, kWatchTimer);
            if (report.outcome == RunOutcome::Completed) break;
            tray->SetTip(Utf8ToWide(IdleTip()));
            tray->ShowBalloon(
                Utf8ToWide(report.outcome == RunOutcome::Stopped ? StoppedTitle()
                                                                 : Utf8Text("KAVO脚本助手")),
                Utf8ToWide(report.reason));
            SetTimer(window, kLingerTimer, kLingerMs, nullptr);
            continue;
        }
        if (message.hwnd == window && message.message == WM_TIMER && message.wParam == kLingerTimer)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!ended) {
        // The session ends (WM_QUIT): the run stops and lets go of what it holds.
        runs.StopAndReleaseAll();
        worker.join();
    }
    tray.reset();
    return static_cast<int>(report.outcome);
}

}  // namespace kavo
