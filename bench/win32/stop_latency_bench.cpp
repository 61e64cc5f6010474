// How soon the stop key ends a run: from the stop key's press (injected with SendInput, seen by
// the keyboard watch's hook like a typed key) to the last message the stopped script posted
// reaching its target window, and to the run's end. The script runs on a thread of its own, as
// a hotkey's run does, while this thread owns the target window. Prints "name: value unit
// (goal: ...)" lines.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "commands/builtin_commands.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/keyboard_watch.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/win32_platform.h"
#include "text/encoding.h"

namespace {

kavo::Win32Platform& Platform() {
    return kavo::ThePlatform();
}

// Receipt time (microseconds) of the last key message the target window received.
std::atomic<std::uint64_t> gLastReceipt{0};
std::atomic<int> gReceived{0};

LRESULT CALLBACK TargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_CHAR) {
        gLastReceipt = Platform().NowMicroseconds();
        ++gReceived;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpFor(std::uint64_t microseconds) {
    const std::uint64_t until = Platform().NowMicroseconds() + microseconds;
    while (Platform().NowMicroseconds() < until) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

void PressStopKey() {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = static_cast<WORD>(kavo::kStopKey);
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

struct Sample {
    double toLastMessageMs = 0;
    double toRunEndMs = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    kavo::Win32Platform& platform = Platform();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TargetProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KavoStopLatencyTarget";
    RegisterClassW(&windowClass);
    HWND target = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
    const std::string window = std::to_string(reinterpret_cast<INT_PTR>(target));

    kavo::ScriptEngine engine;
    const kavo::CommandServices services{platform, platform, platform, nullptr};
    kavo::AddBuiltinCommands(engine, services);
    engine.SetHost({.statementGate = kavo::CurrentRunMayGoOn,
                    .runBegin = [&] { platform.BeginPreciseTiming(); },
                    .runEnd = [&] { platform.EndPreciseTiming(); }});

    kavo::RunRegistry registry;
    kavo::Win32KeyboardHook hook;
    kavo::KeyboardWatch watch(hook);
    kavo::KeyboardWatch::Handlers handlers;
    handlers.stopKeyPressed = [&] {
        registry.StopAll();
        return true;
    };
    if (!watch.Start(static_cast<kavo::KeyCode>(kavo::kStopKey), handlers)) {
        std::printf("stop latency: no keyboard hook could be installed\n");
        return 1;
    }

    // What a stop must cut short: posts with no wait between them, posts between long delays,
    // and posts between the keys of a slow typing run (~ is VK_F15, a key nothing answers).
    const struct {
        const char* name;
        std::string script;
    } kinds[] = {
        {"posts in a counted block",
         "计次循环(100000000,1)\n按键消息(" + window + ",65,2)\n计次循环尾(1)"},
        {"posts between 1 s delays",
         "计次循环(1000,1)\n按键消息(" + window + ",65,2)\n延时(1000)\n计次循环尾(1)"},
        {"posts between slow typing",
         "计次循环(1000,1)\n按键消息(" + window + ",65,2)\n按键(~,5000)\n计次循环尾(1)"},
    };
    constexpr int kRepetitions = 15;
    for (const auto& kind : kinds) {
        const kavo::RuntimeText script = kavo::Utf8ToGbk(kind.script);
        std::vector<double> toLast;
        std::vector<double> toEnd;
        for (int i = 0; i < kRepetitions; ++i) {
            std::atomic<std::uint64_t> ended{0};
            std::thread run([&] {
                {
                    kavo::ScriptRun scriptRun(registry, platform, platform);
                    engine.RunScript(script);
                }
                ended = platform.NowMicroseconds();
            });
            // Let the run get going: registered, and some of its messages have arrived.
            while (registry.ActiveRuns() == 0) PumpFor(1000);
            gReceived = 0;
            while (gReceived.load() < 3) PumpFor(1000);
            PumpFor(20000 + static_cast<std::uint64_t>(i) * 7000);  // a different phase each time
            const std::uint64_t pressed = platform.NowMicroseconds();
            PressStopKey();
            while (ended.load() == 0) PumpFor(1000);
            run.join();
            // Anything still on its way arrives: the queue is quiet for 100 ms.
            for (int seen = -1; seen != gReceived.load();) {
                seen = gReceived.load();
                PumpFor(100000);
            }
            const std::uint64_t last = gLastReceipt.load();
            toLast.push_back(last > pressed ? static_cast<double>(last - pressed) / 1000.0 : 0.0);
            toEnd.push_back(static_cast<double>(ended.load() - pressed) / 1000.0);
        }
        std::printf(
            "stop latency, %s: press to last posted message median %.2f ms, max %.2f ms; press "
            "to run end median %.2f ms, max %.2f ms (goal: under 100 ms)\n",
            kind.name, Median(toLast), *std::max_element(toLast.begin(), toLast.end()),
            Median(toEnd), *std::max_element(toEnd.begin(), toEnd.end()));
    }
    watch.Stop();
    return 0;
}
