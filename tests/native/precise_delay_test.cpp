// The delay against the recording platform: the timer set a margin before the due time, the
// last stretch on the clock, the dispatch of messages while waiting, the learning of the timer's
// lateness, and the fallbacks when no timer can be used.
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

constexpr std::uint64_t kInitialMargin =
    TimerLateness::kInitialMicroseconds + TimerLateness::kSafetyMicroseconds;

// The due time of a timer set at the start of a delay of intervalMs with the initial margin.
std::string EarlyDue(std::int64_t intervalMs) {
    return std::to_string(-(intervalMs * 1000 - static_cast<std::int64_t>(kInitialMargin)) * 10);
}

// The calls without the queue polls of the last stretch, which depend on the clock's steps.
std::vector<std::string> WithoutLastStretch(std::vector<std::string> calls) {
    while (!calls.empty() && calls.back() == "ProcessPendingEvents") calls.pop_back();
    return calls;
}

class PreciseDelayTest : public ::testing::Test {
  protected:
    void SetUp() override { SharedTimerLateness().Reset(); }
    void TearDown() override { SharedTimerLateness().Reset(); }
};

TEST_F(PreciseDelayTest, TheTimerFiresAMarginEarlyAndTheClockEndsTheDelayOnTime) {
    for (const std::int32_t interval : {1000, 100, 3, INT_MAX}) {
        SharedTimerLateness().Reset();
        RecordingPlatform platform;
        platform.yieldMicroseconds = 1;
        platform.nowMicroseconds = 7'000'000;
        EXPECT_EQ(PreciseDelay(platform, interval), 1);
        EXPECT_THAT(WithoutLastStretch(platform.calls),
                    ElementsAre("CreateDelayTimer", "SetDelayTimer(1," + EarlyDue(interval) + ")",
                                "WaitForTimerOrMessages(1)", "CloseTimer(1)"))
            << interval;
        // The timer is closed before the last stretch, which still serves the queue.
        EXPECT_EQ(platform.calls.back(), "ProcessPendingEvents") << interval;
        EXPECT_GT(platform.yields, 0) << interval;
        EXPECT_EQ(platform.nowMicroseconds, 7'000'000 + std::uint64_t{1000} * interval) << interval;
    }
}

TEST_F(PreciseDelayTest, DelaysTooShortForTheTimerAreWaitedOnTheClockServingTheQueue) {
    for (const std::int32_t interval : {1, 2}) {
        RecordingPlatform platform;
        EXPECT_EQ(PreciseDelay(platform, interval), 1);
        EXPECT_THAT(platform.CallsStartingWith({"Create", "Set", "WaitFor", "Close"}), IsEmpty());
        EXPECT_THAT(platform.calls, ::testing::Contains("ProcessPendingEvents")) << interval;
        EXPECT_GE(platform.nowMicroseconds, std::uint64_t{1000} * interval) << interval;
        EXPECT_LT(platform.nowMicroseconds, std::uint64_t{1000} * interval + 10) << interval;
    }
    // The shortest delay that sleeps on the timer.
    RecordingPlatform platform;
    PreciseDelay(platform, 3);
    EXPECT_THAT(platform.CallsStartingWith({"Create"}), ElementsAre("CreateDelayTimer"));
}

TEST_F(PreciseDelayTest, IntervalsBelowOneGoThroughATimerThatFiresAtOnce) {
    struct Case {
        std::int32_t interval;
        std::string due;
    };
    const Case cases[] = {
        {0, "0"},
        {-5, "50000"},  // a point long past
        {INT_MIN, "21474836480000"},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        EXPECT_EQ(PreciseDelay(platform, c.interval), 1);
        EXPECT_THAT(platform.calls,
                    ElementsAre("CreateDelayTimer", "SetDelayTimer(1," + c.due + ")",
                                "WaitForTimerOrMessages(1)", "CloseTimer(1)"))
            << c.interval;
    }
}

TEST_F(PreciseDelayTest, DispatchesMessagesOnEveryWakeBeforeTheTimer) {
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages, WaitResult::Messages, WaitResult::Messages};
    int dispatched = 0;
    platform.onProcessPendingEvents = [&] { ++dispatched; };
    PreciseDelay(platform, 100);
    EXPECT_THAT(WithoutLastStretch(platform.calls),
                ElementsAre("CreateDelayTimer", "SetDelayTimer(1," + EarlyDue(100) + ")",
                            "WaitForTimerOrMessages(1)", "ProcessPendingEvents",
                            "WaitForTimerOrMessages(1)", "ProcessPendingEvents",
                            "WaitForTimerOrMessages(1)", "ProcessPendingEvents",
                            "WaitForTimerOrMessages(1)", "CloseTimer(1)"));
    EXPECT_GT(dispatched, 3);  // and more in the last stretch
}

