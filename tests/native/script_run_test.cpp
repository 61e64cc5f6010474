// Ending runs: a stop reaches every wait and every statement, and whatever a run holds is
// released in reverse order however it ends; GBK character posts pair lead and trail bytes.
#include "commands/script_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>

#include "commands/builtin_commands.h"
#include "commands/keyboard_actions.h"
#include "commands/run_input.h"
#include "commands/run_texts.h"
#include "engine/script_engine.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The input and message calls a run made, without reads, waits and its wake event.
std::vector<std::string> Actions(const RecordingPlatform& platform) {
    return platform.CallsStartingWith(
        {"KeybdEvent", "SendKeyboardInput", "MouseEvent", "SetCursorPos", "PostWindowMessage"});
}

// An engine with the built-in commands and the gate a real run uses.
class RunningScripts : public ::testing::Test {
  protected:
    RunningScripts() : services_{platform, platform, platform, nullptr} {
        AddBuiltinCommands(engine, services_);
        EngineHost host;
        host.statementGate = CurrentRunMayGoOn;
        host.reportFault = [](const ScriptFault& fault) { FAIL() << fault.message; };
        engine.SetHost(host);
    }

    // Runs the script as one run. When stopWhen is given, every run is stopped the first time
    // it holds at a wait or a dispatch of messages, as the stop key pressed meanwhile does.
    void Run(const char* utf8Script, const std::function<bool()>& stopWhen = nullptr) {
        bool stopped = false;
        const auto check = [&] {
            if (!stopped && stopWhen && stopWhen()) {
                stopped = true;
                registry.StopAll();
            }
        };
        platform.beforeWait = check;
        platform.onProcessPendingEvents = check;
        {
            ScriptRun run(registry, platform, platform);
            engine.RunScript(Utf8ToGbk(utf8Script));
            line = run.Line();
        }
        platform.beforeWait = nullptr;
        platform.onProcessPendingEvents = nullptr;
    }
    std::size_t Count(const std::string& prefix) const {
        return platform.CallsStartingWith({prefix}).size();
    }

    RecordingPlatform platform;
    RunRegistry registry;
    ScriptEngine engine;
    int line = 0;

  private:
    CommandServices services_;
};

TEST_F(RunningScripts, AStopEndsEachKindOfWaitAtOnceAndTheRunAfterIt) {
    struct Case {
        const char* script;
        std::function<bool()> stopWhen;
        std::vector<std::string> actions;  // what happened up to the stop, and nothing after
        int line;
        std::uint64_t waitedBeforeStop = 0;  // microseconds of waits that ended before the stop
    };
    const Case cases[] = {
        {"延时(3600000)\n鼠标消息(5,1,1,1,3)", [] { return true; }, {}, 1},
        // The glide stops where it is; the cursor is placed no further.
        {"鼠标移动(100,0)\n延时(10)",
         [this] { return platform.cursor.x == 2; },
         {"SetCursorPos(1,0)", "SetCursorPos(2,0)"},
         1},
        // Typing with a long interval stops in the wait after the second key.
        {"按键(abc,60000)",
         [this] { return Count("KeybdEvent") == 4; },
         {"KeybdEvent(0x41,Down)", "KeybdEvent(0x41,Up)", "KeybdEvent(0x42,Down)",
          "KeybdEvent(0x42,Up)"},
         1,
         60000000},
        // Inside the hold of 特殊按键 the key is let go at once.
        {"延时(1)\n特殊按键(65)\n特殊按键(66)",
         [this] { return Count("SendKeyboardInput") == 1; },
         {"SendKeyboardInput(vk=65,scan=30,Down,time=1000)",
          "SendKeyboardInput(vk=65,scan=30,Up,time=1001)"},
         2},
        // A counted block of posts with a wait in it ends in the round it was in.
        {"计次循环(100000,1)\n按键消息(9,65,2)\n延时(20)\n计次循环尾(1)",
         [this] { return Count("PostWindowMessage") == 3; },
         {"PostWindowMessage(9,KeyDown,0x00000041,0x00000000)",
          "PostWindowMessage(9,KeyDown,0x00000041,0x00000000)",
          "PostWindowMessage(9,KeyDown,0x00000041,0x00000000)"},
         3},
    };
    for (const Case& c : cases) {
        platform.ClearCalls();
        platform.nowMicroseconds = 0;
        platform.cursor = {0, 0};
        Run(c.script, c.stopWhen);
        EXPECT_EQ(Actions(platform), c.actions) << c.script;
        EXPECT_EQ(line, c.line) << c.script;
        // The stopped wait slept no further: the clock moved only for the waits before it.
        EXPECT_LT(platform.nowMicroseconds, c.waitedBeforeStop + 200000u) << c.script;
    }
}

