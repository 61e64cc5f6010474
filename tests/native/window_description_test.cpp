#include "target_window/window_description.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/fake/recording_platform.h"
#include "target_window/target_window.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using Kind = WindowCondition::Kind;

// Scripts are GBK; the tests write them readably and convert.
RuntimeText Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(WindowDescriptionTest, OnlyKeyWordsWithAColonOrTheWordTargetMakeADescription) {
    struct Case {
        const char* argument;
        bool description;
    };
    for (const Case& c : {
             Case{"进程:notepad.exe", true},
             Case{"进程：notepad.exe", true},  // full-width colon
             Case{"标题:无标题 - 记事本", true},
             Case{"类:Notepad", true},
             Case{"目标", true},
             Case{"进程:a.exe>类:Edit#2", true},
             Case{"分类:x", true},  // holds 类: (its key word is then refused by the check)
             Case{"12345", false},  // a handle, as always
             Case{"0", false},
             Case{"", false},
             Case{"进程", false},   // no colon: not a number, the desktop as before
             Case{"目标 ", false},  // only exactly 目标
             Case{" 目标", false},
             Case{"类型", false},
             Case{"notepad.exe", false},
             Case{"进:程", false},
         }) {
        EXPECT_EQ(IsWindowDescription(Gbk(c.argument)), c.description) << c.argument;
    }
}

TEST(WindowDescriptionTest, ParsesEveryForm) {
    struct Case {
        const char* argument;
        WindowDescription expected;
    };
    const auto step = [](std::vector<WindowCondition> conditions, int ordinal = 0) {
        return WindowStep{std::move(conditions), ordinal};
    };
    for (const Case& c : {
             Case{"进程:notepad.exe", {{step({{Kind::Process, "notepad.exe"}})}}},
             Case{"进程：notepad.exe", {{step({{Kind::Process, "notepad.exe"}})}}},
             Case{"标题:无标题 - 记事本", {{step({{Kind::Title, "无标题 - 记事本"}})}}},
             Case{"类:Notepad", {{step({{Kind::Class, "Notepad"}})}}},
             Case{"目标", {{step({{Kind::BoundProcess, ""}})}}},
             Case{"进程:notepad.exe;标题:*记事本",
                  {{step({{Kind::Process, "notepad.exe"}, {Kind::Title, "*记事本"}})}}},
             Case{"进程:notepad.exe>类:Edit",
                  {{step({{Kind::Process, "notepad.exe"}}), step({{Kind::Class, "Edit"}})}}},
             Case{"进程:a.exe>类:Button#2",
                  {{step({{Kind::Process, "a.exe"}}), step({{Kind::Class, "Button"}}, 2)}}},
             Case{"类:Notepad#3", {{step({{Kind::Class, "Notepad"}}, 3)}}},
             Case{"类:Notepad#1", {{step({{Kind::Class, "Notepad"}}, 1)}}},
             Case{"目标>类:Edit",
                  {{step({{Kind::BoundProcess, ""}}), step({{Kind::Class, "Edit"}})}}},
             // Spaces around key words go; a title keeps its own, names lose theirs.
             Case{"进程: a.exe ; 标题:KAVO脚本助手 ",
                  {{step({{Kind::Process, "a.exe"}, {Kind::Title, "KAVO脚本助手 "}})}}},
             Case{"　类　:Edit", {{step({{Kind::Class, "Edit"}})}}},
             // A colon inside the value is the value's; a "#" not followed by digits too.
             Case{"标题:a:b#c", {{step({{Kind::Title, "a:b#c"}})}}},
             Case{"标题:C#", {{step({{Kind::Title, "C#"}})}}},
         }) {
        const ParsedWindowDescription parsed = ParseWindowDescription(Gbk(c.argument));
        EXPECT_EQ(parsed.problem, "") << c.argument;
        EXPECT_EQ(parsed.description, c.expected) << c.argument;
    }
}

