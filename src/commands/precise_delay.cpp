#include "commands/precise_delay.h"

#include <algorithm>
#include <limits>

namespace kavo {

namespace {

// Closes the delay's timer however the call ends (a dispatched handler may throw).
class TimerCloser {
  public:
    TimerCloser(WaitPort& wait, WaitPort::TimerHandle timer) : wait_(wait), timer_(timer) {}
    ~TimerCloser() {
        if (timer_ != 0) wait_.CloseTimer(timer_);
    }
    TimerCloser(const TimerCloser&) = delete;
    TimerCloser& operator=(const TimerCloser&) = delete;

  private:
    WaitPort& wait_;
    WaitPort::TimerHandle timer_;
};

// Without a working timer the interval is still kept: sleep on the message queue with a
// timeout until the deadline, dispatching whatever arrives. A script relies on its delays (a
// window must have appeared, a program must have started), so ending early is not an option.
void WaitWithoutTimer(WaitPort& wait, std::uint64_t startMicroseconds, std::int32_t intervalMs) {
    if (intervalMs < 1) return;
    const std::uint64_t deadline =
        startMicroseconds + static_cast<std::uint64_t>(intervalMs) * 1000u;
    for (;;) {
        const std::uint64_t now = wait.NowMicroseconds();
        if (now >= deadline) return;
        // Rounded up, so the last wait does not end a fraction of a millisecond early and spin.
        const std::uint64_t remainingMs = (deadline - now + 999u) / 1000u;
        const auto timeout = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(remainingMs, std::numeric_limits<std::int32_t>::max()));
        // A failed wait cannot sleep; serving the queue and trying again still ends at the
        // deadline.
        if (wait.WaitForMessages(timeout) != WaitPort::WaitResult::Timer)
            wait.ProcessPendingEvents();
    }
}

}  // namespace

std::int32_t PreciseDelay(WaitPort& wait, std::int32_t intervalMs, DelayVariant variant) {
    if (variant == DelayVariant::EarlyReturn && intervalMs < 1) return 1;
    // Negative: relative to the moment the timer is set. |interval| * 10000 stays far inside
    // 64 bits for every 32-bit interval, so the truncation is always defined.
    const auto dueTime = static_cast<std::int64_t>(static_cast<double>(intervalMs) * -10000.0);
    const std::uint64_t start = wait.NowMicroseconds();

    const WaitPort::TimerHandle timer = wait.CreateDelayTimer();
    const TimerCloser closer(wait, timer);
    if (timer == 0 || !wait.SetDelayTimer(timer, dueTime)) {
        WaitWithoutTimer(wait, start, intervalMs);
        return 1;
    }
    for (;;) {
        const WaitPort::WaitResult result = wait.WaitForTimerOrMessages(timer);
        if (result == WaitPort::WaitResult::Timer) break;
        if (result == WaitPort::WaitResult::Failed) {
            WaitWithoutTimer(wait, start, intervalMs);
            break;
        }
        wait.ProcessPendingEvents();
    }
    return 1;
}

}  // namespace kavo
