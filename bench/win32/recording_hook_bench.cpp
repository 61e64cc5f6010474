// What the recording's mouse hook costs each event: the sink's part (the session keeping it)
// and, for buttons and the wheel, the check whether the point lies on one of the program's own
// windows, the one call there that asks the window system. Events are injected with SendInput
// (unmarked, so they count as the user's). Prints "name: value unit (goal: ...)" lines.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "recording/mouse_hook_win32.h"
#include "recording/recording_session.h"

namespace {

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

void Pump(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    while (static_cast<int>(until - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

}  // namespace

int main() {
    kavo::Win32Platform& platform = kavo::ThePlatform();
    kavo::RecordingSession session(VK_F12);
    kavo::RecordingSettings settings;
    session.Begin(settings, GetTickCount());
    std::mutex mutex;
    std::vector<double> moves;
    std::vector<double> buttons;
    kavo::Win32MouseHook hook;
    const bool installed = hook.Install([&](const kavo::RecordedEvent& event) {
        const std::uint64_t start = platform.NowMicroseconds();
        if (event.kind != kavo::RecordedKind::Move)
            (void)kavo::PointOnOwnWindow({event.point.x, event.point.y});
        session.HearMouse(event);
        const double micros = static_cast<double>(platform.NowMicroseconds() - start);
        const std::lock_guard lock(mutex);
        (event.kind == kavo::RecordedKind::Move ? moves : buttons).push_back(micros);
    });
    if (!installed) {
        std::printf("recording hook: the mouse hook could not be installed\n");
        return 1;
    }
    Pump(200);
    // Moves over an empty part of the screen, and every twentieth a wheel notch there (a click
    // would act on whatever lies under it).
    for (int i = 0; i < 2000; ++i) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = 1000 + (i % 200);
        input.mi.dy = 900 + (i % 50);
        input.mi.dx = input.mi.dx * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = input.mi.dy * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        if (i % 20 == 0) {
            input.mi.dwFlags |= MOUSEEVENTF_WHEEL;
            input.mi.mouseData = 0;  // a zero notch: heard, and scrolls nothing
        }
        SendInput(1, &input, sizeof input);
        if (i % 50 == 0) Pump(2);
    }
    Pump(500);
    hook.Remove();
    const std::lock_guard lock(mutex);
    std::printf(
        "recording hook, move: %zu events, p50 %.1f us, p99 %.1f us (goal: p99 <= 1000 us)\n",
        moves.size(), Percentile(moves, 0.5), Percentile(moves, 0.99));
    std::printf(
        "recording hook, wheel with the own-window check: %zu events, p50 %.1f us, "
        "p99 %.1f us (goal: p99 <= 1000 us)\n",
        buttons.size(), Percentile(buttons, 0.5), Percentile(buttons, 0.99));
    return moves.empty() ? 1 : 0;
}
