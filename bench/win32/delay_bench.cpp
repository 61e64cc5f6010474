// How exact PreciseDelay is on the real timer and clock, with the fine timer resolution a script
// run holds, and what it costs in processor time. Prints "name: value unit (goal: ...)" lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands/precise_delay.h"
#include "platform/win32/win32_platform.h"

namespace {

// User and kernel time of this process in microseconds. Under Wine the wine server's share of
// each queue poll is not included.
std::uint64_t ProcessCpuMicroseconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10;
    };
    return value(kernel) + value(user);
}

struct Errors {
    double medianMs = 0;
    double maxMs = 0;
    double cpuPerSecond = 0;  // milliseconds of processor time per second of delay
};

// Lateness of each delay of intervalMs over repetitions calls (a delay never ends early).
Errors MeasureErrors(kavo::Win32Platform& platform, int intervalMs, int repetitions) {
    std::vector<double> errors;
    errors.reserve(static_cast<std::size_t>(repetitions));
    const std::uint64_t cpuBefore = ProcessCpuMicroseconds();
    std::uint64_t total = 0;
    for (int i = 0; i < repetitions; ++i) {
        const std::uint64_t start = platform.NowMicroseconds();
        kavo::PreciseDelay(platform, intervalMs);
        const std::uint64_t elapsed = platform.NowMicroseconds() - start;
        total += elapsed;
        errors.push_back(static_cast<double>(elapsed) / 1000.0 - intervalMs);
    }
    const std::uint64_t cpu = ProcessCpuMicroseconds() - cpuBefore;
    std::sort(errors.begin(), errors.end());
    return Errors{errors[errors.size() / 2], errors.back(),
                  static_cast<double>(cpu) / static_cast<double>(total) * 1000.0};
}

}  // namespace

int main() {
    kavo::Win32Platform& platform = kavo::ThePlatform();
    platform.BeginPreciseTiming();  // as every script run does

    // Warm-up: the timer's lateness is learnt over the first delays.
    for (int i = 0; i < 30; ++i) kavo::PreciseDelay(platform, 5);

    const std::uint64_t cpuBefore = ProcessCpuMicroseconds();
    const std::uint64_t start = platform.NowMicroseconds();
    for (int i = 0; i < 1000; ++i) kavo::PreciseDelay(platform, 1);
    const std::uint64_t wall = platform.NowMicroseconds() - start;
    std::printf("delay_1000x1ms_wall: %.3f s (goal: <= 1.01 s)\n", static_cast<double>(wall) / 1e6);
    std::printf("delay_1000x1ms_cpu: %.0f ms per s of delay (goal: report)\n",
                static_cast<double>(ProcessCpuMicroseconds() - cpuBefore) /
                    static_cast<double>(wall) * 1000.0);

    struct Interval {
        int ms;
        int repetitions;
    };
    for (const Interval interval :
         {Interval{1, 300}, Interval{2, 200}, Interval{5, 100}, Interval{10, 60}, Interval{20, 40},
          Interval{50, 20}, Interval{100, 15}}) {
        const Errors errors = MeasureErrors(platform, interval.ms, interval.repetitions);
        std::printf("delay_error_median_%dms: %.3f ms (goal: <= 0.05 ms)\n", interval.ms,
                    errors.medianMs);
        std::printf("delay_error_max_%dms: %.2f ms (goal: <= 2.00 ms)\n", interval.ms,
                    errors.maxMs);
        std::printf("delay_cpu_%dms: %.0f ms per s of delay (goal: report)\n", interval.ms,
                    errors.cpuPerSecond);
    }
    std::printf("delay_timer_margin: %.2f ms (learnt; goal: report)\n",
                kavo::SharedTimerLateness().MarginMicroseconds() / 1000.0);

    platform.EndPreciseTiming();
    std::fflush(stdout);
    return 0;
}
