#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/fake/recording_platform.h"
#include "target_window/target_window.h"

namespace kavo {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class TargetWindowTest : public testing::Test {
  protected:
    TargetWindowTest() {
        platform.processes = {{0, 0, "[System Process]"},
                              {0, 4, "System"},
                              {4, 1200, "explorer.exe"},
                              {1200, 3000, "notepad.exe"},
                              {1200, 3100, "Calc.EXE"}};
    }
    void AddWindow(NativeWindow window, std::uint32_t processId, const Utf8Text& className,
                   const Utf8Text& title, bool visible = true) {
        platform.windows.push_back({window, processId, processId + 1, className, title, visible});
    }
    TargetWindow Find(const Utf8Text& process, const Utf8Text& className = {},
                      const Utf8Text& title = {}) {
        return FindTargetWindow(platform, process, className, title);
    }

    RecordingPlatform platform;
};

TEST_F(TargetWindowTest, NoConditionGivesZeroWithoutListingAnything) {
    AddWindow(10, 3000, "Notepad", "Untitled - Notepad");
    EXPECT_EQ(Find({}, {}, {}), kNoCondition);
    EXPECT_THAT(platform.calls, IsEmpty());
}

TEST_F(TargetWindowTest, ProcessNamesCompareIgnoringAsciiCaseButWhole) {
    AddWindow(10, 1200, "Shell_TrayWnd", "");
    AddWindow(20, 3000, "Notepad", "Untitled - Notepad");
    AddWindow(30, 3100, "CalcFrame", "Calculator");
    EXPECT_EQ(Find("NOTEPAD.EXE"), 20);
    EXPECT_EQ(Find("notepad.exe"), 20);
    EXPECT_EQ(Find("calc.exe"), 30);
    EXPECT_EQ(Find("notepad"), kNoMatch);
    EXPECT_EQ(Find(" notepad.exe"), kNoMatch);
    EXPECT_EQ(Find("notepad.exe "), kNoMatch);
}

TEST_F(TargetWindowTest, TheFrontWindowOfTheProcessWins) {
    AddWindow(10, 1200, "Progman", "Program Manager");
    AddWindow(20, 3000, "Notepad", "a.txt - Notepad");
    AddWindow(30, 3000, "Notepad", "b.txt - Notepad");
    EXPECT_EQ(Find("notepad.exe"), 20);
}

TEST_F(TargetWindowTest, HiddenWindowsAreSkipped) {
    AddWindow(20, 3000, "Notepad", "a.txt - Notepad", false);
    AddWindow(30, 3000, "IME", "Default IME", false);
    EXPECT_EQ(Find("notepad.exe"), kNoMatch);
    AddWindow(40, 3000, "Notepad", "b.txt - Notepad");
    EXPECT_EQ(Find("notepad.exe"), 40);
}

TEST_F(TargetWindowTest, AWindowOfAProcessMissingFromTheSnapshotDoesNotMatch) {
    AddWindow(20, 4444, "Notepad", "Untitled - Notepad");
    EXPECT_EQ(Find("notepad.exe"), kNoMatch);
    EXPECT_EQ(Find({}, "Notepad"), 20);  // other conditions do not need the process
}

TEST_F(TargetWindowTest, ApostrophesAnchorTheTitleFragment) {
    AddWindow(10, 1200, "Notepad", "My Untitled");
    AddWindow(20, 3000, "Notepad", "Untitled - Notepad");
    AddWindow(30, 3100, "Notepad", "Untitled");
    EXPECT_EQ(Find({}, {}, "'Untitled"), 20);
    EXPECT_EQ(Find({}, {}, "Untitled"), 10);
    EXPECT_EQ(Find({}, {}, "Untitled'"), 10);
    EXPECT_EQ(Find({}, {}, "'Untitled'"), 30);
    EXPECT_EQ(Find({}, {}, "untitled"), kNoMatch);  // case-sensitive
    EXPECT_EQ(Find({}, {}, "'My Untitled'"), 10);
}

TEST_F(TargetWindowTest, ChineseTitleFragmentsMatchAsUtf8) {
    AddWindow(
        10, 3000, "Notepad",
        "\xE6\x97\xA0\xE6\xA0\x87\xE9\xA2\x98 - \xE8\xAE\xB0\xE4\xBA\x8B\xE6\x9C\xAC");  // 无标题 -
                                                                                         // 记事本
    EXPECT_EQ(Find({}, {}, "'\xE6\x97\xA0\xE6\xA0\x87\xE9\xA2\x98"), 10);
    EXPECT_EQ(Find({}, {}, "\xE8\xAE\xB0\xE4\xBA\x8B\xE6\x9C\xAC'"), 10);
}

TEST_F(TargetWindowTest, ClassNamesCompareExactly) {
    AddWindow(20, 3000, "Notepad", "Untitled - Notepad");
    EXPECT_EQ(Find({}, "notepad"), kNoMatch);
    EXPECT_EQ(Find({}, "Notepa"), kNoMatch);
    EXPECT_EQ(Find({}, "Notepad"), 20);
}

TEST_F(TargetWindowTest, AllGivenConditionsMustHoldOnTheSameWindow) {
    AddWindow(10, 3000, "Notepad", "a.txt - Notepad");
    AddWindow(20, 3000, "Edit", "b.txt - Notepad");
    AddWindow(30, 3100, "Notepad", "b.txt - Notepad");
    AddWindow(40, 3000, "Notepad", "b.txt - Notepad");
    EXPECT_EQ(Find("notepad.exe", "Notepad", "'b.txt"), 40);
    EXPECT_EQ(Find("notepad.exe", "Notepad", {}), 10);
    EXPECT_EQ(Find("calc.exe", "Notepad", "'a.txt"), kNoMatch);
}

TEST_F(TargetWindowTest, AFailedSnapshotFailsEveryProcessCondition) {
    AddWindow(20, 3000, "Notepad", "Untitled - Notepad");
    platform.failSnapshot = true;
    EXPECT_EQ(Find("notepad.exe"), kNoMatch);
    EXPECT_EQ(Find({}, "Notepad"), 20);
}

TEST_F(TargetWindowTest, ProcessesAreListedEvenWithoutAProcessCondition) {
    AddWindow(20, 3000, "Notepad", "Untitled - Notepad");
    EXPECT_EQ(Find({}, {}, "Notepad"), 20);
    EXPECT_THAT(platform.calls, ElementsAre("SnapshotProcesses", "EnumerateTopLevelWindows"));
}

TEST_F(TargetWindowTest, ProcessIdZeroIsNeverAnOwner) {
    platform.processes.push_back({0, 0, "ghost.exe"});
    AddWindow(20, 0, "Ghost", "ghost");
    EXPECT_EQ(Find("ghost.exe"), kNoMatch);
}

}  // namespace
}  // namespace kavo
