// The stop on the real platform: the keyboard watch's hook sees the stop key from any source,
// a stop wakes a run's wait on another thread at once, and 按键消息 posts a GBK character to a
// Unicode window as the character it is.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "commands/builtin_commands.h"
#include "commands/precise_delay.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/keyboard_watch.h"
#include "hotkeys/stop_key.h"
#include "platform/win32/win32_platform.h"
#include "text/encoding.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

using namespace std::chrono_literals;

void Inject(WORD key) {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

TEST(KeyboardWatch, TheProgramsOwnKeysNeverCountKeysOfOtherProgramsDo) {
    KeyLatch latch;
    std::atomic<int> stops{0};
    Win32KeyboardHook hook;
    KeyboardWatch watch(hook);
    KeyboardWatch::Handlers handlers;
    handlers.latch = &latch;
    handlers.stopKeyPressed = [&] {
        ++stops;
        return false;
    };
    ASSERT_TRUE(watch.Start(static_cast<KeyCode>(kStopKey), handlers));
    // A second hook in the same process is refused: the hook has one owner.
    Win32KeyboardHook second;
    EXPECT_FALSE(second.Install([](const KeyEvent&) { return false; }));

    // The program's own: a script's 特殊按键(123) and its typing, through the platform.
    Win32Platform& platform = ThePlatform();
    platform.KeybdEvent(static_cast<KeyCode>(kStopKey), KeyDirection::Down);
    platform.KeybdEvent(static_cast<KeyCode>(kStopKey), KeyDirection::Up);
    platform.SendKeyboardInput({.virtualKey = 'K', .direction = KeyDirection::Down});
    platform.SendKeyboardInput({.virtualKey = 'K', .direction = KeyDirection::Up});
    // Another program's injected keys, without the program's mark.
    Inject('J');
    // The hook sees events in order: once J is latched, the keys before it have been seen.
    std::vector<KeyCode> keys;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            for (const LatchedPress& press : latch.Take()) keys.push_back(press.key);
            return !keys.empty();
        },
        10s));
    EXPECT_EQ(keys, std::vector<KeyCode>{'J'});
    EXPECT_EQ(stops.load(), 0);
    // Positive control: the stop key from another program stops.
    Inject(static_cast<WORD>(kStopKey));
    EXPECT_TRUE(test::WaitFor([&] { return stops.load() == 1; }, 10s));
    watch.Stop();
}

TEST(StopOnThePlatform, AStopFromAnotherThreadEndsALongDelayAtOnce) {
    Win32Platform& platform = ThePlatform();
    RunRegistry registry;
    std::atomic<bool> waiting{false};
    std::atomic<bool> ended{false};
    std::thread run([&] {
        ScriptRun scriptRun(registry, platform, platform);
        waiting = true;
        PreciseDelay(platform, 600000);
        ended = true;
    });
    ASSERT_TRUE(test::WaitFor([&] { return waiting.load(); }));
    test::PumpMessagesFor(100ms);
    EXPECT_FALSE(ended.load());  // the delay is under way, not ended by itself
    EXPECT_EQ(registry.StopAll(), 1);
    // Far less than the ten minutes asked for; the figure itself comes from the benchmark.
    EXPECT_TRUE(test::WaitFor([&] { return ended.load(); }, 20s));
    run.join();
    EXPECT_EQ(registry.ActiveRuns(), 0);
}

TEST(GbkCharacterPosts, ReachAUnicodeWindowAsOneCharacter) {
    test::Fixture fixture;
    Win32Platform& platform = ThePlatform();
    ScriptEngine engine;
    const CommandServices services{platform, platform, platform, nullptr};
    AddBuiltinCommands(engine, services);
    RunRegistry registry;
    const std::string window = std::to_string(reinterpret_cast<INT_PTR>(fixture.Window()));
    {
        ScriptRun run(registry, platform, platform);
        engine.RunScript(Utf8ToGbk("按键消息(" + window + ",208,1)\n按键消息(" + window +
                                   ",197,1)\n按键消息(" + window + ",65,1)"));
    }
    ASSERT_TRUE(test::WaitFor([&] { return fixture.LinesFor({WM_CHAR}).size() >= 2; }));
    EXPECT_EQ(fixture.LinesFor({WM_CHAR}),
              (std::vector<std::string>{test::LogLine(WM_CHAR, 0x4FE1, 0),
                                        test::LogLine(WM_CHAR, 'A', 0)}));
}

}  // namespace
}  // namespace kavo