TEST_F(RunningScripts, WithoutAStopEveryWaitRunsItsCourse) {
    // Positive control for the test above: the same kinds of script run to their end.
    Run("延时(3600000)\n鼠标消息(5,1,1,1,3)");
    EXPECT_GE(platform.nowMicroseconds, 3600000000u);
    EXPECT_THAT(Actions(platform),
                ElementsAre("PostWindowMessage(5,MouseMove,held=Right,0x00010001)",
                            "PostWindowMessage(5,LeftButtonDown,held=Left,0x00010001)"));
    EXPECT_EQ(line, 2);
    platform.ClearCalls();
    platform.cursor = {0, 0};
    Run("鼠标移动(100,0)\n按键(abc,60000)");
    EXPECT_EQ(Count("SetCursorPos"), 100u);
    EXPECT_EQ(Count("KeybdEvent"), 6u);
}

TEST_F(RunningScripts, AStopEndsALongBlockWithoutWaitsBetweenTwoStatements) {
    // Nothing in the block waits: the stop arrives while a message is dispatched, as on the
    // user-interface thread when the stop key's message is handled.
    int posts = 0;
    engine.AddCommand(
        Utf8ToGbk("数"),
        [&](const std::vector<RuntimeText>&) {
            if (++posts == 1000) platform.ProcessPendingEvents();
            return 0;
        },
        0);
    Run("计次循环(100000000,1)\n数()\n计次循环尾(1)", [] { return true; });
    EXPECT_EQ(posts, 1000);
    EXPECT_EQ(line, 2);
}

TEST_F(RunningScripts, ARunThatCannotGoOnStopsWithItsReasonAndAStopFromOutsideHasNone) {
    {
        ScriptRun run(registry, platform, platform);
        EXPECT_EQ(run.StopReason(), "");
        run.StopBecause("找不到窗口");
        EXPECT_TRUE(run.StopRequested());
        EXPECT_EQ(run.StopReason(), "找不到窗口");
        EXPECT_FALSE(CurrentRunMayGoOn(2));  // the next statement does not run
    }
    {
        ScriptRun run(registry, platform, platform);
        registry.StopAll();  // F12 first: the stop is the user's
        run.StopBecause("找不到窗口");
        EXPECT_TRUE(run.StopRequested());
        EXPECT_EQ(run.StopReason(), "");
    }
}

TEST_F(RunningScripts, AStopReachesOnlyTheRunsGoingOn) {
    registry.StopAll();  // nothing runs: nothing to stop, and nothing stays stopped
    Run("延时(5)");
    EXPECT_EQ(platform.nowMicroseconds, 5000u);
    EXPECT_EQ(registry.ActiveRuns(), 0);
}

// A message box that the user answers only after pressing the stop key.
class StopWhileTheBoxIsOpen : public RecordingPlatform {
  public:
    RunRegistry* registry = nullptr;
    int ShowMessageBox(const Utf8Text& text, const Utf8Text& caption,
                       MessageBoxOptions options) override {
        registry->StopAll();
        return RecordingPlatform::ShowMessageBox(text, caption, options);
    }
};

TEST(RunningScriptsWithABox, AnOpenMessageBoxStaysUntilClosedAndTheRunEndsAfterIt) {
    StopWhileTheBoxIsOpen platform;
    RunRegistry registry;
    platform.registry = &registry;
    ScriptEngine engine;
    const CommandServices services{platform, platform, platform, nullptr};
    AddBuiltinCommands(engine, services);
    engine.SetHost({.statementGate = CurrentRunMayGoOn});
    int line = 0;
    {
        ScriptRun run(registry, platform, platform);
        engine.RunScript(Utf8ToGbk("按键消息(9,65,2)\n信息框(标题,内容)\n按键消息(9,66,2)"));
        line = run.Line();
    }
    // The box was shown and answered; nothing after it ran.
    EXPECT_EQ(platform.CallsStartingWith({"ShowMessageBox"}).size(), 1u);
    EXPECT_THAT(Actions(platform),
                ElementsAre("PostWindowMessage(9,KeyDown,0x00000041,0x00000000)"));
    EXPECT_EQ(line, 2);
}

