#include "app/script_runner_win32.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <string>

#include "commands/run_texts.h"
#include "editor/editor_widget_win32.h"
#include "engine/script_engine.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/win32_platform.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"
#include "ui/ui_thread_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

Utf8Text ControlText(HWND control) {
    return WideToUtf8(ReadWindowText(control));
}

}  // namespace

ScriptRunner::ScriptRunner(MainWindowServices& services, ScriptEngine& engine,
                           HotkeyMonitor& hotkeys)
    : services_(services),
      engine_(engine),
      binding_(hotkeys, services.Platform(), services.Platform(), *this),
      hotkeyEdit_(binding_),
      cursorDisplay_(
          services, watch_, [this] { binding_.ShowCursorPosition(); },
          [this](KeyCode key) { binding_.InsertForKey(key); }) {
    balloon_ = std::make_unique<BalloonTip>(services_.Window());
    services_.Commands().Register(layout::kGo, [this] { RunCurrentScript(); });
    services_.Commands().Register(layout::kBind, [this] { binding_.BindHotkey(); });
    hotkeyEdit_.Subclass(services_.Control(layout::kHotkeyEdit));
    InstallRunControl();
    // The eleven commands, then the F1 key.
    Win32Platform& platform = services_.Platform();
    commandServices_ = std::make_unique<CommandServices>(CommandServices{
        platform, platform, platform,
        [this](Point where, const Utf8Text& text) { ShowBalloonTip(where, text); },
        [this] { return binding_.BoundProcessName(); },
        [this](const Utf8Text& title, const Utf8Text& text) {
            RunOnUiThread([this, &title, &text] { services_.ShowTrayBalloon(title, text); });
        }});
    AddBuiltinCommands(engine_, *commandServices_);
    binding_.RegisterCursorTrackingKey();
}

void ScriptRunner::InstallRunControl() {
    HWND window = services_.Window();
    runsChangedMessage_ = RegisterWindowMessageW(L"KavoScriptRunsChanged");
    runStoppedMessage_ = RegisterWindowMessageW(L"KavoScriptRunStopped");
    pressLatchedMessage_ = RegisterWindowMessageW(L"KavoHotkeyPressLatched");
    // Runs start and end on any thread; posting never waits for a user-interface thread that
    // may itself be running a script without pause.
    runs_.SetActivityObserver([this, window] { PostMessageW(window, runsChangedMessage_, 0, 0); });
    services_.AddMessageHandler(runsChangedMessage_, [this](WPARAM, LPARAM) {
        ShowRunState();
        return std::optional<LRESULT>(0);
    });
    services_.AddMessageHandler(runStoppedMessage_, [this](WPARAM, LPARAM) {
        ShowStopped();
        return std::optional<LRESULT>(0);
    });
    services_.AddMessageHandler(pressLatchedMessage_, [this](WPARAM, LPARAM) {
        binding_.Monitor().PollHotkeys();
        return std::optional<LRESULT>(0);
    });
    // However the program closes, no run starts any more (a hotkey latched while the
    // unsaved-changes question is open included) and the runs end; the last step waits a
    // moment for them and lets go of whatever keys and buttons they still hold.
    services_.AddClosingStep([this] { runs_.BeginClosing(); });
    services_.AddLastClosingStep([this] { WaitForRunsThenRelease(); });
    // Logging off or shutting down: the runs stop and let go either way, whether or not the
    // session then ends.
    services_.AddMessageHandler(WM_QUERYENDSESSION, [this](WPARAM, LPARAM) {
        runs_.StopAndReleaseAll();
        return std::optional<LRESULT>();
    });
    services_.AddMessageHandler(WM_ENDSESSION, [this](WPARAM wParam, LPARAM) {
        if (wParam != FALSE) {
            runs_.BeginClosing();
            runs_.StopAndReleaseAll();
        }
        return std::optional<LRESULT>();
    });

    KeyboardWatch::Handlers handlers;
    handlers.latch = &latch_;
    handlers.pressLatched = [this, window] { PostMessageW(window, pressLatchedMessage_, 0, 0); };
    // While scripts run the stop key is theirs alone; otherwise the focused program gets it.
    handlers.stopKeyPressed = [this] { return runs_.StopAll() > 0; };
    // F1's insert keys, while its display runs.
    handlers.claimedKeyPressed = [this](KeyCode key) { cursorDisplay_.KeyPressed(key); };
    // Hotkeys fire from the latched presses. A refused hook leaves the watch's poll to latch
    // them (and to see the stop key), every 50 ms.
    watch_.Start(static_cast<KeyCode>(kStopKey), std::move(handlers));
    binding_.Monitor().UseLatch(latch_);
    SetTimer(window, kKeyboardWatchTimer, HotkeyMonitor::kPollIntervalMs, nullptr);
    services_.AddMessageHandler(WM_TIMER, [this](WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (wParam != kKeyboardWatchTimer) return std::nullopt;
        std::vector<KeyCode> hotkeys;
        for (const HotkeyRecord& record : binding_.Monitor().Records())
            hotkeys.push_back(record.key);
        watch_.WatchKeys(std::move(hotkeys));
        watch_.Poll();
        return 0;
    });
}

