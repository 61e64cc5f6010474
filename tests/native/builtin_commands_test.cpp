#include "commands/builtin_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
        : services_{platform, platform, platform, [this](Point where, const Utf8Text& text) {
                        balloons.push_back({where, text});
                    }} {
        AddBuiltinCommands(engine, services_);
        engine.SetFaultReporter([this](const ScriptFault& fault) { faults.push_back(fault); });
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
    std::vector<BalloonCall> balloons;
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
    EXPECT_EQ(engine.FindCommand(Gbk("计次循环尾")), 15);
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

}  // namespace
}  // namespace kavo
