// Hotkeys fired from latched presses: a press of any length fires once, at the press, in the
// windows whose keys the poll has always seen.
#include "hotkeys/key_latch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hotkeys/hotkey_monitor.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint8_t kK = 0x4B;
constexpr std::uint8_t kJ = 0x4A;
constexpr NativeWindow kTarget = 500;
constexpr std::uint32_t kTargetThread = 7;
constexpr std::uint32_t kOtherThread = 9;

TEST(KeyLatch, LatchesEachPressOnceWithWhatWasHeldBefore) {
    KeyLatch latch;
    EXPECT_TRUE(latch.KeyDown(0xA0, 3));  // left Shift
    EXPECT_TRUE(latch.KeyDown(kK, 3));
    EXPECT_FALSE(latch.KeyDown(kK, 3));  // auto-repeat while held
    latch.KeyUp(kK);
    latch.SetHeld(0x01, true);  // the left mouse button, learnt otherwise
    EXPECT_TRUE(latch.KeyDown(kK, 4));
    const std::vector<LatchedPress> presses = latch.Take();
    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[1].key, kK);
    EXPECT_EQ(presses[1].focusThread, 3u);
    EXPECT_TRUE(presses[1].heldBefore.test(keys::kLeftShift));
    EXPECT_FALSE(presses[1].heldBefore.test(kK));
    EXPECT_TRUE(presses[2].heldBefore.test(keys::kLeftMouseButton));
    EXPECT_EQ(presses[2].focusThread, 4u);
    EXPECT_THAT(latch.Take(), IsEmpty());
}

class LatchedHotkeys : public ::testing::Test {
  protected:
    LatchedHotkeys() {
        platform.currentThreadId = 100;
        platform.windowThreads[kTarget] = kTargetThread;
        monitor.RegisterHotkey([this](std::int32_t id) { fired.push_back(id); }, kK, 0, kTarget);
        monitor.UseLatch(latch);
    }
    // A person's tap: down and up before anything polls.
    void Tap(std::uint8_t key, std::uint32_t thread = kTargetThread) {
        latch.KeyDown(key, thread);
        latch.KeyUp(key);
    }
    void Poll() {
        monitor.PollHotkeys();
        platform.RunStartedThreads();
    }

    RecordingPlatform platform;
    HotkeyMonitor monitor{platform};
    KeyLatch latch;
    std::vector<std::int32_t> fired;
};

TEST_F(LatchedHotkeys, ATapTooShortForAnyPollFiresOnceEvenWhenTheStateShowsNothing) {
    Tap(kK);
    Poll();
    EXPECT_THAT(fired, ElementsAre(HotkeyMonitor::kFirstId));
    // The state the timer poll reads never showed the key, and later polls fire nothing more.
    platform.timerTick();
    Poll();
    EXPECT_THAT(fired, ElementsAre(HotkeyMonitor::kFirstId));
}

TEST_F(LatchedHotkeys, TwoTapsBeforeAPollFireTwiceAndAHeldKeyOnce) {
    Tap(kK);
    Tap(kK);
    Poll();
    EXPECT_EQ(fired.size(), 2u);
    latch.KeyDown(kK, kTargetThread);
    for (int repeat = 0; repeat < 5; ++repeat) {
        latch.KeyDown(kK, kTargetThread);  // auto-repeat
        platform.keyboard.down.set(kK);
        Poll();
    }
    EXPECT_EQ(fired.size(), 3u);
}

TEST_F(LatchedHotkeys, OnlyKeysOfThisThreadsAndTheJoinedThreadsWindowsCount) {
    Tap(kK, kOtherThread);
    Tap(kK, 0);  // no window had the focus
    Poll();
    EXPECT_THAT(fired, IsEmpty());
    Tap(kK, 100);  // one of the program's own windows
    Tap(kK, kTargetThread);
    Poll();
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(LatchedHotkeys, AnotherKeyOrAModifierHeldBeforeThePressKeepsItFromFiring) {
    struct Case {
        std::uint8_t held;
        const char* what;
    };
    for (const Case c :
         {Case{0xA1, "right Shift"}, Case{0xA2, "left Ctrl"}, Case{0xA5, "right Alt"},
          Case{0x5B, "left Windows key"}, Case{kJ, "another key"}, Case{0x5C, "right Windows key"},
          Case{0x02, "the right mouse button"}}) {
        latch.SetHeld(c.held, true);
        Tap(kK);
        Poll();
        EXPECT_THAT(fired, IsEmpty()) << c.what;
        latch.SetHeld(c.held, false);
    }
    // The same press with nothing held fires: the cases above failed for what was held.
    Tap(kK);
    Poll();
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(LatchedHotkeys, AKeyWithModifiersFiresOnlyWithExactlyThoseHeld) {
    monitor.RegisterHotkey([this](std::int32_t id) { fired.push_back(id); }, kJ, kModControl);
    Tap(kJ);
    latch.SetHeld(0xA3, true);  // right Ctrl
    Tap(kJ);
    latch.SetHeld(0xA0, true);  // and Shift too
    Tap(kJ);
    Poll();
    EXPECT_THAT(fired, ElementsAre(HotkeyMonitor::kFirstId + 1));
}

}  // namespace
}  // namespace kavo