void ScriptRunner::WaitForRunsThenRelease() {
    // Runs on other threads end at their next statement or wait; a run on this thread (closing
    // from inside 直接运行's waits) cannot end before this returns, so it is not waited for.
    // Only messages sent from those threads are served meanwhile (a run asking this thread to
    // show a balloon), nothing of the window.
    const DWORD deadline = GetTickCount() + 1000;
    while (runs_.ActiveRuns() > RunsOnCallingThread() &&
           static_cast<LONG>(deadline - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    runs_.StopAndReleaseAll();
}

void ScriptRunner::HideForRun() {
    HWND window = services_.Window();
    // Already minimised and hidden (the run before hid it): showing it minimised only to hide
    // it again would cost a round trip to the window manager on every hotkey press.
    if (!IsWindowVisible(window) && IsIconic(window)) return;
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
}

void ScriptRunner::RunCurrentScript() {
    // Once the program closes no run starts: it would be cut off half way with keys held.
    if (runs_.Closing()) return;
    RuntimeText script;
    PreparedScript prepared;
    bool refused = false;
    std::uint64_t generation = 0;
    RunOnUiThread([this, &script, &prepared, &refused, &generation] {
        if (runRefusal_) {
            const Utf8Text refusal = runRefusal_();
            if (!refusal.empty()) {
                refused = true;
                services_.ShowTrayBalloon("KAVO脚本助手", refusal);
                return;
            }
        }
        script = services_.Editor().ReadText();
        generation = services_.Editor().Generation();
        if (lineMarks_) lineMarks_(0, RunLineMark::None);
        // Checked before anything hides: the fault is shown over the window the user sees.
        prepared = engine_.Prepare(script);
        if (!prepared.fault) HideForRun();
    });
    if (refused) return;
    if (const std::optional<ScriptFault>& fault = prepared.fault) {
        engine_.ReportFault(*fault);
        RunOnUiThread([this, &script, &fault] {
            SelectLine(script, fault->line);
            if (lineMarks_) lineMarks_(fault->line, RunLineMark::ScriptFault);
        });
        return;
    }
    Win32Platform& platform = services_.Platform();
    bool stopped = false;
    int line = 0;
    Utf8Text reason;
    {
        const ScriptRun run(runs_, platform, platform);
        engine_.Run(*prepared.script);
        stopped = run.StopRequested();
        line = run.Line();
        reason = run.StopReason();
    }
    if (stopped) {
        {
            const std::lock_guard lock(stoppedMutex_);
            // A run that stopped itself says why (a window it names is not there); a stop
            // from outside says where the run was.
            stoppedText_ = reason.empty() ? StoppedText(script, line) : reason;
            stoppedLine_ = line;
            stoppedGeneration_ = generation;
        }
        PostMessageW(services_.Window(), runStoppedMessage_, 0, 0);
    }
}

void ScriptRunner::SelectLine(const RuntimeText& text, int line) {
    const std::optional<EditorSpan> span = LineSpan(text, line);
    if (!span) return;
    HWND editor = services_.Editor().Handle();
    CHARRANGE range{static_cast<LONG>(span->start), static_cast<LONG>(span->end)};
    SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(editor, EM_SCROLLCARET, 0, 0);
    if (IsWindowVisible(services_.Window())) SetFocus(editor);
}

void ScriptRunner::ShowRunState() {
    services_.SetTrayTip(runs_.ActiveRuns() > 0 ? RunningTip(kStopKeyName) : IdleTip());
}

void ScriptRunner::ShowStopped() {
    Utf8Text text;
    int line = 0;
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(stoppedMutex_);
        text = stoppedText_;
        line = stoppedLine_;
        generation = stoppedGeneration_;
    }
    services_.ShowTrayBalloon(StoppedTitle(), text);
    // Marked only while the editor still holds the page that ran.
    if (lineMarks_ && line > 0 && generation == services_.Editor().Generation())
        lineMarks_(line, RunLineMark::Stopped);
}

void ScriptRunner::ShowBalloonTip(Point where, const Utf8Text& text) {
    RunOnUiThread([this, where, &text] {
        if (balloon_) balloon_->Show({where.x, where.y}, Utf8ToWide(text));
    });
}

Utf8Text ScriptRunner::ProcessNameText() {
    return ControlText(services_.Control(layout::kProcessEdit));
}

Utf8Text ScriptRunner::HotkeyEditText() {
    return ControlText(services_.Control(layout::kHotkeyEdit));
}

void ScriptRunner::SetHotkeyEditText(const Utf8Text& text) {
    SetWindowTextW(services_.Control(layout::kHotkeyEdit), Utf8ToWide(text).c_str());
}

void ScriptRunner::ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) {
    cursorDisplay_.ShowCoordinates(x, y);
}

void ScriptRunner::ShowWindowUnderCursor(const SpyLines& lines) {
    cursorDisplay_.ShowWindowLines(lines);
}

void ScriptRunner::InsertInEditor(const Utf8Text& text) {
    cursorDisplay_.InsertInEditor(text);
}

void ScriptRunner::ChangeCursorTrackingInterval(
    const std::function<std::uint32_t(std::uint32_t current)>& next) {
    cursorDisplay_.ChangeInterval(next);
}

LRESULT ScriptRunner::HotkeyEdit::HandleSubclassMessage(HWND edit, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (message == WM_SYSKEYDOWN && wParam == VK_F4) break;  // Alt+F4 keeps its meaning
            binding_.ShowHotkeyName(static_cast<int>(wParam));
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
            return 0;
        default:
            break;
    }
    return DefaultSubclassProcedure(edit, message, wParam, lParam);
}

}  // namespace kavo