TEST(RunActivity, TheObserverHearsTheFirstStartAndTheLastEnd) {
    RecordingPlatform platform;
    RunRegistry registry;
    std::vector<int> seen;
    registry.SetActivityObserver([&] { seen.push_back(registry.ActiveRuns()); });
    {
        ScriptRun outer(registry, platform, platform);
        {
            ScriptRun nested(registry, platform, platform);  // a run inside the other's wait
            EXPECT_EQ(CurrentRun(), &nested);
        }
        EXPECT_EQ(CurrentRun(), &outer);
    }
    EXPECT_EQ(CurrentRun(), nullptr);
    EXPECT_THAT(seen, ElementsAre(1, 0));
}

// Presses a key with keybd_event, the left button, and Shift with SendInput, in that order.
void PressThree(InputPort& input) {
    input.KeybdEvent(0x41, KeyDirection::Down);
    input.MouseEvent(MouseButtonChange::LeftDown, 0, 0);
    input.SendKeyboardInput({.virtualKey = keys::kShift, .scanCode = 42, .time = 7});
}

const std::vector<std::string> kThreeReleasedInReverse = {
    "SendKeyboardInput(vk=16,scan=42,Up,time=0)", "MouseEvent(LeftUp,0,0)", "KeybdEvent(0x41,Up)"};

TEST(HeldInput, IsReleasedInReverseOrderHoweverTheRunEnds) {
    enum class End { Finished, Stopped, Failed, ProcessClosing };
    for (const End end : {End::Finished, End::Stopped, End::Failed, End::ProcessClosing}) {
        RecordingPlatform platform;
        RunRegistry registry;
        RunInput input(platform);
        try {
            ScriptRun run(registry, platform, platform);
            PressThree(input);
            EXPECT_EQ(run.Held().size(), 3u);
            platform.ClearCalls();
            if (end == End::Stopped) registry.StopAll();
            if (end == End::Failed) throw std::runtime_error("a handler failed");
            if (end == End::ProcessClosing) {
                // The closing thread releases at once; the run's own end finds nothing left.
                registry.StopAndReleaseAll();
                EXPECT_EQ(Actions(platform), kThreeReleasedInReverse);
                EXPECT_THAT(run.Held(), IsEmpty());
                platform.ClearCalls();
            }
        } catch (const std::runtime_error&) {
        }
        if (end == End::ProcessClosing)
            EXPECT_THAT(Actions(platform), IsEmpty());
        else
            EXPECT_EQ(Actions(platform), kThreeReleasedInReverse) << static_cast<int>(end);
    }
}

TEST(HeldInput, WhatTheScriptReleasedItselfIsNotReleasedAgain) {
    RecordingPlatform platform;
    RunRegistry registry;
    RunInput input(platform);
    {
        ScriptRun run(registry, platform, platform);
        PressThree(input);
        // Shift let go another way than it was pressed
        input.KeybdEvent(keys::kShift, KeyDirection::Up);
        // A click, down and up at once, holds nothing new.
        input.MouseEvent(MouseButtonChange::LeftDown | MouseButtonChange::LeftUp, 0, 0);
        input.MouseEvent(MouseButtonChange::LeftUp, 0, 0);
        input.KeybdEvent(0x41, KeyDirection::Down);  // pressed twice, one key to release
        platform.ClearCalls();
    }
    EXPECT_THAT(Actions(platform), ElementsAre("KeybdEvent(0x41,Up)"));
}

TEST(HeldInput, AStoppedRunSendsNothingNewButLetsGoOfWhatItHolds) {
    RecordingPlatform platform;
    RunRegistry registry;
    RunInput input(platform);
    ScriptRun run(registry, platform, platform);
    input.KeybdEvent(0x41, KeyDirection::Down);
    registry.StopAll();
    platform.ClearCalls();
    input.KeybdEvent(0x42, KeyDirection::Down);
    input.KeybdEvent(0x42, KeyDirection::Up);  // not held by the run: a user may be holding it
    input.SendKeyboardInput({.virtualKey = 0x43});
    input.MouseEvent(MouseButtonChange::LeftDown | MouseButtonChange::LeftUp, 1, 1);
    input.SetCursorPos(3, 3);
    input.PostWindowMessage(5, {.message = WindowMessage::KeyDown, .value = 65});
    input.KeybdEvent(0x41, KeyDirection::Up);
    EXPECT_THAT(Actions(platform), ElementsAre("KeybdEvent(0x41,Up)"));
    EXPECT_THAT(run.Held(), IsEmpty());
}

TEST(HeldInput, OutsideARunCallsOnlyPassThrough) {
    RecordingPlatform platform;
    RunInput input(platform);
    PressThree(input);
    EXPECT_EQ(Actions(platform).size(), 3u);
    EXPECT_EQ(CurrentRun(), nullptr);
}

