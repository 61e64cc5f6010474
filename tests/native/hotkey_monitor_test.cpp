#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "hotkeys/hotkey_monitor.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr int kA = 0x41;
constexpr int kB = 0x42;

class HotkeyMonitorTest : public testing::Test {
  protected:
    // A callback that notes "name:id" when its thread runs.
    HotkeyCallback Noting(const std::string& name) {
        return [this, name](std::int32_t id) { fired.push_back(name + ":" + std::to_string(id)); };
    }
    // One tick of the poll timer, then whatever threads it started.
    void Poll() {
        ASSERT_TRUE(platform.timerTick) << "no poll timer";
        platform.timerTick();
        platform.RunStartedThreads();
    }
    void PollTimes(int count) {
        for (int i = 0; i < count; ++i) Poll();
    }
    void Hold(int key) { platform.keyboard.down.set(static_cast<std::size_t>(key)); }
    void Release(int key) { platform.keyboard.down.reset(static_cast<std::size_t>(key)); }
    void ReleaseAll() { platform.keyboard = {}; }
    std::size_t ThreadsStarted() const {
        return platform.CallsStartingWith({"StartThread"}).size();
    }

    RecordingPlatform platform;
    HotkeyMonitor monitor{platform};
    std::vector<std::string> fired;
};

TEST_F(HotkeyMonitorTest, KeysWhoseLowEightBitsAreZeroRegisterNothing) {
    for (int key : {0, 256, -256, 512}) {
        EXPECT_EQ(monitor.RegisterHotkey(Noting("x"), key, 0, NativeWindow{500}), 0) << key;
        EXPECT_EQ(monitor.RegisterHotkey(Noting("x"), key, 0), 0) << key;
    }
    EXPECT_THAT(monitor.Records(), IsEmpty());
    // No window attached, no timer started.
    EXPECT_THAT(platform.calls, IsEmpty());
}

TEST_F(HotkeyMonitorTest, IdsCountFromTwoMillionAndOneWithASingleTimer) {
    EXPECT_EQ(monitor.RegisterHotkey(Noting("a"), kA, 0), 2000001);
    EXPECT_THAT(platform.calls, ElementsAre("StartWindowlessTimer(6662,50)"));
    EXPECT_EQ(monitor.RegisterHotkey(Noting("b"), kB, 0), 2000002);
    // The same key with other modifiers is another hotkey.
    EXPECT_EQ(monitor.RegisterHotkey(Noting("ctrl-a"), kA, kModControl), 2000003);
    EXPECT_THAT(platform.CallsStartingWith({"StartWindowlessTimer"}),
                ElementsAre("StartWindowlessTimer(6662,50)"));
    ASSERT_EQ(monitor.Records().size(), 3u);
    EXPECT_EQ(monitor.Records()[2].key, kA);
    EXPECT_EQ(monitor.Records()[2].modifiers, kModControl);
    EXPECT_FALSE(monitor.Records()[2].armed);
}

TEST_F(HotkeyMonitorTest, OnlyTheLowEightBitsOfTheKeyAreKept) {
    const auto id = monitor.RegisterHotkey(Noting("a"), 0x100 + kA, 0);
    EXPECT_EQ(monitor.Records().at(0).key, kA);
    EXPECT_EQ(monitor.RegisterHotkey(Noting("again"), kA, 0), id);
    EXPECT_EQ(monitor.Records().size(), 1u);
}

TEST_F(HotkeyMonitorTest, AWindowJoinsThisThreadsInputToTheWindowsThread) {
    platform.windowThreads[500] = 7;
    monitor.RegisterHotkey(Noting("a"), kA, 0, NativeWindow{500});
    EXPECT_THAT(platform.calls,
                ElementsAre("GetCurrentThreadId", "GetWindowThreadId(500)",
                            "AttachThreadInput(100,7)", "StartWindowlessTimer(6662,50)"));
    platform.ClearCalls();
    // Re-registering with another window joins that one too; a window that does not exist gives
    // thread 0 and the key is still registered. No window: no attachment.
    EXPECT_EQ(monitor.RegisterHotkey(Noting("a"), kA, 0, NativeWindow{-1}), 2000001);
    EXPECT_EQ(monitor.RegisterHotkey(Noting("b"), kB, 0, NativeWindow{-1}), 2000002);
    monitor.RegisterHotkey(Noting("c"), 0x43, 0);
    EXPECT_THAT(platform.CallsStartingWith({"AttachThreadInput"}),
                ElementsAre("AttachThreadInput(100,0)", "AttachThreadInput(100,0)"));
}

