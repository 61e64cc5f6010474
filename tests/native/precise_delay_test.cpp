// The waitable-timer delay against the recording platform: the exact seam calls, the dispatch of
// messages while waiting, and the fallbacks when no timer can be used.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/precise_delay.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using WaitResult = WaitPort::WaitResult;

TEST(PreciseDelay, SetsTheDueTimeInHundredNanosecondUnitsAndWaitsForTheTimer) {
    struct Case {
        std::int32_t interval;
        std::string due;
    };
    const Case cases[] = {
        {1000, "-10000000"},
        {1, "-10000"},
        {100, "-1000000"},
        {0, "0"},       // fires at once
        {-5, "50000"},  // a point long past: fires at once
        {INT_MAX, "-21474836470000"},
        {INT_MIN, "21474836480000"},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        EXPECT_EQ(PreciseDelay(platform, c.interval), 1);
        EXPECT_THAT(platform.calls,
                    ElementsAre("CreateWaitableTimer", "SetWaitableTimer(1," + c.due + ")",
                                "MsgWait(1)", "CloseTimer(1)"))
            << c.interval;
    }
}

TEST(PreciseDelay, DispatchesMessagesOnEveryWakeBeforeTheTimer) {
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages, WaitResult::Messages, WaitResult::Messages};
    int dispatched = 0;
    platform.onProcessPendingEvents = [&] { ++dispatched; };
    PreciseDelay(platform, 100);
    EXPECT_THAT(platform.calls,
                ElementsAre("CreateWaitableTimer", "SetWaitableTimer(1,-1000000)", "MsgWait(1)",
                            "ProcessPendingEvents", "MsgWait(1)", "ProcessPendingEvents",
                            "MsgWait(1)", "ProcessPendingEvents", "MsgWait(1)", "CloseTimer(1)"));
    EXPECT_EQ(dispatched, 3);
}

TEST(PreciseDelay, ADelayNestedInADispatchedHandlerUsesItsOwnTimer) {
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages};
    bool nestedOnce = false;
    platform.onProcessPendingEvents = [&] {
        if (nestedOnce) return;
        nestedOnce = true;
        PreciseDelay(platform, 5);
    };
    PreciseDelay(platform, 10);
    EXPECT_THAT(
        platform.calls,
        ElementsAre("CreateWaitableTimer", "SetWaitableTimer(1,-100000)", "MsgWait(1)",
                    "ProcessPendingEvents", "CreateWaitableTimer", "SetWaitableTimer(2,-50000)",
                    "MsgWait(2)", "CloseTimer(2)", "MsgWait(1)", "CloseTimer(1)"));
}

TEST(PreciseDelay, TheEarlyReturnVariantCreatesNothingBelowOneMillisecond) {
    for (const std::int32_t interval : {0, -1, -1000, INT_MIN}) {
        RecordingPlatform platform;
        EXPECT_EQ(PreciseDelay(platform, interval, DelayVariant::EarlyReturn), 1);
        EXPECT_THAT(platform.calls, IsEmpty()) << interval;
    }
    RecordingPlatform platform;
    PreciseDelay(platform, 1, DelayVariant::EarlyReturn);
    EXPECT_THAT(platform.calls, ElementsAre("CreateWaitableTimer", "SetWaitableTimer(1,-10000)",
                                            "MsgWait(1)", "CloseTimer(1)"));
    platform.ClearCalls();
    PreciseDelay(platform, 50, DelayVariant::EarlyReturn);
    EXPECT_THAT(platform.calls, ElementsAre("CreateWaitableTimer", "SetWaitableTimer(2,-500000)",
                                            "MsgWait(2)", "CloseTimer(2)"));
}

TEST(PreciseDelay, ClosesItsTimerWhenADispatchedHandlerThrows) {
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages};
    platform.onProcessPendingEvents = [] { throw std::runtime_error("handler"); };
    EXPECT_THROW(PreciseDelay(platform, 100), std::runtime_error);
    EXPECT_EQ(platform.calls.back(), "CloseTimer(1)");
}

// --- without a usable timer the interval is still kept, messages still dispatched ---