TEST_F(PreciseDelayTest, ADelayNestedInADispatchedHandlerUsesItsOwnTimer) {
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages};
    bool nestedOnce = false;
    platform.onProcessPendingEvents = [&] {
        if (nestedOnce) return;
        nestedOnce = true;
        PreciseDelay(platform, 5);
    };
    PreciseDelay(platform, 10);
    EXPECT_THAT(platform.CallsStartingWith({"Create", "Set", "WaitFor", "Close"}),
                ElementsAre("CreateDelayTimer", "SetDelayTimer(1," + EarlyDue(10) + ")",
                            "WaitForTimerOrMessages(1)", "CreateDelayTimer",
                            "SetDelayTimer(2," + EarlyDue(5) + ")", "WaitForTimerOrMessages(2)",
                            "CloseTimer(2)", "WaitForTimerOrMessages(1)", "CloseTimer(1)"));
}

TEST_F(PreciseDelayTest, ClosesItsTimerWhenADispatchedHandlerThrows) {
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages};
    platform.onProcessPendingEvents = [] { throw std::runtime_error("handler"); };
    EXPECT_THROW(PreciseDelay(platform, 100), std::runtime_error);
    EXPECT_EQ(platform.calls.back(), "CloseTimer(1)");
}

// --- the timer's lateness is learnt ---