TEST(WindowDescriptionTest, RefusesUnknownKeyWordsEmptyValuesAndEmptyParts) {
    struct Case {
        const char* argument;
        const char* problem;  // a piece of the message
    };
    for (const Case& c : {
             Case{"窗口:notepad.exe", "“窗口”不是关键词"},
             Case{"分类:x", "“分类”不是关键词"},
             Case{"进程:a.exe;窗口:x", "“窗口”不是关键词"},
             Case{"进程:a.exe;notepad", "“notepad”不是关键词"},
             Case{"进程:a.exe;进程", "“进程”后面缺少冒号"},
             Case{"进程:", "“进程:”后面没有内容"},
             Case{"标题：", "“标题：”后面没有内容"},
             Case{"进程: ", "后面没有内容"},
             Case{"进程:a.exe;", "空的部分"},
             Case{"进程:a.exe>", "空的部分"},
             Case{">类:Edit", "空的部分"},
             Case{"进程:a.exe;;类:x", "空的部分"},
             Case{"类:Edit#0", "“#0”不对"},
         }) {
        const ParsedWindowDescription parsed = ParseWindowDescription(Gbk(c.argument));
        EXPECT_THAT(parsed.problem, HasSubstr(c.problem)) << c.argument;
        EXPECT_THAT(parsed.problem, HasSubstr(GbkToUtf8(Gbk(c.argument)))) << c.argument;
        EXPECT_EQ(parsed.description, WindowDescription{}) << c.argument;
    }
}

// Two notepads, a calculator with buttons, a hidden window and the program's own window.
class WindowMatchTest : public testing::Test {
  protected:
    WindowMatchTest() {
        platform.processes = {{0, 0, "[System Process]"}, {0, 4, "System"},
                              {4, 1200, "explorer.exe"},  {1200, 3000, "notepad.exe"},
                              {1200, 3100, "Calc.EXE"},   {1200, 3200, "kavo.exe"}};
        platform.windows = {
            {10, 1200, 1, "Shell_TrayWnd", "", true},
            {15, 3000, 2, "Notepad", "隐藏 - 记事本", false},
            {20, 3000, 2, "Notepad", "a.txt - 记事本", true},
            {30, 3000, 2, "Notepad", "无标题 - 记事本", true},
            {40, 3100, 3, "CalcFrame", "计算器", true},
            {50, 3200, 4, "KavoMain", "KAVO脚本助手 ", true},
            {60, 4444, 5, "Orphan", "没有进程", true},
        };
        // a.txt's notepad has only a hidden edit; the untitled one a visible edit and a status
        // bar; the calculator three buttons, the second hidden, inside a panel.
        platform.childWindows[20] = {{21, 3000, 2, "Edit", "", false}};
        platform.childWindows[30] = {{31, 3000, 2, "Edit", "", true},
                                     {32, 3000, 2, "msctls_statusbar32", "", true}};
        platform.childWindows[40] = {{41, 3100, 3, "Panel", "", true},
                                     {42, 3100, 3, "Button", "1", true},
                                     {43, 3100, 3, "Button", "2", false},
                                     {44, 3100, 3, "Button", "3", true}};
        platform.childWindows[41] = {{42, 3100, 3, "Button", "1", true},
                                     {43, 3100, 3, "Button", "2", false},
                                     {44, 3100, 3, "Button", "3", true}};
    }

    std::optional<NativeWindow> Find(const char* utf8, const Utf8Text& bound = {}) {
        const ParsedWindowDescription parsed = ParseWindowDescription(Gbk(utf8));
        EXPECT_EQ(parsed.problem, "") << utf8;
        return FindDescribedWindow(platform, parsed.description, bound);
    }

    RecordingPlatform platform;
};

