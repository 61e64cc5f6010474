#include "commands/builtin_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "native/input_calls.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Calls = std::vector<std::string>;

// Scripts are GBK; the tests write them readably and convert.
RuntimeText Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

struct BalloonCall {
    Point where;
    Utf8Text text;
};

// An engine holding the built-in commands, run against the recording fake.
class BuiltinCommandsTest : public ::testing::Test {
  protected:
    BuiltinCommandsTest()
        : services_{platform,
                    platform,
                    platform,
                    [this](Point where, const Utf8Text& text) {
                        balloons.push_back({where, text});
                    },
                    [this] { return boundProcess; },
                    [this](const Utf8Text& title, const Utf8Text& text) {
                        notices.push_back(title + "|" + text);
                    }} {
        AddBuiltinCommands(engine, services_);
        EngineHost host;
        host.reportFault = [this](const ScriptFault& fault) { faults.push_back(fault); };
        engine.SetHost(host);
    }

    void Run(const char* utf8Script) {
        platform.ClearCalls();
        engine.RunScript(Gbk(utf8Script));
        EXPECT_THAT(faults, IsEmpty()) << utf8Script;
    }

    // Calls the named command's handler directly, for its result.
    std::int32_t Invoke(const char* utf8Name, std::vector<const char*> utf8Arguments) {
        const std::int32_t position = engine.FindCommand(Gbk(utf8Name));
        const CommandEntry& entry = engine.Commands().at(static_cast<std::size_t>(position - 1));
        std::vector<RuntimeText> arguments;
        for (const char* argument : utf8Arguments) arguments.push_back(Gbk(argument));
        platform.ClearCalls();
        return engine.InvokeHandler(entry.handler, arguments, entry.argumentCount);
    }

    RecordingPlatform platform;
    ScriptEngine engine;
    Utf8Text boundProcess;
    std::vector<BalloonCall> balloons;
    std::vector<Utf8Text> notices;  // balloons at the notification-area icon: "title|text"
    std::vector<ScriptFault> faults;

  private:
    CommandServices services_;
};

TEST_F(BuiltinCommandsTest, EntersTheCommandsInOrderWithTheirArgumentCounts) {
    struct Expected {
        const char* gbkName;
        std::int32_t argumentCount;
        bool isLoop;
    };
    const Expected expected[] = {
        {"\xD0\xC5\xCF\xA2\xBF\xF2", 2, false},                  // 信息框
        {"\xCA\xF3\xB1\xEA", 1, false},                          // 鼠标
        {"\xD1\xD3\xCA\xB1", 1, false},                          // 延时
        {"\xCA\xF3\xB1\xEA\xCF\xFB\xCF\xA2", 5, false},          // 鼠标消息
        {"\xB0\xB4\xBC\xFC\xCF\xFB\xCF\xA2", 3, false},          // 按键消息
        {"\xCA\xF3\xB1\xEA\xD2\xC6\xB6\xAF", 2, false},          // 鼠标移动
        {"\xC6\xF8\xC7\xF2\xCC\xE1\xCA\xBE\xBF\xF2", 1, false},  // 气球提示框
        {"\xBC\xC6\xB4\xCE\xD1\xAD\xBB\xB7", 2, true},           // 计次循环
        {"\xB0\xB4\xBC\xFC", 2, false},                          // 按键
        {"\xD4\xCB\xD0\xD0", 1, false},                          // 运行
        {"\xCC\xD8\xCA\xE2\xB0\xB4\xBC\xFC", 1, false},          // 特殊按键
        // The words recording writes come after the eleven: every earlier position stands.
        {"\xCA\xF3\xB1\xEA\xB6\xA8\xCE\xBB", 2, false},  // 鼠标定位
        {"\xB0\xB4\xD7\xA1", 1, false},                  // 按住
        {"\xCB\xC9\xBF\xAA", 1, false},                  // 松开
        {"\xCB\xE6\xBB\xFA\xD1\xD3\xCA\xB1", 2, false},  // 随机延时
        {"\xB5\xC8\xB4\xFD\xB4\xB0\xBF\xDA", 2, false},  // 等待窗口
        {"\xBC\xA4\xBB\xEE\xB4\xB0\xBF\xDA", 1, false},  // 激活窗口
    };
    const auto& commands = engine.Commands();
    ASSERT_EQ(commands.size(), std::size(expected));
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].name, expected[i].gbkName) << "position " << i + 1;
        EXPECT_EQ(commands[i].argumentCount, expected[i].argumentCount) << commands[i].name;
        EXPECT_EQ(commands[i].isLoop, expected[i].isLoop) << commands[i].name;
        EXPECT_TRUE(commands[i].handler) << commands[i].name;
    }
    EXPECT_EQ(engine.FindCommand(Gbk("信息框")), 1);
    EXPECT_EQ(engine.FindCommand(Gbk("特殊按键")), 11);
    EXPECT_EQ(engine.FindCommand(Gbk("随机延时")), 15);
    EXPECT_EQ(engine.FindCommand(Gbk("计次循环尾")), 18);
}