struct FallbackCase {
    const char* what;
    bool failCreation;
    bool failSetting;
    std::vector<WaitResult> waits;
    std::vector<std::string> calls;
};

TEST(PreciseDelay, WithoutAUsableTimerItWaitsTheIntervalOnTheMessageQueue) {
    const FallbackCase cases[] = {
        {"no timer", true, false, {}, {"CreateWaitableTimer", "MsgWaitTimeout(1000)"}},
        {"timer not set",
         false,
         true,
         {},
         {"CreateWaitableTimer", "SetWaitableTimer(1,-10000000)", "MsgWaitTimeout(1000)",
          "CloseTimer(1)"}},
        {"wait failed",
         false,
         false,
         {WaitResult::Failed},
         {"CreateWaitableTimer", "SetWaitableTimer(1,-10000000)", "MsgWait(1)",
          "MsgWaitTimeout(1000)", "CloseTimer(1)"}},
        {"wait failed after messages",
         false,
         false,
         {WaitResult::Messages, WaitResult::Failed},
         {"CreateWaitableTimer", "SetWaitableTimer(1,-10000000)", "MsgWait(1)",
          "ProcessPendingEvents", "MsgWait(1)", "MsgWaitTimeout(1000)", "CloseTimer(1)"}},
        // Messages during the fallback: dispatched, then the rest of the interval (rounded up
        // to whole milliseconds) is waited.
        {"no timer, messages",
         true,
         false,
         {WaitResult::Messages, WaitResult::Messages},
         {"CreateWaitableTimer", "MsgWaitTimeout(1000)", "ProcessPendingEvents",
          "MsgWaitTimeout(1000)", "ProcessPendingEvents", "MsgWaitTimeout(1000)"}},
        // A failing queue wait cannot sleep: the queue is served and the wait tried again.
        {"no timer, queue wait failed",
         true,
         false,
         {WaitResult::Failed},
         {"CreateWaitableTimer", "MsgWaitTimeout(1000)", "ProcessPendingEvents",
          "MsgWaitTimeout(1000)"}},
    };
    for (const FallbackCase& c : cases) {
        RecordingPlatform platform;
        platform.nowMicroseconds = 5'000'000;
        platform.failTimerCreation = c.failCreation;
        platform.failTimerSetting = c.failSetting;
        platform.waitResults.assign(c.waits.begin(), c.waits.end());
        EXPECT_EQ(PreciseDelay(platform, 1000), 1);
        EXPECT_EQ(platform.calls, c.calls) << c.what;
        EXPECT_GE(platform.nowMicroseconds, 6'000'000u) << c.what;  // the whole interval
        EXPECT_TRUE(platform.waitResults.empty()) << c.what;
    }
}

TEST(PreciseDelay, TheFallbackCountsFromTheStartOfTheCall) {
    // Time already spent on the failed timer wait is not waited again.
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages, WaitResult::Failed};
    platform.onProcessPendingEvents = [&] { platform.nowMicroseconds += 400'000; };
    PreciseDelay(platform, 1000);
    EXPECT_THAT(platform.CallsStartingWith({"MsgWaitTimeout"}), ElementsAre("MsgWaitTimeout(600)"));
}

TEST(PreciseDelay, TheFallbackEndsAtOnceForIntervalsBelowOne) {
    for (const std::int32_t interval : {0, -1, INT_MIN}) {
        RecordingPlatform platform;
        platform.failTimerCreation = true;
        PreciseDelay(platform, interval);
        EXPECT_THAT(platform.calls, ElementsAre("CreateWaitableTimer")) << interval;
    }
}

TEST(PreciseDelay, TheLongestIntervalFallsBackWithoutOverflow) {
    RecordingPlatform platform;
    platform.failTimerCreation = true;
    PreciseDelay(platform, INT_MAX);
    EXPECT_THAT(platform.calls, ElementsAre("CreateWaitableTimer", "MsgWaitTimeout(2147483647)"));
    EXPECT_EQ(platform.nowMicroseconds, std::uint64_t{INT_MAX} * 1000);
}

}  // namespace
}  // namespace kavo
