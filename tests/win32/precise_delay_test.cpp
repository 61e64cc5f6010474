// The delay on the real waitable timer and clock: messages of the waiting thread are dispatched
// while it waits, whether it sleeps on the timer or finishes on the clock; no delay ends early;
// intervals below 1 end after a single wait (or without a timer at all).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <climits>
#include <thread>

#include "commands/precise_delay.h"
#include "platform/win32/win32_platform.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

// Forwards to the real platform and counts what the delay asks of it.
class CountingWait : public WaitPort {
  public:
    explicit CountingWait(WaitPort& real) : real_(real) {}

    int created = 0;
    int closed = 0;
    int timerWaits = 0;
    int timerResults = 0;
    int dispatches = 0;
    // Runs once, just before the first wait on the timer.
    std::function<void()> beforeFirstWait;

    TimerHandle CreateDelayTimer() override {
        ++created;
        return real_.CreateDelayTimer();
    }
    bool SetDelayTimer(TimerHandle timer, std::int64_t dueTime) override {
        return real_.SetDelayTimer(timer, dueTime);
    }
    WaitResult WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) override {
        if (timerWaits++ == 0 && beforeFirstWait) beforeFirstWait();
        const WaitResult result = real_.WaitForTimerOrMessages(timer, wake);
        if (result == WaitResult::Timer) ++timerResults;
        return result;
    }
    WaitResult WaitForMessages(std::uint32_t timeoutMs, WakeHandle wake) override {
        return real_.WaitForMessages(timeoutMs, wake);
    }
    void CloseTimer(TimerHandle timer) override {
        ++closed;
        real_.CloseTimer(timer);
    }
    void ProcessPendingEvents() override {
        ++dispatches;
        real_.ProcessPendingEvents();
    }
    std::uint64_t NowMicroseconds() override { return real_.NowMicroseconds(); }
    void YieldToOtherThreads() override { real_.YieldToOtherThreads(); }
    void BeginPreciseTiming() override { real_.BeginPreciseTiming(); }
    void EndPreciseTiming() override { real_.EndPreciseTiming(); }
    WakeHandle CreateWakeEvent() override { return real_.CreateWakeEvent(); }
    void SignalWakeEvent(WakeHandle wake) override { real_.SignalWakeEvent(wake); }
    void CloseWakeEvent(WakeHandle wake) override { real_.CloseWakeEvent(wake); }

  private:
    WaitPort& real_;
};

constexpr UINT kPosted = WM_APP + 1;
constexpr UINT kSent = WM_APP + 2;

// A message-only window of the calling thread that counts what reaches its procedure.
class CountingWindow {
  public:
    CountingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &CountingWindow::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KavoDelayTestWindow";
        RegisterClassW(&windowClass);  // a second registration fails harmlessly
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CountingWindow() { DestroyWindow(window_); }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND Window() const { return window_; }
    std::atomic<int> posted{0};
    std::atomic<int> sent{0};
    std::atomic<WPARAM> lastParameter{0};

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && (message == kPosted || message == kSent)) {
            (message == kPosted ? self->posted : self->sent)++;
            self->lastParameter = wParam;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

TEST(PreciseDelayWin32, AMessageWaitingInTheQueueIsDispatchedDuringTheDelay) {
    // 2 ms is waited on the clock alone, 30 ms mostly on the timer.
    for (const std::int32_t interval : {2, 30}) {
        CountingWindow target;
        ASSERT_NE(target.Window(), nullptr);
        CountingWait wait(ThePlatform());
        ASSERT_TRUE(PostMessageW(target.Window(), kPosted, 7, 0));
        EXPECT_EQ(target.posted.load(), 0);  // nothing has served the queue yet
        EXPECT_EQ(PreciseDelay(wait, interval), 1);
        EXPECT_EQ(target.posted.load(), 1) << interval;
        EXPECT_EQ(target.lastParameter.load(), 7u) << interval;
        EXPECT_GE(wait.dispatches, 1) << interval;
        const int timers = interval == 2 ? 0 : 1;
        EXPECT_EQ(wait.timerResults, timers) << interval;
        EXPECT_EQ(wait.created, timers) << interval;
        EXPECT_EQ(wait.closed, timers) << interval;
    }
}

TEST(PreciseDelayWin32, NoDelayEndsBeforeItsInterval) {
    // A script relies on its delays: a window must have appeared, a program must have started.
    CountingWait wait(ThePlatform());
    wait.BeginPreciseTiming();
    for (const std::int32_t interval : {1, 2, 3, 5, 20}) {
        for (int repetition = 0; repetition < 5; ++repetition) {
            const std::uint64_t start = wait.NowMicroseconds();
            PreciseDelay(wait, interval);
            const std::uint64_t elapsed = wait.NowMicroseconds() - start;
            EXPECT_GE(elapsed, std::uint64_t{1000} * interval) << interval;
        }
    }
    wait.EndPreciseTiming();
    EXPECT_GT(wait.timerResults, 0);  // the longer ones slept on the timer
}

TEST(PreciseDelayWin32, MessagesFromAnotherThreadAreServedWhileWaiting) {
    CountingWindow target;
    ASSERT_NE(target.Window(), nullptr);
    CountingWait wait(ThePlatform());
    HANDLE waiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(waiting, nullptr);
    wait.beforeFirstWait = [waiting] { SetEvent(waiting); };
    const HWND window = target.Window();
    std::thread other([waiting, window] {
        if (WaitForSingleObject(waiting, 20000) != WAIT_OBJECT_0) return;
        for (WPARAM i = 1; i <= 3; ++i) PostMessageW(window, kPosted, i, 0);
        // A sent message blocks this thread until the waiting thread handles it.
        SendMessageW(window, kSent, 99, 0);
    });
    // Long enough that the other thread is done well before the timer fires.
    PreciseDelay(wait, 2000);
    const int postedDuringDelay = target.posted.load();
    const int sentDuringDelay = target.sent.load();
    other.join();
    CloseHandle(waiting);
    EXPECT_EQ(postedDuringDelay, 3);
    EXPECT_EQ(sentDuringDelay, 1);
    EXPECT_GE(wait.dispatches, 1);
    EXPECT_EQ(wait.timerResults, 1);
}

TEST(PreciseDelayWin32, IntervalsBelowOneEndAfterOneWait) {
    for (const std::int32_t interval : {0, -1, -1000, INT_MIN}) {
        CountingWait plain(ThePlatform());
        EXPECT_EQ(PreciseDelay(plain, interval), 1);
        EXPECT_EQ(plain.created, 1) << interval;
        EXPECT_EQ(plain.timerWaits, 1) << interval;  // the timer had already fired
        EXPECT_EQ(plain.timerResults, 1) << interval;
        EXPECT_EQ(plain.closed, 1) << interval;
    }
}

TEST(PreciseDelayWin32, WorksOnAThreadWithoutWindows) {
    // A script started by a hotkey waits on a thread of its own.
    std::atomic<int> result{0};
    std::atomic<int> timerResults{0};
    std::thread worker([&] {
        CountingWait wait(ThePlatform());
        result = PreciseDelay(wait, 20);
        timerResults = wait.timerResults;
    });
    worker.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(timerResults.load(), 1);
}

}  // namespace
}  // namespace kavo
