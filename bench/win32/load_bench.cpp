// Under load: fifty presses of a bound key, each starting a run that holds a key down and then
// waits two seconds, all going at once; then one press of the stop key. Reports whether every
// press started a run, how soon the stop ended them all, whether any key stayed held, and the
// process's threads and memory before and after. Prints "name: value unit (goal: ...)" lines.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/builtin_commands.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/key_latch.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/keyboard_watch.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/encoding.h"

namespace {

kavo::Win32Platform& Platform() {
    return kavo::ThePlatform();
}

constexpr int kPresses = 50;
constexpr WORD kBoundKey = VK_F8;
// Held by every run until it ends: a key nothing answers (F14).
constexpr WORD kHeldKey = VK_F14;

void Press(WORD key) {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

void PumpFor(std::uint64_t microseconds) {
    const std::uint64_t until = Platform().NowMicroseconds() + microseconds;
    while (Platform().NowMicroseconds() < until) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

int ThreadsOfThisProcess() {
    const kavo::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    return count;
}

// The process's own memory: its committed private bytes (the page file's share), or, where the
// system does not count those, its working set.
double MemoryMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    const SIZE_T bytes =
        counters.PagefileUsage != 0 ? counters.PagefileUsage : counters.WorkingSetSize;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

int main() {
    kavo::Win32Platform& platform = Platform();
    // A window of this thread has the focus, so that the bound key counts as typed here.
    HWND focus = CreateWindowExW(0, L"STATIC", L"load bench", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(focus);
    SetFocus(focus);
    PumpFor(200000);

    kavo::ScriptEngine engine;
    const kavo::CommandServices services{platform, platform, platform, nullptr};
    kavo::AddBuiltinCommands(engine, services);
    engine.SetHost({.statementGate = kavo::CurrentRunMayGoOn,
                    .runBegin = [&] { platform.BeginPreciseTiming(); },
                    .runEnd = [&] { platform.EndPreciseTiming(); }});
    kavo::RunRegistry registry;
    std::atomic<int> started{0};
    std::atomic<int> ended{0};
    std::atomic<std::uint64_t> lastEnd{0};
    // Each run presses the held key through the run's record (so the run must let it go), then
    // waits two seconds.
    const kavo::RuntimeText holdAndWait = kavo::Utf8ToGbk("延时(2000)");
    kavo::HotkeyMonitor monitor(platform);
    kavo::KeyLatch latch;
    monitor.RegisterHotkey(
        [&](std::int32_t) {
            {
                kavo::ScriptRun run(registry, platform, platform);
                ++started;
                run.NotePressed({.way = kavo::HeldInput::Way::VirtualKey, .key = kHeldKey});
                platform.KeybdEvent(static_cast<kavo::KeyCode>(kHeldKey), kavo::KeyDirection::Down);
                engine.RunScript(holdAndWait);
            }
            lastEnd = platform.NowMicroseconds();
            ++ended;
        },
        kBoundKey, 0);
    kavo::Win32KeyboardHook hook;
    kavo::KeyboardWatch watch(hook);
    kavo::KeyboardWatch::Handlers handlers;
    handlers.latch = &latch;
    handlers.pressLatched = [&] { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); };
    handlers.stopKeyPressed = [&] { return registry.StopAll() > 0; };
    if (!watch.Start(static_cast<kavo::KeyCode>(kavo::kStopKey), handlers)) {
        std::printf("load: no keyboard hook could be installed\n");
        return 1;
    }
    monitor.UseLatch(latch);

    // One round: presses of the bound key, each starting a run, then the stop key.
    struct Round {
        int started = 0;
        double stopMs = 0;
        bool held = false;
    };
    const auto round = [&](int presses) {
        started = 0;
        ended = 0;
        for (int i = 0; i < presses; ++i) {
            Press(kBoundKey);
            // Fast presses, each seen: the monitor takes the latched presses as they come.
            for (int k = 0; k < 5; ++k) {
                PumpFor(2000);
                monitor.PollHotkeys();
            }
        }
        const std::uint64_t deadline = platform.NowMicroseconds() + 1500000;
        while (started.load() < presses && platform.NowMicroseconds() < deadline) {
            PumpFor(5000);
            monitor.PollHotkeys();
        }
        Round result;
        result.started = started.load();
        const std::uint64_t pressed = platform.NowMicroseconds();
        Press(static_cast<WORD>(kavo::kStopKey));
        while (ended.load() < started.load() && platform.NowMicroseconds() < pressed + 5000000)
            PumpFor(1000);
        result.stopMs = static_cast<double>(lastEnd.load() - pressed) / 1000.0;
        PumpFor(500000);  // the run threads finish ending
        result.held = (GetAsyncKeyState(kHeldKey) & 0x8000) != 0;
        return result;
    };

    // A first small round makes what the process makes once (the precise timer, the first
    // threads' bookkeeping); then the process is measured at rest, before and after the load.
    round(5);
    PumpFor(300000);
    const int threadsBefore = ThreadsOfThisProcess();
    const double memoryBefore = MemoryMegabytes();
    // Four rounds: the first grows the heap to what fifty runs at once take, the others must
    // not grow it further (a leak would).
    std::vector<Round> rounds;
    std::vector<double> memory;
    for (int r = 0; r < 4; ++r) {
        rounds.push_back(round(kPresses));
        memory.push_back(MemoryMegabytes());
    }
    const int threadsAfter = ThreadsOfThisProcess();
    for (const Round& r : rounds) {
        std::printf("load_runs_started: %d of %d presses (goal: all)\n", r.started, kPresses);
        std::printf("load_stop_all_ms: %.1f ms for %d runs (goal: under 100 ms)\n", r.stopMs,
                    r.started);
        std::printf("load_key_held_after_stop: %s (goal: no)\n", r.held ? "yes" : "no");
    }
    std::printf("load_threads: %d before, %d after four rounds (goal: back where they were)\n",
                threadsBefore, threadsAfter);
    std::printf(
        "load_memory: %.2f MB before, after each round %.2f, %.2f, %.2f, %.2f MB; %+.1f %% "
        "(goal: within 10 %%; no growth after the first round)\n",
        memoryBefore, memory[0], memory[1], memory[2], memory[3],
        (memory[3] / memoryBefore - 1.0) * 100.0);
    watch.Stop();
    DestroyWindow(focus);
    return 0;
}
