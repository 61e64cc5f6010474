// What the check for an administrator's foreground window costs each injected key on the real
// platform: 按键 of many keys into a window of this process, with the check (a notice to give)
// and without it (no notice to give), the difference per key event. The foreground stays the
// same, as while a script types, so only the first event asks for its process's level.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/builtin_commands.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "platform/win32/win32_platform.h"
#include "text/encoding.h"

namespace {

constexpr int kKeys = 400;  // each a press and a release
constexpr int kRuns = 5;

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Microseconds to type the keys, the median of kRuns.
double TypingMicroseconds(bool withCheck) {
    using namespace kavo;
    Win32Platform& platform = ThePlatform();
    int notices = 0;
    const CommandServices services{
        platform,
        platform,
        platform,
        nullptr,
        nullptr,
        withCheck ? std::function<void(const Utf8Text&, const Utf8Text&)>(
                        [&notices](const Utf8Text&, const Utf8Text&) { ++notices; })
                  : nullptr};
    ScriptEngine engine;
    AddBuiltinCommands(engine, services);
    const RuntimeText script = Utf8ToGbk("按键(" + std::string(kKeys, 'q') + ",0)");
    RunRegistry runs;
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const ScriptRun scriptRun(runs, platform, platform);
        const std::uint64_t start = platform.NowMicroseconds();
        engine.RunScript(script);
        times.push_back(static_cast<double>(platform.NowMicroseconds() - start));
        Pump();
    }
    if (notices != 0) std::fprintf(stderr, "a window of this process was named\n");
    std::sort(times.begin(), times.end());
    return times[kRuns / 2];
}

}  // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KavoForegroundBench";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"foreground bench",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    Pump();
    if (GetForegroundWindow() != window) std::fprintf(stderr, "the window is not in front\n");

    TypingMicroseconds(true);  // warm-up
    const double without = TypingMicroseconds(false);
    const double with = TypingMicroseconds(true);
    DestroyWindow(window);
    const double perEvent = std::max(0.0, with - without) / (2.0 * kKeys);
    std::fprintf(stderr, "typing %d keys: %.0f us without the check, %.0f us with it\n", kKeys,
                 without, with);
    // Under Wine reading the foreground window is a round trip to the server; on Windows it is
    // far cheaper. Either way it must stay well below what injecting the event itself costs.
    std::printf("key_event_injection: %.2f us (goal: none, the yardstick of the next line)\n",
                without / (2.0 * kKeys));
    std::printf(
        "foreground_check_per_key_event: %.2f us (goal: <= 50 us, under half a key "
        "event's own cost)\n",
        perEvent);
    return 0;
}
