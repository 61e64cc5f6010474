// The run control through fakes: the stop key lets go of what a run holds at once, from a
// thread of the control's own, while the run still sits in a statement that does not end (a
// message box); a run that throws ends as failed and releases what it held.
#include "run_control/run_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/builtin_commands.h"
#include "hotkeys/stop_key.h"
#include "native/fake_keyboard_hook.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

// The input a run injects, kept where two threads may write it (the run's and the releaser's).
class SharedInput : public InputPort {
  public:
    Point GetCursorPos() override { return {}; }
    void SetCursorPos(int, int) override {}
    void MouseEvent(MouseButtonChanges, int, int) override { Record("MouseEvent"); }
    void MouseWheel(int) override {}
    void KeybdEvent(KeyCode code, KeyDirection direction) override {
        Record("KeybdEvent(" + std::to_string(code) + Direction(direction) + ")");
    }
    void SendKeyboardInput(const KeyboardInput& input) override {
        Record("SendKeyboardInput(" + std::to_string(input.virtualKey) +
               Direction(input.direction) + ")");
    }
    std::uint32_t ScanCodeOfKey(std::uint32_t) override { return 0; }
    std::uint32_t CharacterOfKey(std::uint32_t) override { return 0; }
    std::uint32_t GetTickCount() override { return 0; }
    void PostWindowMessage(NativeWindow, const PostedMessage&) override {}
    NativeWindow GetDesktopWindow() override { return 0; }

    // True when the call was made within the time (real time: another thread makes it).
    bool WaitFor(const std::string& call, std::chrono::milliseconds within) {
        std::unique_lock lock(mutex_);
        return recorded_.wait_for(lock, within, [&] {
            return std::find(calls_.begin(), calls_.end(), call) != calls_.end();
        });
    }
    std::vector<std::string> Calls() {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    static std::string Direction(KeyDirection direction) {
        return direction == KeyDirection::Down ? ",down" : ",up";
    }
    void Record(std::string call) {
        {
            const std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
        }
        recorded_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable recorded_;
    std::vector<std::string> calls_;
};

class RunControlTest : public testing::Test {
  protected:
    RunControlTest() {
        AddBuiltinCommands(engine, services);
        engine.SetHost({.statementGate = CurrentRunMayGoOn});
        control.Start({});
    }
    RunResult Run(const char* utf8Script) {
        const RuntimeText script = Utf8ToGbk(utf8Script);
        return control.Run([&] { engine.RunScript(script); });
    }
    long Count(const std::string& call) {
        const std::vector<std::string> calls = input.Calls();
        return std::count(calls.begin(), calls.end(), call);
    }

    RecordingPlatform platform;
    SharedInput input;
    FakeKeyboardHook hook;
    RunControl control{hook, input, platform};
    ScriptEngine engine;
    CommandServices services{input, platform, platform, nullptr, nullptr, nullptr};
};

TEST_F(RunControlTest, TheStopKeyReleasesHeldKeysWhileTheRunSitsInAMessageBox) {
    bool heldWhenOpened = false;
    bool releasedWhileOpen = false;
    platform.onMessageBox = [&] {
        heldWhenOpened =
            Count("SendKeyboardInput(17,down)") == 1 && Count("SendKeyboardInput(17,up)") == 0;
        hook.Press(kStopKey);
        releasedWhileOpen = input.WaitFor("SendKeyboardInput(17,up)", std::chrono::seconds(5));
    };
    const RunResult result = Run("按住(17)\r\n信息框(标题,内容)\r\n松开(17)\r\n特殊按键(65)");
    EXPECT_TRUE(heldWhenOpened);
    EXPECT_TRUE(releasedWhileOpen) << "the key stayed down while the message box was open";
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.line, 2);
    // Released once, and nothing after the box ran.
    EXPECT_EQ(Count("SendKeyboardInput(17,up)"), 1);
    EXPECT_EQ(Count("SendKeyboardInput(65,down)"), 0);
}

TEST_F(RunControlTest, WithoutTheStopKeyTheHeldKeyGoesUpWhenTheScriptLetsGo) {
    // The positive control: the same page, no stop: the key is held across the box and released
    // by the script's own 松开, then the page goes on.
    bool heldWhileOpen = false;
    platform.onMessageBox = [&] { heldWhileOpen = Count("SendKeyboardInput(17,up)") == 0; };
    const RunResult result = Run("按住(17)\r\n信息框(标题,内容)\r\n松开(17)\r\n特殊按键(65)");
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(Count("SendKeyboardInput(17,up)"), 1);
    EXPECT_EQ(Count("SendKeyboardInput(65,down)"), 1);
}

TEST_F(RunControlTest, ARunThatThrowsEndsAsFailedAndReleasesWhatItHeld) {
    platform.onMessageBox = [] { throw std::runtime_error("故障"); };
    const RunResult result = Run("按住(17)\r\n信息框(标题,内容)\r\n松开(17)");
    EXPECT_TRUE(result.Failed());
    EXPECT_EQ(result.failure, "故障");
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(Count("SendKeyboardInput(17,up)"), 1);
    // The control lives on: the next run goes to its end.
    platform.onMessageBox = nullptr;
    EXPECT_FALSE(Run("按住(18)\r\n松开(18)").Failed());
}

TEST_F(RunControlTest, ANewRunAfterTheStopKeepsItsKeys) {
    // The releaser lets go of what stopped runs hold, not of a run that started after the stop.
    platform.onMessageBox = [&] {
        hook.Press(kStopKey);
        input.WaitFor("SendKeyboardInput(17,up)", std::chrono::seconds(5));
    };
    Run("按住(17)\r\n信息框(a,b)");
    hook.Release(kStopKey);
    platform.onMessageBox = nullptr;
    control.Runs().ReleaseStopped();  // as the releaser would, late
    const RunResult second = Run("按住(18)\r\n延时(1)\r\n松开(18)");
    EXPECT_FALSE(second.stopped);
    EXPECT_EQ(Count("SendKeyboardInput(18,up)"), 1);
}

TEST_F(RunControlTest, AMessageBoxClosedByAnotherProgramEndsThePageThere) {
    // taskkill (or the session's end) closes every window of the program, the script's box too:
    // the page stops rather than go on with what came after the box. The user's own answer goes
    // on (the positive control).
    struct Case {
        int button;
        bool stopped;
        long pressedAfter;
    };
    for (const Case& c : {Case{kMessageBoxClosedFromOutside, true, 0}, Case{1, false, 1}}) {
        platform.messageBoxResult = c.button;
        const long before = Count("SendKeyboardInput(18,down)");
        const RunResult result = Run("信息框(标题,内容)\r\n按住(18)\r\n松开(18)");
        EXPECT_EQ(result.stopped, c.stopped) << c.button;
        EXPECT_EQ(Count("SendKeyboardInput(18,down)") - before, c.pressedAfter) << c.button;
    }
}

}  // namespace
}  // namespace kavo