// --- GBK character posts ---

std::string Char(NativeWindow window, std::uint32_t character) {
    char text[64];
    std::snprintf(text, sizeof text, "PostWindowMessage(%lld,Character,0x%08X,0x00000000)",
                  static_cast<long long>(window), character);
    return text;
}

// Injecting a key waits for the keyboard watch's hook, whose stop key takes the list of runs:
// the releases of the stop-and-release must go out after that list is let go.
class InputThatStopsMeanwhile : public RecordingPlatform {
  public:
    RunRegistry* registry = nullptr;
    bool stopGotThrough = true;
    void KeybdEvent(KeyCode code, KeyDirection direction) override {
        RecordingPlatform::KeybdEvent(code, direction);
        if (registry == nullptr) return;
        // The stop key pressed on the hook's thread while this key is injected.
        auto stop = std::async(std::launch::async, [this] { registry->StopAll(); });
        stopGotThrough =
            stopGotThrough && stop.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    }
};

TEST(HeldInput, TheReleasesOfAStopAndReleaseGoOutWithoutHoldingTheListOfRuns) {
    InputThatStopsMeanwhile platform;
    RunRegistry registry;
    ScriptRun run(registry, platform, platform);
    RunInput input(platform);
    input.KeybdEvent(0x41, KeyDirection::Down);
    platform.registry = &registry;
    registry.StopAndReleaseAll();
    platform.registry = nullptr;
    EXPECT_TRUE(platform.stopGotThrough);
    EXPECT_THAT(Actions(platform), ElementsAre("KeybdEvent(0x41,Down)", "KeybdEvent(0x41,Up)"));
    EXPECT_TRUE(run.StopRequested());
}

TEST_F(RunningScripts, OnceClosingHasBegunNoRunStarts) {
    // Positive control: before closing, the script runs.
    Run("鼠标移动(5,5)");
    EXPECT_EQ(Count("SetCursorPos"), 5u);
    registry.BeginClosing();
    EXPECT_TRUE(registry.Closing());
    platform.ClearCalls();
    Run("鼠标移动(9,9)");
    EXPECT_EQ(Count("SetCursorPos"), 0u);
    EXPECT_EQ(registry.ActiveRuns(), 0);
}

TEST(CharacterPosts, ALeadByteAndTheNextTrailByteToTheSameWindowMakeOneCharacter) {
    struct Case {
        const char* what;
        std::vector<std::pair<NativeWindow, int>> posts;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"信 from 208 then 197", {{7, 208}, {7, 197}}, {Char(7, 0x4FE1)}},
        {"a trail byte in the ASCII range", {{7, 0xD0}, {7, 0x41}}, {Char(7, 0x8825)}},
        {"the pair in one code", {{7, 0xD0C5}}, {Char(7, 0x4FE1)}},
        {"another window's post comes between",
         {{7, 208}, {8, 65}, {7, 197}},
         {Char(8, 'A'), Char(7, 0x4FE1)}},
        {"a lead byte followed by no trail byte goes out alone",
         {{7, 208}, {7, 0x20}, {7, 197}},
         {Char(7, 0xFFFD), Char(7, 0x20), Char(7, 0xFFFD)}},
        {"a lead byte that can trail pairs with the one before",
         {{7, 0xB0}, {7, 0xD0}, {7, 0xC5}},
         {Char(7, 0x9776), Char(7, 0xFFFD)}},
        {"ASCII and codes beyond a byte stay as they are",
         {{7, 65}, {7, 0x1234}, {7, -1}},
         {Char(7, 'A'), Char(7, 0x1234), Char(7, 0xFFFFFFFF)}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        RunRegistry registry;
        {
            ScriptRun run(registry, platform, platform);
            for (const auto& [window, code] : c.posts) PostKeyMessage(platform, window, code, 1);
        }
        EXPECT_EQ(platform.CallsStartingWith({"PostWindowMessage"}), c.expected) << c.what;
    }
}

TEST(CharacterPosts, ALeadByteLeftAtTheEndGoesOutAloneUnlessTheRunWasStopped) {
    for (const bool stopped : {false, true}) {
        RecordingPlatform platform;
        RunRegistry registry;
        RunInput input(platform);
        {
            ScriptRun run(registry, platform, platform);
            PostKeyMessage(input, 7, 208, 1);
            EXPECT_THAT(platform.CallsStartingWith({"PostWindowMessage"}), IsEmpty());
            if (stopped) registry.StopAll();
        }
        if (stopped)
            EXPECT_THAT(platform.CallsStartingWith({"PostWindowMessage"}), IsEmpty());
        else
            EXPECT_THAT(platform.CallsStartingWith({"PostWindowMessage"}),
                        ElementsAre(Char(7, 0xFFFD)));
    }
}

