// The keyboard watch over a fake hook: the program's own keys never count, a refused hook leaves
// the poll to see the stop key and latch presses, a hook the system removed is noticed and
// installed again, and a live hook is left alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bitset>
#include <functional>

#include "hotkeys/keyboard_watch.h"
#include "native/fake_keyboard_hook.h"

namespace kavo {
namespace {

constexpr KeyCode kF12 = 123;
constexpr KeyCode kA = 'A';

using FakeHook = FakeKeyboardHook;

class KeyboardWatchTest : public ::testing::Test {
  protected:
    void Start() {
        KeyboardWatch::Handlers handlers;
        handlers.latch = &latch;
        handlers.pressLatched = [this] { ++latched; };
        handlers.stopKeyPressed = [this] {
            ++stops;
            return true;
        };
        handlers.claimedKeyPressed = [this](KeyCode key) { claimedPresses.push_back(key); };
        watch.Start(kF12, handlers);
        watch.WatchKeys({kA});
        watch.Poll();  // learns what is held at the start
    }
    std::vector<KeyCode> LatchedKeys() {
        std::vector<KeyCode> keys;
        for (const LatchedPress& press : latch.Take()) keys.push_back(press.key);
        return keys;
    }

    FakeHook hook;
    KeyLatch latch;
    KeyboardWatch watch{hook};
    int stops = 0;
    int latched = 0;
    std::vector<KeyCode> claimedPresses;
};

TEST_F(KeyboardWatchTest, TheProgramsOwnKeysNeverCountOthersDo) {
    Start();
    struct Case {
        const char* what;
        KeyCode key;
        bool ours;
        int stops;
        std::vector<KeyCode> latched;
    };
    const Case cases[] = {
        // A script's 特殊按键(123), or "{" typed by 按键 (byte 0x7B is F12's code).
        {"our F12", kF12, true, 0, {}},
        {"our A", kA, true, 0, {}},
        // Typed, or injected by another program (a remote-control tool): they count.
        {"their F12", kF12, false, 1, {}},
        {"their A", kA, false, 0, {kA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        stops = 0;
        EXPECT_EQ(hook.Press(c.key, c.ours), c.stops > 0);  // a stop key used up goes no further
        hook.Release(c.key, c.ours);
        watch.Poll();
        watch.Poll();
        EXPECT_EQ(stops, c.stops);
        EXPECT_EQ(LatchedKeys(), c.latched);
    }
    EXPECT_EQ(hook.installs, 1);  // nothing looked like a dead hook
}

TEST_F(KeyboardWatchTest, ARefusedHookLeavesThePollToSeeTheStopKeyAndTheHotkeys) {
    hook.refuse = true;
    Start();
    EXPECT_FALSE(watch.HookInstalled());
    hook.Press(kF12);
    watch.Poll();
    EXPECT_EQ(stops, 1);
    hook.Release(kF12);
    watch.Poll();
    // A hotkey's key, with a modifier pressed before it: latched with it held.
    hook.Press(keys::kControl);
    watch.Poll();
    hook.Press(kA);
    watch.Poll();
    const std::vector<LatchedPress> presses = latch.Take();
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[1].key, kA);
    EXPECT_TRUE(presses[1].heldBefore.test(keys::kControl));
    EXPECT_EQ(presses[1].focusThread, 7u);
    // Held, it is one press; released and pressed again, another.
    watch.Poll();
    EXPECT_TRUE(latch.Take().empty());
    hook.Release(kA);
    watch.Poll();
    hook.Press(kA);
    watch.Poll();
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kA});

    // The hook is tried again every second; once the system takes it, the hook hears the keys.
    hook.refuse = false;
    for (int i = 0; i < KeyboardWatch::kRetryPolls; ++i) watch.Poll();
    EXPECT_TRUE(watch.HookInstalled());
    EXPECT_EQ(watch.Reinstalls(), 1);
    hook.Release(kA);
    hook.Press(kA);
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kA});
}

TEST_F(KeyboardWatchTest, AHookTheSystemRemovedIsNoticedAndInstalledAgain) {
    Start();
    ASSERT_TRUE(watch.HookInstalled());
    hook.dead = true;  // the system took it away without a word
    hook.Press(kF12);
    watch.Poll();
    // The poll saw the stop key go down without the hook: it stops, and the hook is back.
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(hook.installs, 2);
    EXPECT_FALSE(hook.dead);
    hook.Release(kF12);
    watch.Poll();
    // A hotkey press the dead hook missed is latched by the poll.
    hook.dead = true;
    hook.Press(kA);
    watch.Poll();
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kA});
    EXPECT_EQ(hook.installs, 3);
    // Positive control: with the hook alive the same presses go through it alone, once.
    hook.Release(kA);
    watch.Poll();
    hook.Press(kA);
    watch.Poll();
    watch.Poll();
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kA});
    EXPECT_EQ(hook.installs, 3);
}