TEST_F(HotkeyMonitorTest, ReRegisteringReplacesOnlyTheCallback) {
    const auto id = monitor.RegisterHotkey(Noting("cursor"), 112, 0);
    Poll();  // arms
    ASSERT_TRUE(monitor.Records()[0].armed);
    EXPECT_EQ(monitor.RegisterHotkey(Noting("script"), 112, 0), id);
    ASSERT_EQ(monitor.Records().size(), 1u);
    EXPECT_TRUE(monitor.Records()[0].armed);  // nothing but the callback changes
    Hold(112);
    Poll();
    EXPECT_THAT(fired, ElementsAre("script:2000001"));
}

TEST_F(HotkeyMonitorTest, AFiringThreadKeepsTheCallbackItStartedWith) {
    monitor.RegisterHotkey(Noting("old"), kA, 0);
    Poll();
    Hold(kA);
    platform.timerTick();
    monitor.RegisterHotkey(Noting("new"), kA, 0);
    platform.RunStartedThreads();
    EXPECT_THAT(fired, ElementsAre("old:2000001"));
}

TEST_F(HotkeyMonitorTest, HoldingFiresOnceAndAFreshPressFiresAgain) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    Poll();
    Hold(kA);
    platform.timerTick();
    EXPECT_THAT(fired, IsEmpty()) << "the callback runs on its own thread, not in the poll";
    EXPECT_EQ(platform.threads.size(), 1u);
    platform.RunStartedThreads();
    EXPECT_THAT(fired, ElementsAre("a:2000001"));
    PollTimes(5);  // still held
    EXPECT_EQ(fired.size(), 1u);
    Release(kA);
    Poll();
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, ElementsAre("a:2000001", "a:2000001"));
}

TEST_F(HotkeyMonitorTest, AReleaseThatNoPollSawDoesNotRearm) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    Poll();
    Hold(kA);
    Poll();
    // Released and pressed again between two polls: the poll sees the key still down.
    Poll();
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(HotkeyMonitorTest, AKeyAlreadyDownWhenRegisteredWaitsForAFreshPress) {
    Hold(kA);
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    PollTimes(3);
    EXPECT_THAT(fired, IsEmpty());
    Release(kA);
    Poll();
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, ElementsAre("a:2000001"));
}

struct ModifierCase {
    const char* name;
    std::vector<int> keys;  // bytes held for the modifier, as the system sets them
};
void PrintTo(const ModifierCase& c, std::ostream* out) {
    *out << c.name;
}

class HotkeyModifierTest : public HotkeyMonitorTest,
                           public testing::WithParamInterface<ModifierCase> {
  protected:
    void HoldModifier() {
        for (int key : GetParam().keys) Hold(key);
    }
    void ReleaseModifier() {
        for (int key : GetParam().keys) Release(key);
    }
};

TEST_P(HotkeyModifierTest, AHeldModifierStopsAPlainHotkeyUntilEverythingIsReleased) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    Poll();
    HoldModifier();
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, IsEmpty());
    EXPECT_FALSE(monitor.Records()[0].armed);
    // The key alone again, but no poll has seen everything up yet.
    ReleaseModifier();
    Poll();
    EXPECT_THAT(fired, IsEmpty());
    // The modifier alone does not arm a plain hotkey either.
    Release(kA);
    HoldModifier();
    Poll();
    ReleaseModifier();
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, IsEmpty());
    ReleaseAll();
    Poll();
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, ElementsAre("a:2000001"));
}

TEST_P(HotkeyModifierTest, AHotkeyWithThatModifierFiresWithIt) {
    const std::uint32_t mask = std::string(GetParam().name) == "Alt"    ? kModAlt
                               : std::string(GetParam().name) == "Ctrl" ? kModControl
                               : std::string(GetParam().name) == "Win"  ? kModWin
                                                                        : kModShift;
    monitor.RegisterHotkey(Noting("mod-a"), kA, mask);
    Poll();  // nothing held: wrong modifiers, stays unarmed
    EXPECT_FALSE(monitor.Records()[0].armed);
    HoldModifier();
    Poll();  // the modifier alone arms it
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, ElementsAre("mod-a:2000001"));
}