TEST_F(WindowMatchTest, FindsTheWindowEachFormNames) {
    constexpr std::optional<NativeWindow> kNone;
    struct Case {
        const char* description;
        std::optional<NativeWindow> window;
    };
    for (const Case& c : {
             // Processes: the front visible window; names ignore ASCII case; whole names.
             Case{"进程:notepad.exe", 20},
             Case{"进程:NOTEPAD.EXE", 20},
             Case{"进程:calc.exe", 40},
             Case{"进程:notepad", kNone},
             Case{"进程:note*", 20},
             Case{"进程:?alc.exe", 40},
             Case{"进程:explorer.exe", 10},
             Case{"进程:nothing.exe", kNone},
             // Titles: exact, with wildcards.
             Case{"标题:无标题 - 记事本", 30},
             Case{"标题:*记事本", 20},
             Case{"标题:无标题*", 30},
             Case{"标题:无标题 - 记事", kNone},
             Case{"标题:??? - 记事本", 30},  // ? is one character, Chinese ones too
             Case{"标题:?? - 记事本", kNone},
             Case{"标题:隐藏 - 记事本", kNone},  // hidden
             Case{"标题:KAVO脚本助手 ", 50},
             Case{"标题:kavo脚本助手 ", kNone},  // titles keep their letter case
             Case{"标题:计算器", 40},
             // Classes: ignoring ASCII case, with wildcards.
             Case{"类:Notepad", 20},
             Case{"类:notepad", 20},
             Case{"类:Calc*", 40},
             Case{"类:Note", kNone},
             // Parts all match.
             Case{"进程:notepad.exe;标题:无标题*", 30},
             Case{"标题:无标题*;进程:notepad.exe", 30},
             Case{"进程:calc.exe;类:Notepad", kNone},
             Case{"类:Notepad;标题:计算器", kNone},
             // "#n": the n-th match of its level.
             Case{"类:Notepad#2", 30},
             Case{"类:Notepad#3", kNone},
             Case{"进程:notepad.exe#1", 20},
             // Children: the first visible descendant; the next top-level match is tried when
             // the first has none (a.txt's edit is hidden).
             Case{"进程:notepad.exe>类:Edit", 31},
             Case{"进程:notepad.exe>类:edit", 31},
             Case{"类:Notepad#1>类:Edit", kNone},  // #1 names a.txt's window alone
             Case{"类:Notepad#2>类:Edit", 31},
             Case{"进程:notepad.exe>类:msctls*", 32},
             Case{"进程:calc.exe>类:Button", 42},
             Case{"进程:calc.exe>类:Button#2", 44},  // the hidden one does not count
             Case{"进程:calc.exe>类:Button#3", kNone},
             Case{"进程:calc.exe>标题:3", 44},
             Case{"进程:calc.exe>类:Panel>类:Button#2", 44},
             Case{"进程:calc.exe>类:Panel>类:Edit", kNone},
             Case{"进程:notepad.exe>类:Button", kNone},
             // A window whose process is gone from the snapshot has no process name.
             Case{"类:Orphan", 60},
             Case{"进程:*;类:Orphan", kNone},
         }) {
        EXPECT_EQ(Find(c.description), c.window) << c.description;
    }
}

TEST_F(WindowMatchTest, TheTargetIsTheBoundProcesssWindowByTheBindingsRule) {
    for (const Utf8Text bound : {"notepad.exe", "CALC.exe", "kavo.exe", "nothing.exe"}) {
        const TargetWindow byBinding = FindTargetWindow(platform, bound, {}, {});
        const std::optional<NativeWindow> byTarget = Find("目标", bound);
        EXPECT_EQ(byTarget.value_or(kNoMatch), byBinding) << bound;
    }
    EXPECT_EQ(Find("目标", "notepad.exe"), 20);
    EXPECT_EQ(Find("目标", "note*"), std::nullopt);  // the bound name is no pattern
    EXPECT_EQ(Find("目标", ""), std::nullopt);       // nothing bound
    EXPECT_EQ(Find("目标>类:Edit", "notepad.exe"), 31);
    EXPECT_EQ(Find("目标;标题:计算器", "calc.exe"), 40);
}