TEST_F(BuiltinCommandsTest, EachStatementPerformsItsActionWithItsArgumentsConverted) {
    platform.cursor = {0, 0};
    struct Case {
        const char* script;
        Calls expected;
    };
    const Case cases[] = {
        {"鼠标(左键)",
         {"GetCursorPos", "GetCursorPos", "SetCursorPos(0,0)", "MouseEvent(LeftDown+LeftUp,0,0)",
          "SetCursorPos(0,0)"}},
        {"鼠标(右键)",
         {"GetCursorPos", "GetCursorPos", "SetCursorPos(0,0)", "MouseEvent(RightDown+RightUp,0,0)",
          "SetCursorPos(0,0)"}},
        // Compared byte for byte: surrounding spaces, half a word or another word do nothing.
        {"鼠标(左键 )", {}},
        {"鼠标( 右键)", {}},
        {"鼠标(左)", {}},
        {"鼠标(中)", {}},
        // The words recording writes: the middle button, a press and a release apart, the wheel.
        {"鼠标(中键)",
         {"GetCursorPos", "GetCursorPos", "SetCursorPos(0,0)",
          "MouseEvent(MiddleDown+MiddleUp,0,0)", "SetCursorPos(0,0)"}},
        {"鼠标(左键按下)", {"GetCursorPos", "MouseEvent(LeftDown,0,0)"}},
        {"鼠标(左键弹起)", {"GetCursorPos", "MouseEvent(LeftUp,0,0)"}},
        {"鼠标(右键按下)", {"GetCursorPos", "MouseEvent(RightDown,0,0)"}},
        {"鼠标(中键弹起)", {"GetCursorPos", "MouseEvent(MiddleUp,0,0)"}},
        {"鼠标(滚轮上)", {"MouseWheel(120)"}},
        {"鼠标(滚轮下)", {"MouseWheel(-120)"}},
        {"延时(100)", {"Wait(100)"}},
        {"延时(1.5e3)", {"Wait(1500)"}},
        {"延时(abc)", {"Wait(0)"}},
        {"鼠标消息(0,100,200,2,7)",
         {"GetDesktopWindow", "PostWindowMessage(65552,MouseMove,held=Right,0x00C80064)",
          "PostWindowMessage(65552,ContextMenu,0x000206AE,0x024702AD)"}},
        {"鼠标消息(1234,１００,2e2,0,3)",
         {"PostWindowMessage(1234,MouseMove,held=Right,0x00C80064)",
          "PostWindowMessage(1234,LeftButtonDown,held=Left,0x00C80064)"}},
        {"鼠标消息(1234,-1,0,5,0)",
         {"PostWindowMessage(1234,MouseWheel,held=Middle,turn=-120,0x017F0248)"}},
        {"按键消息(1234,65,3)", {"PostWindowMessage(1234,KeyDown,0x00000041,0x00000000)"}},
        {"按键消息(1234,65,5)",
         {"PostWindowMessage(1234,KeyDown,0x00000041,0x00000000)",
          "PostWindowMessage(1234,KeyUp,0x00000041,0x00000000)"}},
        {"按键消息(1234,65,,)", {}},  // an empty mode posts nothing
        {"按键消息(0,65,1)",
         {"PostWindowMessage(0,Character,0x00000041,0x00000000)"}},  // 0 stays 0
        {"鼠标移动(3,1)",
         {"GetCursorPos", "Wait(1)", "SetCursorPos(1,1)", "Wait(1)", "SetCursorPos(2,1)", "Wait(1)",
          "SetCursorPos(3,1)"}},
        {"鼠标移动(0,0)", {"GetCursorPos"}},
        {"按键(ab,10)",
         {"KeybdEvent(0x41,Down)", "KeybdEvent(0x41,Up)", "Wait(10)", "KeybdEvent(0x42,Down)",
          "KeybdEvent(0x42,Up)", "Wait(10)"}},
        {"按键(,10)", {}},
        // Read like atoi: 3.9e1 is 3, not 39.
        {"特殊按键(3.9e1)",
         {"CharacterOfKey(3)", "ScanCodeOfKey(3)", "GetTickCount",
          "SendKeyboardInput(vk=3,scan=0,Down,extended,time=1000)", "Wait(50)", "GetTickCount",
          "SendKeyboardInput(vk=3,scan=0,Up,extended,time=1001)", "Wait(50)"}},
        {"特殊按键(abc)",
         {"CharacterOfKey(0)", "ScanCodeOfKey(0)", "GetTickCount",
          "SendKeyboardInput(vk=0,scan=0,Down,extended,time=1002)", "Wait(50)", "GetTickCount",
          "SendKeyboardInput(vk=0,scan=0,Up,extended,time=1003)", "Wait(50)"}},
        {"特殊按键(６５)",
         {"CharacterOfKey(65)", "ScanCodeOfKey(65)", "GetTickCount",
          "SendKeyboardInput(vk=65,scan=30,Down,time=1004)", "Wait(50)", "GetTickCount",
          "SendKeyboardInput(vk=65,scan=30,Up,time=1005)", "Wait(50)"}},
        {"运行(notepad.exe a b.txt)", {"StartProcess(notepad.exe a b.txt,1000)"}},
        {"信息框(标题,你好，世界)", {"ShowMessageBox(你好，世界|标题|TaskModal)"}},
        {"信息框(,x)", {"ShowMessageBox(x||TaskModal)"}},
        {"鼠标定位(40,30)", {"SetCursorPos(40,30)"}},
        {"按住(17)",
         {"CharacterOfKey(17)", "ScanCodeOfKey(17)", "GetTickCount",
          "SendKeyboardInput(vk=17,scan=0,Down,extended,time=1006)"}},
        {"松开(17)",
         {"CharacterOfKey(17)", "ScanCodeOfKey(17)", "GetTickCount",
          "SendKeyboardInput(vk=17,scan=0,Up,extended,time=1007)"}},
    };
    for (const Case& c : cases) {
        Run(c.script);
        EXPECT_THAT(test::InputCalls(platform), ElementsAreArray(c.expected)) << c.script;
        platform.cursor = {0, 0};
    }
}

