// The only way a script waits: a waitable timer, waking for every message that arrives so the
// waiting thread's windows and the hotkey poll stay alive.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace kavo {

enum class DelayVariant {
    Plain,        // an interval below 1 still goes through the timer, which fires at once
    EarlyReturn,  // an interval below 1 returns at once, creating nothing
};

// Waits intervalMs milliseconds while dispatching the thread's messages. Returns 1.
std::int32_t PreciseDelay(WaitPort& wait, std::int32_t intervalMs,
                          DelayVariant variant = DelayVariant::Plain);

}  // namespace kavo