TEST(TimerLateness, RisesFastOnLateWakeUpsFallsSlowlyAndStaysWithinBounds) {
    TimerLateness lateness;
    EXPECT_EQ(lateness.MarginMicroseconds(), kInitialMargin);
    // One slow wake-up (a busy moment) moves the estimate one rise, not to its own lateness.
    lateness.Observe(20'000);
    EXPECT_EQ(lateness.EstimateMicroseconds(), 1450u);
    lateness.Observe(0);
    EXPECT_EQ(lateness.EstimateMicroseconds(), 1400u);
    // A machine that stays slow: capped, so no delay spins for long.
    for (int i = 0; i < 100; ++i) lateness.Observe(50'000);
    EXPECT_EQ(lateness.EstimateMicroseconds(), TimerLateness::kMaxMicroseconds);
    // A fine timer: the margin shrinks to the safety alone.
    for (int i = 0; i < 200; ++i) lateness.Observe(0);
    EXPECT_EQ(lateness.MarginMicroseconds(), TimerLateness::kSafetyMicroseconds);
}

TEST(TimerLateness, SettlesWhereOneWakeUpInTenIsLater) {
    // Lateness 100..1000 in even steps: the 90th percentile is about 900.
    TimerLateness lateness;
    for (int round = 0; round < 200; ++round)
        for (std::uint64_t late = 100; late <= 1000; late += 100) lateness.Observe(late);
    EXPECT_GE(lateness.EstimateMicroseconds(), 700u);
    EXPECT_LE(lateness.EstimateMicroseconds(), 1300u);
    for (int round = 0; round < 200; ++round)
        for (std::uint64_t late = 2100; late <= 3000; late += 100) lateness.Observe(late);
    EXPECT_GE(lateness.EstimateMicroseconds(), 2700u);
    EXPECT_LE(lateness.EstimateMicroseconds(), 3300u);
}

TEST_F(PreciseDelayTest, DelaysLearnHowLateTheTimerWakesAndStillEndOnTime) {
    RecordingPlatform platform;
    platform.yieldMicroseconds = 1;
    platform.timerLatenessMicroseconds = 600;
    for (int i = 0; i < 100; ++i) {
        const std::uint64_t start = platform.nowMicroseconds;
        PreciseDelay(platform, 20);
        ASSERT_EQ(platform.nowMicroseconds - start, 20'000u) << i;
    }
    EXPECT_GE(SharedTimerLateness().EstimateMicroseconds(), 550u);
    EXPECT_LE(SharedTimerLateness().EstimateMicroseconds(), 1050u);
}

TEST_F(PreciseDelayTest, AWaitThatBeganAfterTheDueTimeTeachesNothing) {
    for (const bool longHandler : {false, true}) {
        SharedTimerLateness().Reset();
        RecordingPlatform platform;
        platform.waitResults = {WaitResult::Messages};
        // A handler dispatched during the delay runs past the timer's due time.
        platform.onProcessPendingEvents = [&] {
            if (longHandler) platform.nowMicroseconds += 50'000;
        };
        PreciseDelay(platform, 20);
        if (longHandler)
            EXPECT_EQ(SharedTimerLateness().EstimateMicroseconds(),
                      TimerLateness::kInitialMicroseconds);
        else  // the positive control: a punctual timer lowers the estimate
            EXPECT_LT(SharedTimerLateness().EstimateMicroseconds(),
                      TimerLateness::kInitialMicroseconds);
    }
}

// --- without a usable timer the interval is still kept, messages still dispatched ---

struct FallbackCase {
    const char* what;
    bool failCreation;
    bool failSetting;
    std::vector<WaitResult> waits;
    std::vector<std::string> calls;
};

TEST_F(PreciseDelayTest, WithoutAUsableTimerItWaitsTheIntervalOnTheMessageQueue) {
    // The queue waits cover whole milliseconds up to the margin; the clock does the rest.
    const std::string due = EarlyDue(1000);
    const FallbackCase cases[] = {
        {"no timer", true, false, {}, {"CreateDelayTimer", "WaitForMessages(998)"}},
        {"timer not set",
         false,
         true,
         {},
         {"CreateDelayTimer", "SetDelayTimer(1," + due + ")", "WaitForMessages(998)",
          "CloseTimer(1)"}},
        {"wait failed",
         false,
         false,
         {WaitResult::Failed},
         {"CreateDelayTimer", "SetDelayTimer(1," + due + ")", "WaitForTimerOrMessages(1)",
          "WaitForMessages(998)", "CloseTimer(1)"}},
        {"wait failed after messages",
         false,
         false,
         {WaitResult::Messages, WaitResult::Failed},
         {"CreateDelayTimer", "SetDelayTimer(1," + due + ")", "WaitForTimerOrMessages(1)",
          "ProcessPendingEvents", "WaitForTimerOrMessages(1)", "WaitForMessages(998)",
          "CloseTimer(1)"}},
        // Messages during the fallback: dispatched, then the rest of the interval is waited.
        {"no timer, messages",
         true,
         false,
         {WaitResult::Messages, WaitResult::Messages},
         {"CreateDelayTimer", "WaitForMessages(998)", "ProcessPendingEvents",
          "WaitForMessages(998)", "ProcessPendingEvents", "WaitForMessages(998)"}},
        // A failing queue wait cannot sleep: the queue is served and the wait tried again.
        {"no timer, queue wait failed",
         true,
         false,
         {WaitResult::Failed},
         {"CreateDelayTimer", "WaitForMessages(998)", "ProcessPendingEvents",
          "WaitForMessages(998)"}},
    };
    for (const FallbackCase& c : cases) {
        RecordingPlatform platform;
        platform.yieldMicroseconds = 1;
        platform.nowMicroseconds = 5'000'000;
        platform.failTimerCreation = c.failCreation;
        platform.failTimerSetting = c.failSetting;
        platform.waitResults.assign(c.waits.begin(), c.waits.end());
        EXPECT_EQ(PreciseDelay(platform, 1000), 1);
        EXPECT_EQ(WithoutLastStretch(platform.calls), c.calls) << c.what;
        EXPECT_EQ(platform.nowMicroseconds, 6'000'000u) << c.what;  // the whole interval
        EXPECT_TRUE(platform.waitResults.empty()) << c.what;
    }
}

TEST_F(PreciseDelayTest, TheFallbackCountsFromTheStartOfTheCall) {
    // Time already spent on the failed timer wait is not waited again.
    RecordingPlatform platform;
    platform.waitResults = {WaitResult::Messages, WaitResult::Failed};
    bool first = true;
    platform.onProcessPendingEvents = [&] {
        if (first) platform.nowMicroseconds += 400'000;
        first = false;
    };
    PreciseDelay(platform, 1000);
    EXPECT_THAT(platform.CallsStartingWith({"WaitForMessages"}),
                ElementsAre("WaitForMessages(598)"));
    EXPECT_GE(platform.nowMicroseconds, 1'000'000u);
}

TEST_F(PreciseDelayTest, WithoutATimerIntervalsBelowOneEndAtOnce) {
    for (const std::int32_t interval : {0, -1, INT_MIN}) {
        RecordingPlatform platform;
        platform.failTimerCreation = true;
        PreciseDelay(platform, interval);
        EXPECT_THAT(platform.calls, ElementsAre("CreateDelayTimer")) << interval;
    }
}

TEST_F(PreciseDelayTest, TheLongestIntervalFallsBackWithoutOverflow) {
    RecordingPlatform platform;
    platform.failTimerCreation = true;
    PreciseDelay(platform, INT_MAX);
    EXPECT_THAT(WithoutLastStretch(platform.calls),
                ElementsAre("CreateDelayTimer", "WaitForMessages(2147483645)"));
    EXPECT_EQ(platform.nowMicroseconds, std::uint64_t{INT_MAX} * 1000);
}

}  // namespace
}  // namespace kavo