// The pauses a script made, in order.
Calls Waits(const RecordingPlatform& platform) {
    Calls waits;
    for (const std::string& call : test::InputCalls(platform))
        if (call.rfind("Wait(", 0) == 0) waits.push_back(call);
    return waits;
}

TEST_F(BuiltinCommandsTest, RandomDelayWaitsAWholeNumberBetweenItsTwoBoundsEitherWayRound) {
    struct Case {
        const char* script;
        Calls expected;
    };
    for (const Case& c : {
             Case{"随机延时(200,200)", {"Wait(200)"}},
             Case{"随机延时(１５,1.5e1)", {"Wait(15)"}},
             Case{"随机延时(abc,x)", {"Wait(0)"}},
         }) {
        Run(c.script);
        EXPECT_THAT(Waits(platform), ElementsAreArray(c.expected)) << c.script;
    }
    // Every value of the range comes up, and none outside it, in either order of the bounds.
    for (const char* script : {"随机延时(3,7)", "随机延时(7,3)"}) {
        std::set<std::string> seen;
        for (int i = 0; i < 300; ++i) {
            Run(script);
            const Calls waits = Waits(platform);
            ASSERT_EQ(waits.size(), 1u) << script;
            seen.insert(waits[0]);
        }
        EXPECT_THAT(seen, ElementsAre("Wait(3)", "Wait(4)", "Wait(5)", "Wait(6)", "Wait(7)"))
            << script;
    }
}

TEST_F(BuiltinCommandsTest, BalloonTipShowsTheTextAtTheCursorAndReturnsAtOnce) {
    platform.cursor = {321, 654};
    Run("气球提示框(<b>你好</b> & 1)");
    EXPECT_THAT(platform.calls, ElementsAre("GetCursorPos"));
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].where, (Point{321, 654}));
    EXPECT_EQ(balloons[0].text, "<b>你好</b> & 1");  // as written, in UTF-8
}

TEST_F(BuiltinCommandsTest, RunReportsWhetherTheProgramStartedAndShowsNothing) {
    platform.processStarts = [](const Utf8Text& line) { return line == "记事本.exe"; };
    EXPECT_EQ(Invoke("运行", {"记事本.exe"}), 1);
    EXPECT_THAT(platform.calls, ElementsAre("StartProcess(记事本.exe,1000)"));
    EXPECT_EQ(Invoke("运行", {"no such program.exe"}), 0);
    EXPECT_THAT(platform.calls, ElementsAre("StartProcess(no such program.exe,1000)"));
}

TEST_F(BuiltinCommandsTest, MessageBoxReturnsTheButtonThatClosedIt) {
    platform.messageBoxResult = 7;
    EXPECT_EQ(Invoke("信息框", {"t", "x"}), 7);
    EXPECT_THAT(platform.calls, ElementsAre("ShowMessageBox(x|t|TaskModal)"));
}