TEST(CharacterPosts, KeyMessagesAndLoneBytesFromOneHundredTwentyEight) {
    RecordingPlatform platform;
    RunRegistry registry;
    {
        ScriptRun run(registry, platform, platform);
        PostKeyMessage(platform, 7, 0x80, 1);  // the euro sign of code page 936
        PostKeyMessage(platform, 7, 0xFF, 1);  // no character in code page 936
        PostKeyMessage(platform, 7, 208, 2);   // a key code, not a character: as it stands
    }
    EXPECT_THAT(platform.CallsStartingWith({"PostWindowMessage"}),
                ElementsAre(Char(7, 0x20AC), Char(7, 0xFFFD),
                            "PostWindowMessage(7,KeyDown,0x000000D0,0x00000000)"));
}

// --- what the user is told ---

TEST(RunTexts, TheStopBalloonNamesTheLineAsWritten) {
    const RuntimeText script = Utf8ToGbk("信息框(a,b)\r\n  延时(60000)  \r\n\r\n按键(x,1)");
    EXPECT_EQ(StoppedText(script, 2), "停在第 2 行：延时(60000)");
    EXPECT_EQ(StoppedText(script, 4), "停在第 4 行：按键(x,1)");
    EXPECT_EQ(StoppedText(script, 0), "脚本在第一条语句之前停止。");
    const RuntimeText longLine = Utf8ToGbk("延时(1)" + std::string(200, ' ') + "信息框(长,长)");
    const Utf8Text shown = StoppedText(longLine + "\r\n" + longLine, 2);
    EXPECT_LT(shown.size(), 200u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "…");
    EXPECT_EQ(RunningTip("F12"), "KAVO脚本助手 - 运行中，按 F12 停止");
}

TEST(RunTexts, AWindowNotFoundNamesTheDescriptionAndTheLine) {
    EXPECT_EQ(WindowNotFoundText(Utf8ToGbk("进程:notepad.exe"), 3),
              "找不到窗口：进程:notepad.exe（第 3 行）");
    const Utf8Text shown = WindowNotFoundText(Utf8ToGbk("标题:" + std::string(300, 'x')), 12);
    EXPECT_LT(shown.size(), 200u);
    EXPECT_THAT(shown, testing::EndsWith("…（第 12 行）"));
}

TEST(RunTexts, ALineSpanCountsEachCharacterAndEachLineBreakAsOne) {
    // 信息 is two characters of two bytes each; CR LF is one position.
    const RuntimeText text = Utf8ToGbk("信息框(a)\r\nab\r\n\r\n延时(5)");
    EXPECT_EQ(LineSpan(text, 1), (EditorSpan{0, 6}));
    EXPECT_EQ(LineSpan(text, 2), (EditorSpan{7, 9}));
    EXPECT_EQ(LineSpan(text, 3), (EditorSpan{10, 10}));
    EXPECT_EQ(LineSpan(text, 4), (EditorSpan{11, 16}));
    EXPECT_EQ(LineSpan(text, 5), std::nullopt);
    EXPECT_EQ(LineSpan(text, 0), std::nullopt);
    EXPECT_EQ(LineSpan(Utf8ToGbk("a\nb"), 2), (EditorSpan{2, 3}));  // LF alone
}

}  // namespace
}  // namespace kavo

namespace kavo {
namespace {

TEST(ProcessFailure, EveryRunOfEveryRegistryLetsGoOfWhatItHolds) {
    RecordingPlatform platform;
    RunRegistry first;
    RunRegistry second;
    {
        ScriptRun outer(first, platform, platform);
        outer.NotePressed({.way = HeldInput::Way::VirtualKey, .key = 17});
        ScriptRun inner(second, platform, platform);
        inner.NotePressed(
            {.way = HeldInput::Way::MouseButton, .release = MouseButtonChange::LeftUp});
        platform.ClearCalls();
        ReleaseEverythingHeldInProcess();
        EXPECT_THAT(Actions(platform),
                    ElementsAre("KeybdEvent(0x11,Up)", "MouseEvent(LeftUp,0,0)"));
        EXPECT_TRUE(outer.StopRequested());
        EXPECT_TRUE(inner.StopRequested());
        platform.ClearCalls();
    }
    // Released once: the runs' own ends find nothing left.
    EXPECT_THAT(Actions(platform), IsEmpty());
}

}  // namespace
}  // namespace kavo