INSTANTIATE_TEST_SUITE_P(Modifiers, HotkeyModifierTest,
                         testing::Values(ModifierCase{"Shift", {0x10, 0xA0}},
                                         ModifierCase{"RightShift", {0x10, 0xA1}},
                                         ModifierCase{"Ctrl", {0x11, 0xA2}},
                                         ModifierCase{"Alt", {0x12, 0xA4}},
                                         ModifierCase{"Win", {0x5B}}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(HotkeyMonitorTest, ToggleBitsOfLockKeysDoNotMatter) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    platform.keyboard.toggled.set(keys::kCapsLock);
    platform.keyboard.toggled.set(keys::kNumLock);
    Poll();
    platform.keyboard.down.set(kA);
    platform.keyboard.toggled.set(kA);  // the key's own toggle set
    Poll();
    EXPECT_THAT(fired, ElementsAre("a:2000001"));
}

TEST_F(HotkeyMonitorTest, CapsLockHeldDownIsAnotherKey) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    Poll();
    platform.keyboard.down.set(keys::kCapsLock);  // held, and on
    platform.keyboard.toggled.set(keys::kCapsLock);
    Hold(kA);
    Poll();
    EXPECT_THAT(fired, IsEmpty());
}

class HotkeyBlockedByTest : public HotkeyMonitorTest, public testing::WithParamInterface<int> {};

TEST_P(HotkeyBlockedByTest, AnotherHeldKeyOrButtonStopsTheHotkey) {
    // Held since before the registration: the record cannot arm while it is down.
    Hold(GetParam());
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    Poll();
    Hold(kA);
    Poll();
    Release(GetParam());
    Poll();
    EXPECT_THAT(fired, IsEmpty());
    // Armed, but the key is not down alone.
    ReleaseAll();
    Poll();
    Hold(GetParam());
    Hold(kA);
    PollTimes(2);
    EXPECT_THAT(fired, IsEmpty());
}

// Right Windows key, left/right/middle mouse buttons, X buttons, another letter, Enter.
INSTANTIATE_TEST_SUITE_P(OtherKeys, HotkeyBlockedByTest,
                         testing::Values(0x5C, 0x01, 0x02, 0x04, 0x05, 0x06, kB, 0x0D),
                         [](const testing::TestParamInfo<int>& key) -> std::string {
                             switch (key.param) {
                                 case 0x5C:
                                     return "RightWindows";
                                 case 0x01:
                                     return "LeftButton";
                                 case 0x02:
                                     return "RightButton";
                                 case 0x04:
                                     return "MiddleButton";
                                 case 0x05:
                                     return "XButton1";
                                 case 0x06:
                                     return "XButton2";
                                 case 0x0D:
                                     return "Enter";
                                 default:
                                     return "Key" + std::to_string(key.param);
                             }
                         });

TEST_F(HotkeyMonitorTest, TwoHotkeysPressedTogetherFireNeither) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    monitor.RegisterHotkey(Noting("b"), kB, 0);
    Poll();
    Hold(kA);
    Hold(kB);
    PollTimes(2);
    EXPECT_THAT(fired, IsEmpty());
    // Each stays armed, so letting go of one leaves the other down alone, and that one fires.
    Release(kB);
    Poll();
    EXPECT_THAT(fired, ElementsAre("a:2000001"));
}

TEST_F(HotkeyMonitorTest, OnlyTheRecordOfTheKeyDownFires) {
    monitor.RegisterHotkey(Noting("plain-a"), kA, 0);
    monitor.RegisterHotkey(Noting("b"), kB, 0);
    Poll();
    Hold(kB);
    Poll();
    EXPECT_THAT(fired, ElementsAre("b:2000002"));
}

TEST_F(HotkeyMonitorTest, AFailedKeyboardReadChangesNothing) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    monitor.RegisterHotkey(Noting("ctrl-b"), kB, kModControl);
    Poll();
    ASSERT_TRUE(monitor.Records()[0].armed);
    ASSERT_FALSE(monitor.Records()[1].armed);
    platform.failKeyboardState = true;
    Hold(kA);
    Hold(0x11);  // would disarm the first and arm nothing
    PollTimes(3);
    EXPECT_THAT(fired, IsEmpty());
    EXPECT_EQ(ThreadsStarted(), 0u);
    EXPECT_TRUE(monitor.Records()[0].armed);
    EXPECT_FALSE(monitor.Records()[1].armed);
    platform.failKeyboardState = false;
    Release(0x11);
    Poll();
    EXPECT_THAT(fired, ElementsAre("a:2000001"));
}

TEST_F(HotkeyMonitorTest, EachPollReadsTheKeyboardOnceAndStartsOneThreadPerFiring) {
    monitor.RegisterHotkey(Noting("a"), kA, 0);
    platform.ClearCalls();
    Poll();
    Hold(kA);
    Poll();
    EXPECT_THAT(platform.calls, ElementsAre("GetKeyboardState", "GetKeyboardState", "StartThread"));
}

}  // namespace
}  // namespace kavo