TEST_F(BuiltinCommandsTest, CountedLoopHandlerDoesNothingAndTheBlockRepeatsItsStatements) {
    Invoke("计次循环", {"3", "1"});
    EXPECT_THAT(platform.calls, IsEmpty());
    Run("计次循环(2,1)\r\n按键消息(9,1,2)\r\n计次循环尾(1)\r\n");
    EXPECT_THAT(test::InputCalls(platform),
                ElementsAre("PostWindowMessage(9,KeyDown,0x00000001,0x00000000)",
                            "PostWindowMessage(9,KeyDown,0x00000001,0x00000000)"));
}

TEST_F(BuiltinCommandsTest, StatementsRunInOrder) {
    platform.cursor = {5, 5};
    Run("鼠标移动(6,5)延时(20)\r\n按键消息(3,13,4)");
    EXPECT_THAT(test::InputCalls(platform),
                ElementsAre("GetCursorPos", "Wait(1)", "SetCursorPos(6,5)", "Wait(20)",
                            "PostWindowMessage(3,KeyUp,0x0000000D,0x00000000)"));
}

// --- windows named by a description ---

// The posted messages of the calls, the window lookups left out.
Calls Posts(const RecordingPlatform& platform) {
    return platform.CallsStartingWith({"PostWindowMessage", "GetDesktopWindow"});
}

class WindowDescriptionCommandsTest : public BuiltinCommandsTest {
  protected:
    WindowDescriptionCommandsTest() {
        platform.processes = {{4, 3000, "notepad.exe"}, {4, 3100, "kavo_fixture.exe"}};
        platform.windows = {{20, 3000, 2, "Notepad", "无标题 - 记事本", true},
                            {30, 3100, 3, "KavoFixtureWindow", "测试窗口", true}};
        platform.childWindows[30] = {{31, 3100, 3, "KavoFixtureChild", "子窗口1", true},
                                     {32, 3100, 3, "KavoFixtureChild", "子窗口2", true}};
        EngineHost host = engine.Host();
        host.statementGate = CurrentRunMayGoOn;
        engine.SetHost(host);
    }

    // Runs the script as a run of its own, the way the program runs it; returns its stop reason.
    Utf8Text RunAsRun(const char* utf8Script, bool* stopped = nullptr) {
        platform.ClearCalls();
        ScriptRun run(registry, platform, platform);
        engine.RunScript(Gbk(utf8Script));
        if (stopped != nullptr) *stopped = run.StopRequested();
        return run.StopReason();
    }

    RunRegistry registry;
};

TEST_F(WindowDescriptionCommandsTest, ADescriptionPostsExactlyWhatItsHandleWould) {
    struct Case {
        const char* byDescription;
        const char* byHandle;
    };
    for (const Case& c : {
             Case{"按键消息(进程:kavo_fixture.exe,66,5)", "按键消息(30,66,5)"},
             Case{"按键消息(进程：KAVO_FIXTURE.EXE,66,2)", "按键消息(30,66,2)"},
             Case{"按键消息(标题:测试窗口,200,1)", "按键消息(30,200,1)"},
             Case{"按键消息(标题:*记事本,65,1)", "按键消息(20,65,1)"},
             Case{"按键消息(类:notepad,13,4)", "按键消息(20,13,4)"},
             Case{"按键消息(进程:kavo_fixture.exe>类:KavoFixtureChild#2,66,5)",
                  "按键消息(32,66,5)"},
             Case{"鼠标消息(进程:kavo_fixture.exe,10,20,0,1)", "鼠标消息(30,10,20,0,1)"},
             Case{"鼠标消息(进程:kavo_fixture.exe;标题:测试*,10,20,2,2)", "鼠标消息(30,10,20,2,2)"},
             Case{"鼠标消息(进程:kavo_fixture.exe>类:KavoFixtureChild,5,6,4,0)",
                  "鼠标消息(31,5,6,4,0)"},
             // A GBK character's two bytes go to the same window, found twice.
             Case{"按键消息(标题:测试窗口,208,1)按键消息(标题:测试窗口,197,1)",
                  "按键消息(30,208,1)按键消息(30,197,1)"},
         }) {
        bool stopped = true;
        EXPECT_EQ(RunAsRun(c.byHandle), "");
        const Calls expected = Posts(platform);
        ASSERT_FALSE(expected.empty()) << c.byHandle;
        EXPECT_EQ(RunAsRun(c.byDescription, &stopped), "") << c.byDescription;
        EXPECT_FALSE(stopped) << c.byDescription;
        EXPECT_EQ(Posts(platform), expected) << c.byDescription;
        EXPECT_THAT(faults, IsEmpty());
    }
}

