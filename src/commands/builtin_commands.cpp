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
#include "target_window/window_description.h"
#include "text/encoding.h"

namespace kavo {
namespace {

// Command words and button names as scripts spell them, in GBK.
constexpr std::string_view kMessageBoxName = "\xD0\xC5\xCF\xA2\xBF\xF2";            // 信息框
constexpr std::string_view kMouseName = "\xCA\xF3\xB1\xEA";                         // 鼠标
constexpr std::string_view kDelayName = "\xD1\xD3\xCA\xB1";                         // 延时
constexpr std::string_view kMouseMessageName = "\xCA\xF3\xB1\xEA\xCF\xFB\xCF\xA2";  // 鼠标消息
constexpr std::string_view kKeyMessageName = "\xB0\xB4\xBC\xFC\xCF\xFB\xCF\xA2";    // 按键消息
constexpr std::string_view kMouseMoveName = "\xCA\xF3\xB1\xEA\xD2\xC6\xB6\xAF";     // 鼠标移动
constexpr std::string_view kBalloonTipName =
    "\xC6\xF8\xC7\xF2\xCC\xE1\xCA\xBE\xBF\xF2";  // 气球提示框
constexpr std::string_view kCountedLoopName = "\xBC\xC6\xB4\xCE\xD1\xAD\xBB\xB7";  // 计次循环
constexpr std::string_view kTypeKeysName = "\xB0\xB4\xBC\xFC";                     // 按键
constexpr std::string_view kRunName = "\xD4\xCB\xD0\xD0";                          // 运行
constexpr std::string_view kSpecialKeyName = "\xCC\xD8\xCA\xE2\xB0\xB4\xBC\xFC";   // 特殊按键

constexpr std::uint32_t kStartIdleWaitMs = 1000;
// How often 等待窗口 looks for its window.
constexpr std::int32_t kWindowPollMs = 100;
// How long 激活窗口 lets a switch of the foreground window settle.
constexpr std::int32_t kActivationSettleMs = 100;

// What 鼠标 does with each of its words. 左键 and 右键 click, as they always have; the others
// came with recording (the middle button, a drag's press and release, the wheel). Any other
// word does nothing, as before.
struct MouseWord {
    const char* utf8;
    enum class Act { Click, Press, Release, Wheel } act;
    MouseButton button;
    int notches;
};
constexpr MouseWord kMouseWords[] = {
    {"左键", MouseWord::Act::Click, MouseButton::Left, 0},
    {"右键", MouseWord::Act::Click, MouseButton::Right, 0},
    {"中键", MouseWord::Act::Click, MouseButton::Middle, 0},
    {"左键按下", MouseWord::Act::Press, MouseButton::Left, 0},
    {"左键弹起", MouseWord::Act::Release, MouseButton::Left, 0},
    {"右键按下", MouseWord::Act::Press, MouseButton::Right, 0},
    {"右键弹起", MouseWord::Act::Release, MouseButton::Right, 0},
    {"中键按下", MouseWord::Act::Press, MouseButton::Middle, 0},
    {"中键弹起", MouseWord::Act::Release, MouseButton::Middle, 0},
    {"滚轮上", MouseWord::Act::Wheel, MouseButton::Middle, 1},
    {"滚轮下", MouseWord::Act::Wheel, MouseButton::Middle, -1},
};

void DoMouseWord(InputPort& input, const MouseWord& word) {
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

// The script's check of a window argument: a description must be sound.
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

}  // namespace

Utf8Text ElevatedWindowText() {
    return "目标窗口以管理员身份运行，请以管理员身份运行本程序";
}

void AddBuiltinCommands(ScriptEngine& engine, const CommandServices& services) {
    // The handlers keep a reference to services, which outlives the engine's use of them.
    const CommandServices& s = services;
    // Every input action goes through the run-aware layer: it keeps the record of what a run
    // holds and lets nothing new out of a stopped run.
    const auto input = std::make_shared<RunInput>(
        services.input, [&s](ScriptRun& run) { NoticeElevatedForeground(s, run); });

    engine.AddCommand(
        RuntimeText(kMessageBoxName),
        [&s](const Arguments& a) -> std::int32_t {
            // No default caption: an empty title stays empty.
            return s.system.ShowMessageBox(GbkToUtf8(Argument(a, 1)), GbkToUtf8(Argument(a, 0)),
                                           MessageBoxOption::TaskModal);
        },
        2);

    // The words in GBK, made once: the handler compares bytes.
    auto mouseWords = std::make_shared<std::vector<std::pair<RuntimeText, MouseWord>>>();
    for (const MouseWord& word : kMouseWords) mouseWords->emplace_back(Utf8ToGbk(word.utf8), word);
    engine.AddCommand(
        RuntimeText(kMouseName),
        [input, mouseWords](const Arguments& a) -> std::int32_t {
            const std::string_view said = Argument(a, 0);
            for (const auto& [gbk, word] : *mouseWords)
                if (said == gbk) DoMouseWord(*input, word);
            return 0;
        },
        1);

    engine.AddCommand(
        RuntimeText(kDelayName),
        [&s](const Arguments& a) -> std::int32_t { return PreciseDelay(s.wait, Number(a, 0)); }, 1);

    engine.AddCommand(
        RuntimeText(kMouseMessageName),
        [&s, input](const Arguments& a) -> std::int32_t {
            const std::optional<NativeWindow> window = WindowArgument(s, Argument(a, 0));
            if (window)
                PostMouseMessage(*input, *window, Number(a, 1), Number(a, 2), Number(a, 3),
                                 Number(a, 4));
            return 0;
        },
        5);
    engine.SetArgumentCheck(kMouseMessageName, CheckWindowArgument);

    engine.AddCommand(
        RuntimeText(kKeyMessageName),
        [&s, input](const Arguments& a) -> std::int32_t {
            const std::optional<NativeWindow> window = WindowArgument(s, Argument(a, 0));
            if (window) PostKeyMessage(*input, *window, Number(a, 1), Number(a, 2));
            return 0;
        },
        3);
    engine.SetArgumentCheck(kKeyMessageName, CheckWindowArgument);

    engine.AddCommand(
        RuntimeText(kMouseMoveName),
        [&s, input](const Arguments& a) -> std::int32_t {
            GlideCursor(*input, s.wait, Number(a, 0), Number(a, 1));
            return 0;
        },
        2);

    engine.AddCommand(
        RuntimeText(kBalloonTipName),
        [&s, input](const Arguments& a) -> std::int32_t {
            const Point where = input->GetCursorPos();
            if (s.showBalloonTip) s.showBalloonTip(where, GbkToUtf8(Argument(a, 0)));
            return 0;
        },
        1);

    // The executor runs counted blocks itself and never calls this handler.
    engine.AddCommand(
        RuntimeText(kCountedLoopName),
        [](const Arguments& a) -> std::int32_t { return Number(a, 0); }, 2, true);

    engine.AddCommand(
        RuntimeText(kTypeKeysName),
        [&s, input](const Arguments& a) -> std::int32_t {
            TypeKeys(*input, s.wait, Argument(a, 0), Number(a, 1));
            return 0;
        },
        2);

    engine.AddCommand(
        RuntimeText(kRunName),
        [&s](const Arguments& a) -> std::int32_t {
            return s.system.StartProcess(GbkToUtf8(Argument(a, 0)), kStartIdleWaitMs) ? 1 : 0;
        },
        1);

    engine.AddCommand(
        RuntimeText(kSpecialKeyName),
        [&s, input](const Arguments& a) -> std::int32_t {
            PressSpecialKey(*input, s.wait, TextToInteger(Argument(a, 0)));
            return 0;
        },
        1);

    // The words recording brought, after the eleven so that every earlier position stands.
    engine.AddCommand(
        Utf8ToGbk("鼠标定位"),
        [input](const Arguments& a) -> std::int32_t {
            MoveCursor(*input, Number(a, 0), Number(a, 1));
            return 0;
        },
        2);
    engine.AddCommand(
        Utf8ToGbk("按住"),
        [input](const Arguments& a) -> std::int32_t {
            PressKeyAlone(*input, TextToInteger(Argument(a, 0)), KeyDirection::Down);
            return 0;
        },
        1);
    engine.AddCommand(
        Utf8ToGbk("松开"),
        [input](const Arguments& a) -> std::int32_t {
            PressKeyAlone(*input, TextToInteger(Argument(a, 0)), KeyDirection::Up);
            return 0;
        },
        1);

    // Later words, after those: a pause of a random length, waiting for a window to show, and
    // bringing one to the front.
    engine.AddCommand(
        Utf8ToGbk("随机延时"),
        [&s](const Arguments& a) -> std::int32_t {
            return PreciseDelay(s.wait, RandomBetween(Number(a, 0), Number(a, 1)));
        },
        2);
    const RuntimeText awaitWindowName = Utf8ToGbk("等待窗口");
    engine.AddCommand(
        awaitWindowName,
        [&s](const Arguments& a) -> std::int32_t {
            return WaitForWindow(s, Argument(a, 0), Number(a, 1));
        },
        2);
    engine.SetArgumentCheck(awaitWindowName, CheckAwaitedWindowArgument);
    // The keys typed next go to the window in front: a window that cannot be brought there
    // stops the run rather than let them reach another one.
    const RuntimeText activateName = Utf8ToGbk("激活窗口");
    engine.AddCommand(
        activateName,
        [&s](const Arguments& a) -> std::int32_t {
            const std::optional<NativeWindow> window = WindowArgument(s, Argument(a, 0));
            if (!window) return 0;
            if (s.system.ActivateWindow(*window)) {
                // The switch reaches the keyboard a moment after the call (the window manager
                // moves the focus): keys typed at once could still go to the window before.
                PreciseDelay(s.wait, kActivationSettleMs);
                return 1;
            }
            if (ScriptRun* run = CurrentRun())
                run->StopBecause(WindowNotActivatedText(Argument(a, 0), run->Line()));
            return 0;
        },
        1);
    engine.SetArgumentCheck(activateName, CheckWindowArgument);
}

}  // namespace kavo
