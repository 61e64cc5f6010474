// How soon a bound key's run starts after the press: a tap of no length at all (down and up in
// one SendInput call, which no 50 ms poll could ever see) goes through the keyboard watch's
// hook, the latch and the monitor on this thread, to the start of the hotkey's thread. Prints
// "name: value unit (goal: ...)" lines.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/key_latch.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/keyboard_watch.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/win32_platform.h"

namespace {

constexpr UINT kPressLatched = WM_APP + 7;
kavo::HotkeyMonitor* gMonitor = nullptr;

LRESULT CALLBACK PollProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPressLatched) {
        gMonitor->PollHotkeys();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    kavo::Win32Platform& platform = kavo::ThePlatform();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PollProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KavoHotkeyPressBench";
    RegisterClassW(&windowClass);
    HWND poller = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);

    kavo::HotkeyMonitor monitor(platform);
    gMonitor = &monitor;
    std::atomic<std::uint64_t> started{0};
    std::atomic<int> runs{0};
    constexpr int kKey = VK_F9;
    monitor.RegisterHotkey(
        [&](std::int32_t) {
            started = platform.NowMicroseconds();
            ++runs;
        },
        kKey, 0);
    kavo::KeyLatch latch;
    kavo::Win32KeyboardHook hook;
    kavo::KeyboardWatch watch(hook);
    kavo::KeyboardWatch::Handlers handlers;
    handlers.latch = &latch;
    handlers.pressLatched = [poller] { PostMessageW(poller, kPressLatched, 0, 0); };
    if (!watch.Start(static_cast<kavo::KeyCode>(kavo::kStopKey), handlers)) {
        std::printf("hotkey press to run: no keyboard hook could be installed\n");
        return 1;
    }
    monitor.UseLatch(latch);

    // The key must go to a window of this thread, as it goes to the program's own windows or
    // to the joined target window: a visible window of its own with the focus.
    HWND focus = CreateWindowExW(0, L"STATIC", L"KavoHotkeyPressBench", WS_OVERLAPPEDWINDOW, 50, 50,
                                 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(focus, SW_SHOW);
    SetForegroundWindow(focus);
    const auto pump = [](DWORD ms) {
        const DWORD until = GetTickCount() + ms;
        while (static_cast<int>(until - GetTickCount()) > 0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    };
    pump(300);

    std::vector<double> latencies;
    int missed = 0;
    constexpr int kPresses = 40;
    for (int i = 0; i < kPresses; ++i) {
        const int before = runs.load();
        INPUT keys[2]{};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = kKey;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        const std::uint64_t pressed = platform.NowMicroseconds();
        SendInput(2, keys, sizeof(INPUT));
        const DWORD deadline = GetTickCount() + 1000;
        while (runs.load() == before && static_cast<int>(deadline - GetTickCount()) > 0) pump(1);
        if (runs.load() == before) {
            ++missed;
            continue;
        }
        latencies.push_back(static_cast<double>(started.load() - pressed) / 1000.0);
        pump(30);  // any second firing of the same press would show in the count
    }
    watch.Stop();
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies.empty() ? 0.0 : latencies[latencies.size() / 2];
    const double worst = latencies.empty() ? 0.0 : latencies.back();
    std::printf(
        "hotkey press to run, a tap of no length: median %.2f ms, max %.2f ms, %d of %d missed, "
        "%d runs for %d presses (goal: median at most 5 ms, none missed, one run per press)\n",
        median, worst, missed, kPresses, runs.load(), kPresses);
    DestroyWindow(focus);
    return 0;
}
