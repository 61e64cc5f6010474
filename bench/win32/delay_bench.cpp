// How exact PreciseDelay is on the real waitable timer, with the fine timer resolution a script
// run holds. Prints "name: value unit (goal: ...)" lines.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands/precise_delay.h"
#include "platform/win32/win32_platform.h"

namespace {

double Seconds(std::uint64_t microseconds) {
    return static_cast<double>(microseconds) / 1e6;
}

struct Errors {
    double medianMs = 0;
    double maxMs = 0;
};

// Lateness of each delay of intervalMs over repetitions calls (a delay never ends early).
Errors MeasureErrors(kavo::Win32Platform& platform, int intervalMs, int repetitions) {
    std::vector<double> errors;
    errors.reserve(static_cast<std::size_t>(repetitions));
    for (int i = 0; i < repetitions; ++i) {
        const std::uint64_t start = platform.NowMicroseconds();
        kavo::PreciseDelay(platform, intervalMs);
        const std::uint64_t elapsed = platform.NowMicroseconds() - start;
        errors.push_back(static_cast<double>(elapsed) / 1000.0 - intervalMs);
    }
    std::sort(errors.begin(), errors.end());
    return Errors{errors[errors.size() / 2], errors.back()};
}

}  // namespace

int main() {
    kavo::Win32Platform& platform = kavo::ThePlatform();
    platform.BeginPreciseTiming();  // as every script run does

    const std::uint64_t start = platform.NowMicroseconds();
    for (int i = 0; i < 1000; ++i) kavo::PreciseDelay(platform, 1);
    std::printf("delay_1000x1ms_wall: %.2f s (goal: <= 1.10 s)\n",
                Seconds(platform.NowMicroseconds() - start));

    struct Interval {
        int ms;
        int repetitions;
    };
    for (const Interval interval : {Interval{1, 200}, Interval{5, 100}, Interval{10, 60},
                                    Interval{50, 20}, Interval{100, 12}}) {
        const Errors errors = MeasureErrors(platform, interval.ms, interval.repetitions);
        std::printf("delay_error_median_%dms: %.2f ms (goal: <= 0.50 ms)\n", interval.ms,
                    errors.medianMs);
        std::printf("delay_error_max_%dms: %.2f ms (goal: <= 2.00 ms)\n", interval.ms,
                    errors.maxMs);
    }

    platform.EndPreciseTiming();
    std::fflush(stdout);
    return 0;
}
