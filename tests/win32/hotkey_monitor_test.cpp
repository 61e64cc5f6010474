// The hotkey monitor on the real platform: keys injected while a window of this thread (or an
// attached window of another process) has the focus.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hotkeys/hotkey_monitor.h"
#include "platform/win32/win32_platform.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

// The real platform, counting keyboard reads so that a test can wait for a number of polls.
class CountingHotkeyPort : public HotkeyPort {
  public:
    int polls = 0;  // user-interface thread only

    std::uint32_t GetCurrentThreadId() override { return real_.GetCurrentThreadId(); }
    std::uint32_t GetWindowThreadId(NativeWindow window) override {
        return real_.GetWindowThreadId(window);
    }
    void AttachThreadInput(std::uint32_t from, std::uint32_t to) override {
        real_.AttachThreadInput(from, to);
    }
    void StartWindowlessTimer(std::uint32_t timerId, std::uint32_t intervalMs,
                              std::function<void()> onTick) override {
        real_.StartWindowlessTimer(timerId, intervalMs, std::move(onTick));
    }
    bool GetKeyboardState(KeyboardState& state) override {
        ++polls;
        return real_.GetKeyboardState(state);
    }
    void StartThread(std::function<void()> body) override { real_.StartThread(std::move(body)); }

  private:
    HotkeyPort& real_ = ThePlatform();
};

struct Firing {
    std::int32_t id = 0;
    DWORD thread = 0;
    LARGE_INTEGER time{};
};

// Firings noted by the callbacks, from their own threads.
class FiringLog {
  public:
    HotkeyCallback Callback() {
        return [this](std::int32_t id) {
            Firing firing{id, ::GetCurrentThreadId(), {}};
            QueryPerformanceCounter(&firing.time);
            const std::lock_guard lock(mutex_);
            firings_.push_back(firing);
        };
    }
    std::vector<Firing> Firings() {
        const std::lock_guard lock(mutex_);
        return firings_;
    }
    std::size_t Count() { return Firings().size(); }

  private:
    std::mutex mutex_;
    std::vector<Firing> firings_;
};

// One monitor for the whole program: its timer is never stopped, so it must outlive every test
// that pumps messages.
struct Harness {
    CountingHotkeyPort port;
    HotkeyMonitor monitor{port};
    FiringLog log;
};
Harness& TheHarness() {
    static Harness harness;
    return harness;
}

constexpr WORD kKey = 'K';

void InjectKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}

bool KeyDownForThisThread(WORD key) {
    BYTE state[256];
    return GetKeyboardState(state) && (state[key] & 0x80) != 0;
}

const HotkeyRecord* RecordOf(std::int32_t id) {
    for (const auto& record : TheHarness().monitor.Records())
        if (record.id == id) return &record;
    return nullptr;
}