TEST_F(WindowMatchTest, LooksEverythingUpAgainEachTime) {
    EXPECT_EQ(Find("进程:notepad.exe;标题:无标题*"), 30);
    // The program restarted: a new window with a new handle, under a new process id.
    platform.windows[3] = {90, 3300, 9, "Notepad", "无标题 - 记事本", true};
    platform.processes.push_back({1200, 3300, "notepad.exe"});
    platform.ClearCalls();
    EXPECT_EQ(Find("进程:notepad.exe;标题:无标题*"), 90);
    EXPECT_THAT(platform.CallsStartingWith({"Visit", "Process", "Snapshot"}),
                ElementsAre("VisitTopLevelWindows", "ProcessName(3300)"));
}

TEST_F(WindowMatchTest, AsksOnlyWhatThePartsNeedAndStopsAtTheMatch) {
    // A title: the titles up to the match, then the match's visibility; nothing else, and no
    // window behind it is looked at.
    EXPECT_EQ(Find("标题:a.txt*"), 20);
    EXPECT_THAT(platform.calls,
                ElementsAre("VisitTopLevelWindows", "ReadWindow(10,Title)", "ReadWindow(15,Title)",
                            "ReadWindow(20,Title)", "ReadWindow(20,Visible)"));
    // Several parts: the title first, the process only for a window whose title matched, the
    // class after it, the visibility last.
    platform.ClearCalls();
    EXPECT_EQ(Find("类:Notepad;进程:notepad.exe;标题:无标题*"), 30);
    EXPECT_THAT(
        platform.calls,
        ElementsAre("VisitTopLevelWindows", "ReadWindow(10,Title)", "ReadWindow(15,Title)",
                    "ReadWindow(20,Title)", "ReadWindow(30,Title)", "ReadWindow(30,Process)",
                    "ProcessName(3000)", "ReadWindow(30,Class)", "ReadWindow(30,Visible)"));
    // Each process is asked its name once in a search, however many windows it has.
    platform.ClearCalls();
    EXPECT_EQ(Find("进程:calc.exe"), 40);
    EXPECT_THAT(platform.CallsStartingWith({"ProcessName", "Snapshot"}),
                ElementsAre("ProcessName(1200)", "ProcessName(3000)", "ProcessName(3100)"));
    // A hidden window that matches is passed over after its visibility is read.
    platform.ClearCalls();
    EXPECT_EQ(Find("类:Notepad"), 20);
    EXPECT_THAT(platform.CallsStartingWith({"ReadWindow(15"}),
                ElementsAre("ReadWindow(15,Class)", "ReadWindow(15,Visible)"));
}

TEST_F(WindowMatchTest, AsksNoProcessWithoutAProcessPartOrACandidate) {
    EXPECT_EQ(Find("类:Notepad>类:Edit"), 31);
    EXPECT_THAT(
        platform.CallsStartingWith({"Visit", "Process", "Snapshot"}),
        ElementsAre("VisitTopLevelWindows", "VisitChildWindows(20)", "VisitChildWindows(30)"));
    platform.ClearCalls();
    EXPECT_EQ(Find("标题:Nothing;进程:notepad.exe"), std::nullopt);
    EXPECT_THAT(platform.CallsStartingWith({"Process", "Snapshot"}), testing::IsEmpty());
    // Positive control: with windows of that title their process is asked, once.
    platform.ClearCalls();
    EXPECT_EQ(Find("标题:*记事本;进程:notepad.exe#2"), 30);
    EXPECT_THAT(platform.CallsStartingWith({"Process", "Snapshot"}),
                ElementsAre("ProcessName(3000)"));
}

TEST_F(WindowMatchTest, AProcessThatCannotBeAskedIsNamedByTheProcessListTakenOnce) {
    platform.unaskableProcesses = {3000, 3100};  // protected from this program
    EXPECT_EQ(Find("进程:calc.exe"), 40);
    EXPECT_THAT(platform.CallsStartingWith({"Process", "Snapshot"}),
                ElementsAre("ProcessName(1200)", "ProcessName(3000)", "SnapshotProcesses",
                            "ProcessName(3100)"));
    // A window whose process is in no list has no name at all.
    EXPECT_EQ(Find("进程:*;类:Orphan"), std::nullopt);
}

}  // namespace
}  // namespace kavo