TEST_F(WindowDescriptionCommandsTest, AWindowRunAsAdministratorIsNamedOncePerRunAndStillGetsIt) {
    // The fixture's window and its children run as administrator; Notepad does not.
    platform.windowsAboveThisProcess = {30, 31};
    const Utf8Text said = "|" + ElevatedWindowText();
    struct Case {
        const char* script;
        std::vector<Utf8Text> notices;
        std::size_t posts;  // sent all the same: the system may let some through
    };
    const std::vector<Case> cases = {
        {"按键消息(30,66,5)", {"30" + said}, 2},
        {"按键消息(进程:kavo_fixture.exe,66,5)\r\n鼠标消息(30,1,2,1,1)\r\n按键消息(30,66,2)",
         {"进程:kavo_fixture.exe" + said},
         6},
        {"按键消息(20,66,5)\r\n鼠标消息(进程:kavo_fixture.exe>类:KavoFixtureChild,5,6,4,0)",
         {"进程:kavo_fixture.exe>类:KavoFixtureChild" + said},
         3},
        // Positive control beside the notices: a window at this program's level says nothing.
        {"按键消息(标题:*记事本,66,5)\r\n按键消息(20,66,2)", {}, 3},
        {"按键消息(0,66,5)", {}, 2},
    };
    for (const Case& c : cases) {
        notices.clear();
        EXPECT_EQ(RunAsRun(c.script), "") << c.script;
        EXPECT_EQ(notices, c.notices) << c.script;
        EXPECT_EQ(Posts(platform).size(), c.posts) << c.script;
    }
    // Every run says it once: the next run of the same page says it again.
    notices.clear();
    RunAsRun("按键消息(30,66,5)");
    RunAsRun("按键消息(30,66,5)");
    EXPECT_EQ(notices.size(), 2u);
}

// The mouse and keyboard events a run injected.
Calls Injections(const RecordingPlatform& platform) {
    return platform.CallsStartingWith(
        {"MouseEvent", "MouseWheel", "KeybdEvent", "SendKeyboardInput"});
}

TEST_F(WindowDescriptionCommandsTest,
       InputInjectedIntoAnAdministratorsForegroundWindowIsNamedOnce) {
    // The fixture's windows run as administrator; Notepad does not.
    platform.windowsAboveThisProcess = {30, 31, 32};
    const Utf8Text said = "进程:kavo_fixture.exe|" + ElevatedWindowText();
    const char* const inputs =
        "鼠标(左键)\r\n按键(ab,0)\r\n特殊按键(13)\r\n按住(17)\r\n松开(17)\r\n"
        "鼠标(滚轮下)\r\n鼠标(右键按下)\r\n鼠标(右键弹起)";
    struct Case {
        NativeWindow foreground;
        const char* script;
        std::vector<Utf8Text> notices;
    };
    const std::vector<Case> cases = {
        // Positive control: the same inputs into Notepad's window say nothing.
        {20, inputs, {}},
        {30, inputs, {said}},
        {0, inputs, {}},
        // One notice per run in all, shared with the posted messages' notice.
        {30, "按键消息(30,66,5)\r\n按键(a,0)", {"30|" + ElevatedWindowText()}},
        {30, "按键(a,0)\r\n按键消息(30,66,5)", {said}},
        // Placing the cursor is no input the system drops; the click after it is.
        {30, "鼠标移动(3,3)\r\n鼠标定位(5,5)", {}},
        {30, "鼠标定位(5,5)\r\n鼠标(左键)", {said}},
    };
    for (const Case& c : cases) {
        notices.clear();
        platform.foregroundWindow = c.foreground;
        EXPECT_EQ(RunAsRun(c.script), "") << c.script;
        EXPECT_EQ(notices, c.notices) << c.foreground << " " << c.script;
        // The input goes out all the same: the system may let some of it through.
        if (c.script == inputs) {
            EXPECT_EQ(Injections(platform).size(), 12u) << c.foreground;
        }
    }
    // Every run says it once: the next run says it again.
    notices.clear();
    RunAsRun("按键(a,0)");
    RunAsRun("按键(a,0)");
    EXPECT_EQ(notices.size(), 2u);
}