bool WaitUntilArmed(std::int32_t id) {
    return test::WaitFor([&] { return RecordOf(id) != nullptr && RecordOf(id)->armed; });
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// When the X server gives its focus to a window of Wine, Wine copies X's key map into the key
// state and so lets go of keys injected with SendInput that are still held. A canary key held
// across the focus change shows when that copy has been made; only then may a test hold keys.
// Windows makes no such copy, and neither does Wine when no window manager moves the X focus:
// then the wait gives up after a while and the test goes on.
bool AcrossFocusChange(const std::function<bool()>& changeFocus) {
    if (!RunningUnderWine()) return changeFocus();
    constexpr WORD kCanary = 'Q';
    InjectKey(kCanary, true);
    const bool changed = changeFocus();
    const bool copied = test::WaitFor([] { return (GetAsyncKeyState(kCanary) & 0x8000) == 0; },
                                      std::chrono::seconds(5));
    InjectKey(kCanary, false);
    if (!copied) std::printf("note: Wine made no copy of the X key map at this focus change\n");
    return changed;
}

// A plain visible window of this thread with the keyboard focus.
class FocusedWindow {
  public:
    FocusedWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KavoHotkeyTestWindow";
        RegisterClassW(&windowClass);  // fails harmlessly when already registered
        ready_ = AcrossFocusChange([&] {
            window_ = CreateWindowExW(0, windowClass.lpszClassName, L"Kavo hotkey test",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 320, 200, nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
            return window_ != nullptr && Focus();
        });
    }
    ~FocusedWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    FocusedWindow(const FocusedWindow&) = delete;
    FocusedWindow& operator=(const FocusedWindow&) = delete;

    HWND Handle() const { return window_; }
    // Created, focused, and the focus change fully handled.
    bool Ready() const { return ready_; }
    bool Focus() const {
        SetForegroundWindow(window_);
        SetFocus(window_);
        return test::WaitFor(
            [&] { return GetForegroundWindow() == window_ && GetFocus() == window_; },
            std::chrono::seconds(10));
    }

  private:
    HWND window_ = nullptr;
    bool ready_ = false;
};

TEST(Win32HotkeyMonitor, APressFiresOnceOnAnotherThreadAndAgainAfterARelease) {
    FocusedWindow window;
    ASSERT_TRUE(window.Ready());
    auto& harness = TheHarness();
    const auto id = harness.monitor.RegisterHotkey(harness.log.Callback(), kKey, 0,
                                                   reinterpret_cast<INT_PTR>(window.Handle()));
    ASSERT_NE(id, 0);
    const std::size_t before = harness.log.Count();
    ASSERT_TRUE(WaitUntilArmed(id));

    InjectKey(kKey, true);
    ASSERT_TRUE(test::WaitFor([&] { return harness.log.Count() == before + 1; }));
    const Firing first = harness.log.Firings().back();
    EXPECT_EQ(first.id, id);
    EXPECT_NE(first.thread, ::GetCurrentThreadId());

    // Held over several more polls: no repeat.
    const int pollsAtFiring = harness.port.polls;
    ASSERT_TRUE(test::WaitFor([&] { return harness.port.polls >= pollsAtFiring + 6; }));
    EXPECT_TRUE(KeyDownForThisThread(kKey)) << "the key was not held through the polls";
    EXPECT_EQ(harness.log.Count(), before + 1);

    InjectKey(kKey, false);
    ASSERT_TRUE(WaitUntilArmed(id));
    InjectKey(kKey, true);
    const bool firedAgain = test::WaitFor([&] { return harness.log.Count() == before + 2; });
    InjectKey(kKey, false);
    ASSERT_TRUE(firedAgain);
    EXPECT_NE(harness.log.Firings().back().thread, ::GetCurrentThreadId());
    ASSERT_TRUE(WaitUntilArmed(id));
    EXPECT_EQ(harness.log.Count(), before + 2);
}

TEST(Win32HotkeyMonitor, AnotherKeyHeldStopsTheHotkey) {
    FocusedWindow window;
    ASSERT_TRUE(window.Ready());
    auto& harness = TheHarness();
    const auto id = harness.monitor.RegisterHotkey(harness.log.Callback(), kKey, 0);
    ASSERT_TRUE(WaitUntilArmed(id));
    const std::size_t before = harness.log.Count();
    InjectKey('J', true);
    InjectKey(kKey, true);
    const int polls = harness.port.polls;
    ASSERT_TRUE(test::WaitFor([&] { return harness.port.polls >= polls + 4; }));
    EXPECT_TRUE(KeyDownForThisThread(kKey) && KeyDownForThisThread('J'));
    EXPECT_EQ(harness.log.Count(), before);
    InjectKey(kKey, false);
    InjectKey('J', false);
    ASSERT_TRUE(WaitUntilArmed(id));
    EXPECT_EQ(harness.log.Count(), before);
}

TEST(Win32HotkeyMonitor, PressToCallbackLatency) {
    FocusedWindow window;
    ASSERT_TRUE(window.Ready());
    auto& harness = TheHarness();
    const auto id = harness.monitor.RegisterHotkey(harness.log.Callback(), kKey, 0);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> latencies;
    constexpr int kPresses = 15;
    for (int i = 0; i < kPresses; ++i) {
        ASSERT_TRUE(WaitUntilArmed(id));
        // Spread the presses over the poll period instead of pressing right after a poll.
        test::PumpMessagesFor(std::chrono::milliseconds((i * 17) % 50));
        const std::size_t before = harness.log.Count();
        LARGE_INTEGER pressed;
        QueryPerformanceCounter(&pressed);
        InjectKey(kKey, true);
        const bool fired = test::WaitFor([&] { return harness.log.Count() == before + 1; });
        InjectKey(kKey, false);
        ASSERT_TRUE(fired);
        const Firing firing = harness.log.Firings().back();
        latencies.push_back(1000.0 * static_cast<double>(firing.time.QuadPart - pressed.QuadPart) /
                            static_cast<double>(frequency.QuadPart));
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    std::printf("press to callback over %d presses: median %.1f ms, min %.1f ms, max %.1f ms\n",
                kPresses, median, latencies.front(), latencies.back());
    RecordProperty("median_latency_ms", static_cast<int>(median + 0.5));
}

// Last: the attachment to the fixture's thread stays for as long as that thread lives.
TEST(Win32HotkeyMonitor, KeysTypedIntoAnAttachedWindowOfAnotherProcessAreSeen) {
    std::optional<test::Fixture> fixture;
    ASSERT_TRUE(AcrossFocusChange([&] {
        fixture.emplace();
        if (fixture->Window() == nullptr) return false;
        fixture->Activate();
        return GetForegroundWindow() == fixture->Window();
    }));
    auto& harness = TheHarness();
    constexpr WORD kOtherKey = 'L';
    const auto id = harness.monitor.RegisterHotkey(harness.log.Callback(), kOtherKey, 0,
                                                   reinterpret_cast<INT_PTR>(fixture->Window()));
    ASSERT_TRUE(WaitUntilArmed(id));
    const std::size_t before = harness.log.Count();
    InjectKey(kOtherKey, true);
    const bool fired = test::WaitFor([&] { return harness.log.Count() == before + 1; });
    InjectKey(kOtherKey, false);
    ASSERT_TRUE(fired);
    EXPECT_EQ(harness.log.Firings().back().id, id);
    // The key went to the fixture's queue, not to this thread's.
    const std::string keyDown = test::LogLine(WM_KEYDOWN, kOtherKey, 0).substr(0, 17);
    EXPECT_TRUE(test::WaitFor([&] {
        for (const auto& line : fixture->LinesFor({WM_KEYDOWN}))
            if (line.rfind(keyDown, 0) == 0) return true;
        return false;
    }));
}

}  // namespace
}  // namespace kavo