TEST_F(KeyboardWatchTest, AnotherKeysActionAndAListenerHearWhatTheyShould) {
    Start();
    constexpr KeyCode kF9 = 120;
    int actions = 0;
    bool acting = true;
    watch.SetKeyAction(kF9, [&] {
        ++actions;
        return acting;
    });
    std::vector<std::pair<KeyCode, bool>> heard;  // key, ours
    watch.SetListener([&](const KeyEvent& event) {
        if (event.down) heard.emplace_back(event.key, event.ours);
    });
    EXPECT_FALSE(hook.Press(kF9, true));  // the program's own F9 (特殊按键(120)) does not act
    hook.Release(kF9, true);
    EXPECT_TRUE(hook.Press(kF9));    // typed: it acts, and the key goes no further
    EXPECT_TRUE(hook.Release(kF9));  // nor its release: no program sees half a key
    EXPECT_EQ(actions, 1);
    EXPECT_TRUE(latch.Take().empty());
    // An action that declines leaves the key as any other key.
    acting = false;
    EXPECT_FALSE(hook.Press(kF9));
    EXPECT_FALSE(hook.Release(kF9));
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kF9});
    // The listener heard every press, the program's own marked.
    EXPECT_EQ(heard,
              (std::vector<std::pair<KeyCode, bool>>{{kF9, true}, {kF9, false}, {kF9, false}}));
    // Removed, nothing acts or listens any more.
    watch.SetKeyAction(kF9, nullptr);
    watch.SetListener(nullptr);
    hook.Press(kF9);
    EXPECT_EQ(actions, 2);
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(KeyboardWatchTest, KeysHeldAtTheStartAreNoPresses) {
    hook.down.set(kA);
    hook.down.set(kF12);
    Start();
    watch.Poll();
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(latch.Take().empty());
    EXPECT_EQ(hook.installs, 1);
}

constexpr KeyCode kInsert = 0x2D;
constexpr KeyCode kPageUp = 0x21;
constexpr KeyCode kClaimed[] = {kInsert, kPageUp};

TEST_F(KeyboardWatchTest, AClaimedKeyIsTheProgramsAndNoOtherProgramSeesIt) {
    Start();
    // Positive control: unclaimed, Insert goes on to the focused program and is latched.
    EXPECT_FALSE(hook.Press(kInsert));
    EXPECT_FALSE(hook.Release(kInsert));
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kInsert});
    EXPECT_TRUE(claimedPresses.empty());

    watch.ClaimKeys(kClaimed);
    EXPECT_TRUE(watch.Claims(kInsert));
    EXPECT_TRUE(hook.Press(kInsert));    // kept from every program
    EXPECT_TRUE(hook.Press(kInsert));    // held: the system repeats it, still kept, not counted
    EXPECT_TRUE(hook.Release(kInsert));  // its release too
    EXPECT_TRUE(hook.Press(kPageUp));
    EXPECT_TRUE(hook.Release(kPageUp));
    EXPECT_FALSE(hook.Press(kA));  // other keys as before
    hook.Release(kA);
    watch.Poll();
    watch.Poll();
    EXPECT_EQ(claimedPresses, (std::vector<KeyCode>{kInsert, kPageUp}));
    EXPECT_EQ(LatchedKeys(), std::vector<KeyCode>{kA});
    EXPECT_EQ(hook.installs, 1);  // the kept presses do not look like a dead hook

    // The program's own Insert (a script's 特殊按键(45)) goes on like any key of its own.
    EXPECT_FALSE(hook.Press(kInsert, true));
    EXPECT_FALSE(hook.Release(kInsert, true));
    EXPECT_EQ(claimedPresses.size(), 2u);
}

TEST_F(KeyboardWatchTest, AReleaseIsKeptBackWhenItsPressWasEvenAfterTheClaimEnds) {
    Start();
    watch.ClaimKeys(kClaimed);
    EXPECT_TRUE(hook.Press(kInsert));
    watch.ClaimKeys({});
    EXPECT_FALSE(watch.Claims(kInsert));
    EXPECT_TRUE(hook.Release(kInsert));
    // Afterwards Insert is an ordinary key again.
    EXPECT_FALSE(hook.Press(kInsert));
    EXPECT_FALSE(hook.Release(kInsert));
    EXPECT_EQ(claimedPresses, std::vector<KeyCode>{kInsert});
}

TEST_F(KeyboardWatchTest, WithoutAHookThePollReportsAClaimedPressItCannotKeepBack) {
    hook.refuse = true;
    Start();
    watch.ClaimKeys(kClaimed);
    hook.Press(kPageUp);
    watch.Poll();
    watch.Poll();  // held: one press
    hook.Release(kPageUp);
    watch.Poll();
    EXPECT_EQ(claimedPresses, std::vector<KeyCode>{kPageUp});
    EXPECT_TRUE(LatchedKeys().empty());
}

TEST_F(KeyboardWatchTest, TheStopKeyCannotBeClaimed) {
    Start();
    const KeyCode keys[] = {kF12, kInsert};
    watch.ClaimKeys(keys);
    EXPECT_FALSE(watch.Claims(kF12));
    hook.Press(kF12);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(claimedPresses.empty());
}

}  // namespace
}  // namespace kavo