TEST_F(WindowDescriptionCommandsTest, TheForegroundsLevelIsAskedOncePerWindowAndProcessInARun) {
    // Notepad keeps the foreground for many keys: asked once.
    platform.foregroundWindow = 20;
    platform.runsAboveAsked = 0;
    RunAsRun("按键(abcdefgh,0)\r\n鼠标(左键)\r\n特殊按键(13)");
    EXPECT_EQ(platform.runsAboveAsked, 1);
    // A new run asks again.
    RunAsRun("按键(a,0)");
    EXPECT_EQ(platform.runsAboveAsked, 2);

    // The foreground moves during the waits: to another window of the same process (not asked
    // again), then to another process's window (asked), which runs as administrator.
    platform.windows.push_back({21, 3000, 2, "#32770", "另存为", true});
    platform.windowsAboveThisProcess = {30};
    // Each typed character is two events: after "aa" the foreground is 21, after "bb" 30.
    const auto moveForeground = [&] {
        const std::size_t events = Injections(platform).size();
        platform.foregroundWindow = events < 4 ? 20 : events < 8 ? 21 : 30;
    };
    platform.beforeWait = moveForeground;
    platform.onProcessPendingEvents = moveForeground;
    platform.foregroundWindow = 20;
    platform.runsAboveAsked = 0;
    notices.clear();
    RunAsRun("按键(aa,0)\r\n延时(20)\r\n按键(bb,0)\r\n延时(20)\r\n按键(cc,0)\r\n按键(dd,0)");
    EXPECT_EQ(platform.foregroundWindow, 30);
    EXPECT_EQ(Injections(platform).size(), 16u);
    EXPECT_EQ(platform.runsAboveAsked, 2);
    EXPECT_EQ(notices, std::vector<Utf8Text>{"进程:kavo_fixture.exe|" + ElevatedWindowText()});
}

TEST_F(WindowDescriptionCommandsTest, EachRunOfTheStatementLooksTheWindowUpAgain) {
    // The fixture "restarts" after the first round: the second round reaches its new window.
    int rounds = 0;
    EngineHost host = engine.Host();
    host.pump = [] {};
    engine.SetHost(host);
    platform.onProcessPendingEvents = [&] {
        if (++rounds == 1) platform.windows[1].window = 77;
    };
    RunAsRun("计次循环(2,1)\r\n按键消息(进程:kavo_fixture.exe,66,2)\r\n延时(1)\r\n计次循环尾(1)");
    EXPECT_THAT(Posts(platform),
                ElementsAre("PostWindowMessage(30,KeyDown,0x00000042,0x00000000)",
                            "PostWindowMessage(77,KeyDown,0x00000042,0x00000000)"));
}

TEST_F(WindowDescriptionCommandsTest, ANameThatMatchesNothingPostsNothingAndStopsTheRun) {
    // Positive control: the right name posts, and the statements after it run.
    bool stopped = true;
    EXPECT_EQ(RunAsRun("延时(1)\r\n按键消息(进程:notepad.exe,66,2)\r\n按键消息(9,67,2)", &stopped),
              "");
    EXPECT_FALSE(stopped);
    EXPECT_THAT(Posts(platform), ElementsAre("PostWindowMessage(20,KeyDown,0x00000042,0x00000000)",
                                             "PostWindowMessage(9,KeyDown,0x00000043,0x00000000)"));
    for (const char* wrong : {"进程:notpad.exe", "标题:无标题", "类:Notepad>类:Edit",
                              "进程:kavo_fixture.exe>类:KavoFixtureChild#3"}) {
        for (const char* command : {"按键消息", "鼠标消息"}) {
            const std::string statement =
                std::string(command) + "(" + wrong +
                (std::string(command) == "按键消息" ? ",66,2)" : ",1,2,0,1)");
            const std::string script = "延时(1)\r\n" + statement + "\r\n按键消息(9,67,2)";
            EXPECT_EQ(RunAsRun(script.c_str(), &stopped),
                      std::string("找不到窗口：") + wrong + "（第 2 行）")
                << statement;
            EXPECT_TRUE(stopped) << statement;
            EXPECT_THAT(Posts(platform), IsEmpty()) << statement;  // not to the desktop either
        }
    }
}

TEST_F(WindowDescriptionCommandsTest, TheTargetIsTheBoundProcesssWindowFoundAgain) {
    bool stopped = false;
    EXPECT_EQ(RunAsRun("按键消息(目标,66,2)", &stopped), "找不到窗口：目标（第 1 行）");
    EXPECT_TRUE(stopped);
    EXPECT_THAT(Posts(platform), IsEmpty());
    boundProcess = "KAVO_fixture.exe";
    EXPECT_EQ(RunAsRun("按键消息(目标,66,2)\r\n按键消息(目标>类:KavoFixtureChild,66,2)"), "");
    EXPECT_THAT(Posts(platform),
                ElementsAre("PostWindowMessage(30,KeyDown,0x00000042,0x00000000)",
                            "PostWindowMessage(31,KeyDown,0x00000042,0x00000000)"));
    platform.windows[1].window = 88;  // the bound program started again
    RunAsRun("按键消息(目标,66,2)");
    EXPECT_THAT(Posts(platform),
                ElementsAre("PostWindowMessage(88,KeyDown,0x00000042,0x00000000)"));
}

