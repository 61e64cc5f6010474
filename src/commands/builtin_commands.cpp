#include "commands/builtin_commands.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/keyboard_actions.h"
#include "commands/mouse_actions.h"
#include "commands/precise_delay.h"
#include "commands/run_input.h"
#include "commands/run_texts.h"
#include "commands/script_run.h"
#include "commands/script_words.h"
#include "target_window/window_description.h"
#include "text/encoding.h"

namespace kavo {
namespace {

constexpr std::uint32_t kStartIdleWaitMs = 1000;
// How often 等待窗口 looks for its window.
constexpr std::int32_t kWindowPollMs = 100;
// How long 激活窗口 lets a switch of the foreground window settle.
constexpr std::int32_t kActivationSettleMs = 100;

void PerformMouseWord(InputPort& input, const MouseWord& word) {
    switch (word.act) {
        case MouseWord::Act::Click:
            ClickAtCursor(input, word.button == MouseButton::Left    ? ClickKind::Left
                                 : word.button == MouseButton::Right ? ClickKind::Right
                                                                     : ClickKind::Middle);
            break;
        case MouseWord::Act::Press:
            PressButtonAtCursor(input, word.button, KeyDirection::Down);
            break;
        case MouseWord::Act::Release:
            PressButtonAtCursor(input, word.button, KeyDirection::Up);
            break;
        case MouseWord::Act::Wheel:
            TurnWheel(input, word.notches);
            break;
    }
}

using Arguments = std::vector<RuntimeText>;

// The engine passes every registered argument; a missing one reads as the empty text.
std::string_view Argument(const Arguments& arguments, std::size_t index) {
    return index < arguments.size() ? std::string_view(arguments[index]) : std::string_view();
}
std::int32_t Number(const Arguments& arguments, std::size_t index) {
    return TextToNumber(Argument(arguments, index));
}

// A window that will drop what the run sends it is named once per run, in a balloon: the
// statement still sends (the system may let it through after all).
void NoticeElevatedWindow(const CommandServices& s, NativeWindow window,
                          std::string_view argument) {
    if (window == 0 || !s.showNotice) return;
    ScriptRun* run = CurrentRun();
    if (run == nullptr || !s.system.RunsAboveThisProcess(window) || !run->FirstNotice()) return;
    s.showNotice(GbkToUtf8(argument), ElevatedWindowText());
}

// Input injected while the foreground window belongs to a program run as administrator is
// dropped by the system without a word: said once per run, shared with the posted messages'
// notice. The foreground window is read at every injection (cheap); its process and level only
// when it changed.
void NoticeElevatedForeground(const CommandServices& s, ScriptRun& run) {
    if (!s.showNotice || run.Noticed()) return;
    const NativeWindow window = s.system.ForegroundWindow();
    if (window == 0) return;
    std::optional<ScriptRun::ForegroundCheck>& last = run.LastForeground();
    if (!last || last->window != window) {
        const std::uint32_t processId = s.system.ReadWindow(window, WindowField::Process).processId;
        if (last && processId != 0 && last->processId == processId) {
            last->window = window;
        } else {
            last = ScriptRun::ForegroundCheck{window, processId,
                                              s.system.RunsAboveThisProcess(window)};
        }
    }
    if (!last->above || !run.FirstNotice()) return;
    const Utf8Text name = last->processId != 0 ? s.system.ProcessName(last->processId) : "";
    s.showNotice(name.empty() ? std::to_string(window) : "进程:" + name, ElevatedWindowText());
}

// The window the description names at this moment, 目标 standing for the bound process.
std::optional<NativeWindow> FindWindowNow(const CommandServices& s,
                                          const WindowDescription& description) {
    const Utf8Text bound = s.boundProcessName ? s.boundProcessName() : Utf8Text();
    return FindDescribedWindow(s.system, description, bound);
}

// The window a statement posts to: the handle as written, or the window its description
// names now. Nothing when a description names no window: the run stops there rather than post
// to another window (the desktop) than the script meant.
std::optional<NativeWindow> WindowArgument(const CommandServices& s, std::string_view argument) {
    if (!IsWindowDescription(argument)) {
        const NativeWindow window{TextToNumber(argument)};
        NoticeElevatedWindow(s, window, argument);
        return window;
    }
    const ParsedWindowDescription parsed = ParseWindowDescription(argument);
    if (parsed.problem.empty()) {
        if (const auto found = FindWindowNow(s, parsed.description)) {
            NoticeElevatedWindow(s, *found, argument);
            return found;
        }
    }
    if (ScriptRun* run = CurrentRun()) run->StopBecause(WindowNotFoundText(argument, run->Line()));
    return std::nullopt;
}

// A whole number from lowest to highest, both included, either way round; every thread draws
// from a generator of its own.
std::int32_t RandomBetween(std::int32_t lowest, std::int32_t highest) {
    if (lowest > highest) std::swap(lowest, highest);
    thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<std::int32_t>(lowest, highest)(generator);
}

// 等待窗口: looks for the described window every kWindowPollMs until it is there (1), the run
// is stopped (0) or longestMs have gone by (0, and the run stops, saying so: the statements
// after it expect the window). longestMs of 0 or less: no limit but the stop key.
std::int32_t WaitForWindow(const CommandServices& s, std::string_view argument,
                           std::int32_t longestMs) {
    const ParsedWindowDescription parsed = ParseWindowDescription(argument);
    if (!parsed.problem.empty()) return 0;  // the script's check refuses it before any run
    const std::uint64_t start = s.wait.NowMicroseconds();
    for (;;) {
        if (FindWindowNow(s, parsed.description)) return 1;
        if (CurrentRunStopped()) return 0;
        std::int32_t pause = kWindowPollMs;
        if (longestMs > 0) {
            const std::uint64_t waitedMs = (s.wait.NowMicroseconds() - start) / 1000;
            if (waitedMs >= static_cast<std::uint64_t>(longestMs)) {
                if (ScriptRun* run = CurrentRun())
                    run->StopBecause(WindowWaitTimedOutText(argument, longestMs, run->Line()));
                return 0;
            }
            pause = static_cast<std::int32_t>(
                std::min<std::uint64_t>(kWindowPollMs, longestMs - waitedMs));
        }
        PreciseDelay(s.wait, pause);
    }
}

}  // namespace

Utf8Text ElevatedWindowText() {
    return "目标窗口以管理员身份运行，请以管理员身份运行本程序";
}

WordContext::WordContext(const CommandServices& commandServices)
    : services(commandServices), input(commandServices.input, [this](ScriptRun& run) {
          NoticeElevatedForeground(services, run);
      }) {}

std::int32_t DoMessageBox(WordContext& c, const Arguments& a) {
    // No default caption: an empty title stays empty.
    const int button = c.services.system.ShowMessageBox(
        GbkToUtf8(Argument(a, 1)), GbkToUtf8(Argument(a, 0)), MessageBoxOption::TaskModal);
    // Closed by another program (the program itself is asked to end): the page goes no further,
    // as after the stop key.
    if (button == kMessageBoxClosedFromOutside) {
        if (ScriptRun* run = CurrentRun()) run->RequestStop();
        return 0;
    }
    return button;
}

std::int32_t DoMouse(WordContext& c, const Arguments& a) {
    // The words in GBK, made once: the handler compares bytes.
    static const std::vector<std::pair<RuntimeText, MouseWord>> words = [] {
        std::vector<std::pair<RuntimeText, MouseWord>> gbk;
        for (const MouseWord& word : MouseWords()) gbk.emplace_back(Utf8ToGbk(word.name), word);
        return gbk;
    }();
    const std::string_view said = Argument(a, 0);
    for (const auto& [gbk, word] : words)
        if (said == gbk) PerformMouseWord(c.input, word);
    return 0;
}

std::int32_t DoDelay(WordContext& c, const Arguments& a) {
    return PreciseDelay(c.services.wait, Number(a, 0));
}

std::int32_t DoMouseMessage(WordContext& c, const Arguments& a) {
    const std::optional<NativeWindow> window = WindowArgument(c.services, Argument(a, 0));
    if (window)
        PostMouseMessage(c.input, *window, Number(a, 1), Number(a, 2), Number(a, 3), Number(a, 4));
    return 0;
}

std::int32_t DoKeyMessage(WordContext& c, const Arguments& a) {
    const std::optional<NativeWindow> window = WindowArgument(c.services, Argument(a, 0));
    if (window) PostKeyMessage(c.input, *window, Number(a, 1), Number(a, 2));
    return 0;
}

std::int32_t DoMouseMove(WordContext& c, const Arguments& a) {
    GlideCursor(c.input, c.services.wait, Number(a, 0), Number(a, 1));
    return 0;
}

std::int32_t DoBalloonTip(WordContext& c, const Arguments& a) {
    const Point where = c.input.GetCursorPos();
    if (c.services.showBalloonTip) c.services.showBalloonTip(where, GbkToUtf8(Argument(a, 0)));
    return 0;
}

// The executor runs counted blocks itself and never calls this.
std::int32_t DoCountedLoop(WordContext&, const Arguments& a) {
    return Number(a, 0);
}

std::int32_t DoTypeKeys(WordContext& c, const Arguments& a) {
    TypeKeys(c.input, c.services.wait, Argument(a, 0), Number(a, 1));
    return 0;
}

std::int32_t DoRun(WordContext& c, const Arguments& a) {
    return c.services.system.StartProcess(GbkToUtf8(Argument(a, 0)), kStartIdleWaitMs) ? 1 : 0;
}

std::int32_t DoSpecialKey(WordContext& c, const Arguments& a) {
    PressSpecialKey(c.input, c.services.wait, TextToInteger(Argument(a, 0)));
    return 0;
}

std::int32_t DoPlaceCursor(WordContext& c, const Arguments& a) {
    MoveCursor(c.input, Number(a, 0), Number(a, 1));
    return 0;
}

std::int32_t DoHoldKey(WordContext& c, const Arguments& a) {
    PressKeyAlone(c.input, TextToInteger(Argument(a, 0)), KeyDirection::Down);
    return 0;
}

std::int32_t DoReleaseKey(WordContext& c, const Arguments& a) {
    PressKeyAlone(c.input, TextToInteger(Argument(a, 0)), KeyDirection::Up);
    return 0;
}

std::int32_t DoRandomDelay(WordContext& c, const Arguments& a) {
    return PreciseDelay(c.services.wait, RandomBetween(Number(a, 0), Number(a, 1)));
}

std::int32_t DoAwaitWindow(WordContext& c, const Arguments& a) {
    return WaitForWindow(c.services, Argument(a, 0), Number(a, 1));
}

// The keys typed next go to the window in front: a window that cannot be brought there stops
// the run rather than let them reach another one.
std::int32_t DoActivateWindow(WordContext& c, const Arguments& a) {
    const std::optional<NativeWindow> window = WindowArgument(c.services, Argument(a, 0));
    if (!window) return 0;
    const Activation activation = c.services.system.ActivateWindow(*window);
    if (activation == Activation::Activated) {
        // The switch reaches the keyboard a moment after the call (the window manager moves the
        // focus): keys typed at once could still go to the window before.
        PreciseDelay(c.services.wait, kActivationSettleMs);
        return 1;
    }
    if (ScriptRun* run = CurrentRun())
        run->StopBecause(activation == Activation::NotResponding
                             ? WindowNotRespondingText(Argument(a, 0), run->Line())
                             : WindowNotActivatedText(Argument(a, 0), run->Line()));
    return 0;
}

std::optional<std::string> CheckWindowArgument(const Arguments& arguments) {
    const std::string_view window = Argument(arguments, 0);
    if (!IsWindowDescription(window)) return std::nullopt;
    Utf8Text problem = ParseWindowDescription(window).problem;
    if (problem.empty()) return std::nullopt;
    return problem;
}

// 等待窗口 waits for a window by its description; a handle names a window that is there already.
std::optional<std::string> CheckAwaitedWindowArgument(const Arguments& arguments) {
    const std::string_view window = Argument(arguments, 0);
    if (!IsWindowDescription(window))
        return "等待窗口的第一个参数要写窗口描述，例如“进程:notepad.exe”或“标题:无标题 - 记事本”。";
    return CheckWindowArgument(arguments);
}

void AddBuiltinCommands(ScriptEngine& engine, const CommandServices& services) {
    // Shared by every handler; services outlives the engine's use of them.
    const auto context = std::make_shared<WordContext>(services);
    AddScriptWords(engine, ScriptWords(), [&context](const ScriptWord& word) -> CommandHandler {
        return [context, action = word.action](const Arguments& arguments) {
            return action(*context, arguments);
        };
    });
}

}  // namespace kavo
