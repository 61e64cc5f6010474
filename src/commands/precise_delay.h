// The only way a script waits. It sleeps on a waitable timer, waking for every message that
// arrives so the waiting thread's windows and the hotkey poll stay alive. A timer wakes up to a
// tick late, so it is set to fire a little before the due time and the last stretch is waited
// on the high-resolution clock, still serving the queue.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

namespace kavo {

// Waits intervalMs milliseconds while dispatching the thread's messages. An interval below 1
// still goes through the timer, which fires at once: the queue is served once. Returns 1.
std::int32_t PreciseDelay(WaitPort& wait, std::int32_t intervalMs);

// How late the delay timer wakes after its due time, learnt from the delays themselves: an
// estimate of about the 90th percentile of the lateness, so that the timer is set early enough
// for most wake-ups and the clock (which costs processor time) waits as little as it can. One
// estimate serves every thread; a race between two updates only loses one step.
class TimerLateness {
  public:
    static constexpr std::uint32_t kInitialMicroseconds = 1000;  // one tick at 1 ms resolution
    // A run of slow wake-ups (a busy machine) must not make every delay spin for long.
    static constexpr std::uint32_t kMaxMicroseconds = 4000;
    // Rises by 9 steps on a later wake-up, falls by one on an earlier one: it settles where one
    // wake-up in ten is later than the estimate.
    static constexpr std::uint32_t kStepMicroseconds = 50;
    // Beyond the lateness: the wake-up's own scheduling and the dispatch of what queued up.
    static constexpr std::uint32_t kSafetyMicroseconds = 200;

    // How long before the due time the timer should fire.
    std::uint32_t MarginMicroseconds() const {
        return estimate_.load(std::memory_order_relaxed) + kSafetyMicroseconds;
    }
    std::uint32_t EstimateMicroseconds() const { return estimate_.load(std::memory_order_relaxed); }
    void Observe(std::uint64_t latenessMicroseconds);
    void Reset() { estimate_.store(kInitialMicroseconds, std::memory_order_relaxed); }

  private:
    std::atomic<std::uint32_t> estimate_{kInitialMicroseconds};
};

// The estimate PreciseDelay uses.
TimerLateness& SharedTimerLateness();

}  // namespace kavo