TEST_F(WindowDescriptionCommandsTest, AwaitingAWindowGoesOnOnceItIsThere) {
    // There already: no pause at all.
    EXPECT_EQ(RunAsRun("等待窗口(进程:notepad.exe,5000)\r\n按键消息(进程:notepad.exe,66,2)"), "");
    EXPECT_THAT(Waits(platform), IsEmpty());
    EXPECT_THAT(Posts(platform),
                ElementsAre("PostWindowMessage(20,KeyDown,0x00000042,0x00000000)"));
    // It shows during the third pause: three pauses of the polling interval, then the statements
    // after it reach it. With no limit (0) it is the same.
    for (const char* script : {"等待窗口(标题:新窗口,5000)\r\n按键消息(标题:新窗口,66,2)",
                               "等待窗口(标题:新窗口,0)\r\n按键消息(标题:新窗口,66,2)"}) {
        platform.windows.resize(2);
        int looks = 0;
        platform.beforeWait = [&] {
            if (++looks == 3) platform.windows.push_back({40, 3000, 2, "New", "新窗口", true});
        };
        bool stopped = true;
        EXPECT_EQ(RunAsRun(script, &stopped), "") << script;
        EXPECT_FALSE(stopped) << script;
        EXPECT_THAT(Waits(platform), ElementsAre("Wait(100)", "Wait(100)", "Wait(100)")) << script;
        EXPECT_THAT(Posts(platform),
                    ElementsAre("PostWindowMessage(40,KeyDown,0x00000042,0x00000000)"))
            << script;
    }
    platform.beforeWait = nullptr;
}

TEST_F(WindowDescriptionCommandsTest, AwaitingAWindowThatNeverShowsStopsTheRunWhenTheTimeIsUp) {
    // Positive control: the same script with the window there runs to its end.
    platform.windows.push_back({40, 3000, 2, "New", "新窗口", true});
    const char* script = "延时(1)\r\n等待窗口(标题:新窗口,250)\r\n按键消息(9,67,2)";
    EXPECT_EQ(RunAsRun(script), "");
    EXPECT_THAT(Posts(platform), ElementsAre("PostWindowMessage(9,KeyDown,0x00000043,0x00000000)"));
    platform.windows.pop_back();
    bool stopped = false;
    EXPECT_EQ(RunAsRun(script, &stopped), "等了 250 毫秒，窗口没有出现：标题:新窗口（第 2 行）");
    EXPECT_TRUE(stopped);
    EXPECT_THAT(Waits(platform), ElementsAre("Wait(1)", "Wait(100)", "Wait(100)", "Wait(50)"));
    EXPECT_THAT(Posts(platform), IsEmpty());
}

TEST_F(WindowDescriptionCommandsTest, AwaitingAWindowWithoutLimitEndsWithTheStopKey) {
    ScriptRun* running = nullptr;
    int looks = 0;
    platform.beforeWait = [&] {
        if (++looks == 20 && running != nullptr) running->RequestStop();
    };
    platform.ClearCalls();
    ScriptRun run(registry, platform, platform);
    running = &run;
    engine.RunScript(Gbk("等待窗口(标题:新窗口,0)\r\n按键消息(9,67,2)"));
    platform.beforeWait = nullptr;
    EXPECT_TRUE(run.StopRequested());
    // Nineteen whole pauses; the stop cuts the twentieth short.
    const Calls waits = Waits(platform);
    EXPECT_THAT(waits, ::testing::Contains("Wait(100)").Times(19))
        << ::testing::PrintToString(waits);
    EXPECT_THAT(waits.size(), ::testing::AllOf(::testing::Ge(19u), ::testing::Le(21u)));
    EXPECT_THAT(Posts(platform), IsEmpty());
}

TEST_F(WindowDescriptionCommandsTest, ActivatingAWindowBringsItsTopLevelWindowToTheFrontFirst) {
    struct Case {
        const char* script;
        NativeWindow asked;
        NativeWindow foreground;
    };
    for (const Case& c : {
             Case{"激活窗口(进程:notepad.exe)\r\n特殊按键(13)", 20, 20},
             Case{"激活窗口(20)\r\n特殊按键(13)", 20, 20},
             Case{"激活窗口(标题:测试窗口)\r\n特殊按键(13)", 30, 30},
             Case{"激活窗口(进程:kavo_fixture.exe>类:KavoFixtureChild#2)\r\n特殊按键(13)", 32, 30},
         }) {
        platform.foregroundWindow = 0;
        bool stopped = true;
        EXPECT_EQ(RunAsRun(c.script, &stopped), "") << c.script;
        EXPECT_FALSE(stopped) << c.script;
        EXPECT_EQ(platform.foregroundWindow, c.foreground) << c.script;
        // The window is in front, and the switch has had a moment, before the key is pressed.
        Calls order;
        for (const std::string& call : test::InputCalls(platform))
            for (const char* kind : {"ActivateWindow(", "Wait(", "SendKeyboardInput(vk=13,"})
                if (call.rfind(kind, 0) == 0) order.push_back(call.substr(0, call.find(',')));
        EXPECT_THAT(order, ElementsAre("ActivateWindow(" + std::to_string(c.asked) + ")",
                                       "Wait(100)", "SendKeyboardInput(vk=13", "Wait(50)",
                                       "SendKeyboardInput(vk=13", "Wait(50)"))
            << c.script;
    }
}

