#include "commands/precise_delay.h"

#include <algorithm>
#include <limits>

#include "commands/script_run.h"

namespace kavo {

namespace {

// A queue poll is a round trip to the window system (tens of microseconds under Wine, more on a
// busy machine): none is started this close to the deadline, and they are spaced out so the
// last stretch mostly yields.
constexpr std::uint64_t kQueuePollReserveMicroseconds = 300;
constexpr std::uint64_t kQueuePollEveryMicroseconds = 250;
// Sleeping on the timer for less than a tick is not worth creating one.
constexpr std::uint64_t kShortestTimerSleepMicroseconds = 1000;

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

// The last stretch: the clock decides, the queue is still served while there is time for it,
// and otherwise the processor goes to whoever else wants it.
void FinishOnClock(WaitPort& wait, std::uint64_t deadline) {
    std::uint64_t nextPoll = 0;
    for (;;) {
        const std::uint64_t now = wait.NowMicroseconds();
        if (now >= deadline || CurrentRunStopped()) return;
        if (now >= nextPoll && deadline - now > kQueuePollReserveMicroseconds) {
            wait.ProcessPendingEvents();
            nextPoll = now + kQueuePollEveryMicroseconds;
        } else {
            wait.YieldToOtherThreads();
        }
    }
}

// Without a working timer the interval is still kept: sleep on the message queue with a
// timeout until `until`, dispatching whatever arrives. A script relies on its delays (a window
// must have appeared, a program must have started), so ending early is not an option. Whole
// milliseconds, rounded down: the clock waits the rest.
void WaitWithoutTimer(WaitPort& wait, std::uint64_t until, WaitPort::WakeHandle wake) {
    for (;;) {
        const std::uint64_t now = wait.NowMicroseconds();
        if (now >= until) return;
        const std::uint64_t remainingMs = (until - now) / 1000u;
        if (remainingMs == 0) return;
        const auto timeout = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(remainingMs, std::numeric_limits<std::int32_t>::max()));
        const WaitPort::WaitResult result = wait.WaitForMessages(timeout, wake);
        if (result == WaitPort::WaitResult::Woken) return;
        // A failed wait cannot sleep; serving the queue and trying again still ends in time.
        if (result != WaitPort::WaitResult::Timer) wait.ProcessPendingEvents();
        if (CurrentRunStopped()) return;
    }
}

// Sleeps on a timer of its own until wakeAt (a little before the delay's deadline), serving
// every message that wakes it, and learns how late the timer woke.
void SleepOnTimer(WaitPort& wait, std::uint64_t wakeAt, TimerLateness& lateness,
                  WaitPort::WakeHandle wake) {
    const WaitPort::TimerHandle timer = wait.CreateDelayTimer();
    const TimerCloser closer(wait, timer);
    const std::uint64_t setAt = wait.NowMicroseconds();
    if (setAt >= wakeAt) return;
    // Negative: relative to the moment the timer is set, in 100-nanosecond units.
    const auto dueTime = -static_cast<std::int64_t>(wakeAt - setAt) * 10;
    if (timer == 0 || !wait.SetDelayTimer(timer, dueTime)) {
        WaitWithoutTimer(wait, wakeAt, wake);
        return;
    }
    for (;;) {
        const std::uint64_t before = wait.NowMicroseconds();
        const WaitPort::WaitResult result = wait.WaitForTimerOrMessages(timer, wake);
        if (result == WaitPort::WaitResult::Woken) return;
        if (result == WaitPort::WaitResult::Timer) {
            // Only a wait that began before the due time tells how late the timer wakes; one
            // that began after it (a long message handler) says nothing about the timer.
            const std::uint64_t woke = wait.NowMicroseconds();
            if (before < wakeAt) lateness.Observe(woke > wakeAt ? woke - wakeAt : 0);
            return;
        }
        if (result == WaitPort::WaitResult::Failed) {
            WaitWithoutTimer(wait, wakeAt, wake);
            return;
        }
        wait.ProcessPendingEvents();
        // What was dispatched may have been the stop (the stop key's message on this thread).
        if (CurrentRunStopped()) return;
    }
}

// An interval below 1: the due time is a point long past, so the timer fires at once and the
// first wait reports it.
void PassThroughTimer(WaitPort& wait, std::int32_t intervalMs) {
    // |interval| * 10000 stays far inside 64 bits for every 32-bit interval, so the truncation
    // is always defined.
    const auto dueTime = static_cast<std::int64_t>(static_cast<double>(intervalMs) * -10000.0);
    const WaitPort::TimerHandle timer = wait.CreateDelayTimer();
    const TimerCloser closer(wait, timer);
    if (timer == 0 || !wait.SetDelayTimer(timer, dueTime)) return;
    for (;;) {
        const WaitPort::WaitResult result = wait.WaitForTimerOrMessages(timer, 0);
        if (result != WaitPort::WaitResult::Messages) return;
        wait.ProcessPendingEvents();
    }
}

// The calling thread's run's wake event; 0 outside a run. Inside a run every wait also listens
// to it, so that a stop from another thread ends the wait at once.
WaitPort::WakeHandle RunWakeEvent() {
    const ScriptRun* run = CurrentRun();
    return run != nullptr ? run->WakeEvent() : 0;
}

}  // namespace

void TimerLateness::Observe(std::uint64_t latenessMicroseconds) {
    const std::uint32_t estimate = estimate_.load(std::memory_order_relaxed);
    const std::uint32_t next =
        latenessMicroseconds > estimate
            ? std::min(estimate + 9 * kStepMicroseconds, kMaxMicroseconds)
            : (estimate > kStepMicroseconds ? estimate - kStepMicroseconds : 0);
    estimate_.store(next, std::memory_order_relaxed);
}

TimerLateness& SharedTimerLateness() {
    static TimerLateness lateness;
    return lateness;
}

std::int32_t PreciseDelay(WaitPort& wait, std::int32_t intervalMs) {
    // A stopped run waits no more: the run ends at its next statement.
    if (CurrentRunStopped()) return 1;
    if (intervalMs < 1) {
        PassThroughTimer(wait, intervalMs);
        return 1;
    }
    const std::uint64_t start = wait.NowMicroseconds();
    const std::uint64_t deadline = start + static_cast<std::uint64_t>(intervalMs) * 1000u;
    TimerLateness& lateness = SharedTimerLateness();
    const std::uint64_t margin = lateness.MarginMicroseconds();
    // Short delays are waited on the clock alone: the timer could not wake in time for them.
    if (deadline - start >= margin + kShortestTimerSleepMicroseconds)
        SleepOnTimer(wait, deadline - margin, lateness, RunWakeEvent());
    FinishOnClock(wait, deadline);
    return 1;
}

}  // namespace kavo