TEST_F(WindowDescriptionCommandsTest, AWindowThatCannotBeActivatedStopsTheRunBeforeTheKeys) {
    // Positive control: the same script goes on when the window comes to the front.
    const char* script = "延时(1)\r\n激活窗口(进程:notepad.exe)\r\n特殊按键(13)";
    EXPECT_EQ(RunAsRun(script), "");
    EXPECT_FALSE(platform.CallsStartingWith({"SendKeyboardInput(vk=13,"}).empty());
    platform.activationRefused = true;
    bool stopped = false;
    EXPECT_EQ(RunAsRun(script, &stopped), "无法把窗口切换到前台：进程:notepad.exe（第 2 行）");
    EXPECT_TRUE(stopped);
    EXPECT_THAT(platform.CallsStartingWith({"SendKeyboardInput(vk=13,"}), IsEmpty());
    // A window whose thread does not answer says so, and nothing after it runs either.
    platform.activationRefused = false;
    platform.activationNotAnswered = true;
    platform.ClearCalls();
    EXPECT_EQ(RunAsRun(script, &stopped), "窗口没有响应：进程:notepad.exe（第 2 行）");
    EXPECT_TRUE(stopped);
    EXPECT_THAT(platform.CallsStartingWith({"SendKeyboardInput(vk=13,"}), IsEmpty());
    platform.activationNotAnswered = false;
    // A description that names no window asks for nothing.
    EXPECT_EQ(RunAsRun("激活窗口(进程:notpad.exe)\r\n特殊按键(13)", &stopped),
              "找不到窗口：进程:notpad.exe（第 1 行）");
    EXPECT_THAT(platform.CallsStartingWith({"ActivateWindow(", "SendKeyboardInput(vk=13,"}),
                IsEmpty());
}

TEST_F(WindowDescriptionCommandsTest, AnUnsoundDescriptionIsAScriptErrorOfTheCheck) {
    struct Case {
        const char* script;
        int line;
        const char* problem;
    };
    for (const Case& c : {
             Case{"延时(1)\r\n按键消息(进程:notepad.exe;窗口:x,66,2)", 2, "“窗口”不是关键词"},
             Case{"鼠标消息(进程:,1,2,0,1)", 1, "“进程:”后面没有内容"},
             Case{"延时(1)\r\n延时(1)\r\n鼠标消息(进程:a.exe>,1,2,0,1)", 3, "空的部分"},
             Case{"等待窗口(进程:,100)", 1, "“进程:”后面没有内容"},
             // A handle is there or not: 等待窗口 waits for a description only.
             Case{"延时(1)\r\n等待窗口(1234,100)", 2, "等待窗口的第一个参数要写窗口描述"},
             Case{"等待窗口(进程:notepad.exe)", 1, "等待窗口需要2个参数，这里只有1个"},
             Case{"激活窗口(标题:)", 1, "“标题:”后面没有内容"},
         }) {
        faults.clear();
        platform.ClearCalls();
        engine.RunScript(Gbk(c.script));
        EXPECT_THAT(test::InputCalls(platform), IsEmpty()) << c.script;  // nothing ran
        ASSERT_EQ(faults.size(), 1u) << c.script;
        EXPECT_EQ(faults[0].line, c.line) << c.script;
        EXPECT_THAT(faults[0].message, ::testing::HasSubstr(c.problem)) << c.script;
    }
    // Arguments that are no description mean what they always did: a handle (0: as 0 for
    // keys, the desktop for the mouse).
    faults.clear();
    Run("按键消息(进程,66,2)\r\n按键消息(目标 ,66,2)\r\n按键消息(1234,66,2)\r\n"
        "鼠标消息(窗口:x,1,2,0,3)");
    EXPECT_THAT(
        Posts(platform),
        ElementsAre("PostWindowMessage(0,KeyDown,0x00000042,0x00000000)",
                    "PostWindowMessage(0,KeyDown,0x00000042,0x00000000)",
                    "PostWindowMessage(1234,KeyDown,0x00000042,0x00000000)", "GetDesktopWindow",
                    "PostWindowMessage(65552,MouseMove,held=Right,0x00020001)",
                    "PostWindowMessage(65552,LeftButtonDown,held=Left,0x00020001)"));
}

}  // namespace
}  // namespace kavo
