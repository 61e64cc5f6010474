// F1's display through the fakes: F1 toggles 时钟3, a tick shows the pointer's coordinates, the
// window under it and the pixel there, and the insert keys write for them into the editor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hotkeys/hotkey_binding.h"
#include "hotkeys/key_names.h"
#include "platform/fake/recording_platform.h"
#include "run_panel/cursor_tracking.h"

namespace kavo {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// The main window as the display sees it: the coordinate edits, the spy lines, the editor and
// 时钟3's interval; and the run panel, for a binding that takes F1 over.
class FakeView : public CursorTrackingView, public HotkeyBindingView {
  public:
    std::uint32_t trackingInterval = 0;  // 时钟3 is stopped when the window opens
    Utf8Text processName;
    Utf8Text hotkeyText;
    std::string editorText;
    std::vector<std::string> calls;
    std::vector<std::string> scriptsRun;

    void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) override {
        calls.push_back("ShowCursorCoordinates(" + x + "," + y + ")");
    }
    std::vector<SpyLines> windowLines;  // what the spy lines showed, tick by tick
    void ShowWindowUnderCursor(const SpyLines& lines) override { windowLines.push_back(lines); }
    std::vector<Utf8Text> inserted;  // what went into the editor at its caret
    void InsertInEditor(const Utf8Text& text) override { inserted.push_back(text); }
    void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t)>& next) override {
        trackingInterval = next(trackingInterval);
    }
    Utf8Text ProcessNameText() override { return processName; }
    Utf8Text HotkeyEditText() override { return hotkeyText; }
    void SetHotkeyEditText(const Utf8Text& text) override { hotkeyText = text; }
    void RunBoundScript() override { scriptsRun.push_back(editorText); }
};

class CursorTrackingTest : public testing::Test {
  protected:
    CursorTrackingTest() {
        platform.processes = {{0, 4, "System"}, {4, 3000, "notepad.exe"}};
        platform.windows = {{20, 3000, 77, "Notepad", "Untitled - Notepad", true}};
        platform.windowThreads[20] = 77;
    }
    // The user presses key alone, seen by the poll, and releases it again.
    void Press(int key) {
        ASSERT_TRUE(platform.timerTick) << "no poll timer";
        platform.keyboard = {};
        platform.timerTick();
        platform.keyboard.down.set(static_cast<std::size_t>(key));
        platform.timerTick();
        platform.keyboard = {};
        platform.RunStartedThreads();
    }
    void Bind(const Utf8Text& process, const Utf8Text& keyName) {
        view.processName = process;
        view.hotkeyText = keyName;
        binding.BindHotkey();
    }

    RecordingPlatform platform;
    HotkeyMonitor monitor{platform};
    ProgramKeys keys;
    FakeView view;
    CursorTracking tracking{monitor, platform, platform, view};
    HotkeyBinding binding{monitor, platform, keys, view};
};

TEST_F(CursorTrackingTest, F1TogglesTheCursorDisplay) {
    tracking.RegisterCursorTrackingKey();
    EXPECT_THAT(platform.calls, ElementsAre("StartWindowlessTimer(6662,50)"));  // no window
    ASSERT_EQ(monitor.Records().size(), 1u);
    EXPECT_EQ(monitor.Records()[0].key, 112);
    EXPECT_EQ(monitor.Records()[0].modifiers, 0u);
    Press(112);
    EXPECT_EQ(view.trackingInterval, CursorTracking::kCursorDisplayIntervalMs);
    Press(112);
    EXPECT_EQ(view.trackingInterval, 0u);
    Press(112);
    EXPECT_EQ(view.trackingInterval, CursorTracking::kCursorDisplayIntervalMs);
    EXPECT_THAT(view.scriptsRun, IsEmpty());
}

TEST_F(CursorTrackingTest, BindingF1ReplacesTheCursorDisplay) {
    tracking.RegisterCursorTrackingKey();
    view.editorText = "script";
    Bind("notepad.exe", "f1");
    EXPECT_EQ(monitor.Records().size(), 1u);
    Press(112);
    EXPECT_THAT(view.scriptsRun, ElementsAre("script"));
    EXPECT_EQ(view.trackingInterval, 0u);
}

TEST_F(CursorTrackingTest, AnyTrackingIntervalCountsAsRunning) {
    tracking.RegisterCursorTrackingKey();
    view.trackingInterval = 250;
    Press(112);
    EXPECT_EQ(view.trackingInterval, 0u);
}

TEST_F(CursorTrackingTest, TheCursorPositionGoesIntoTheCoordinateEdits) {
    platform.cursor = {640, -12};
    tracking.ShowCursorPosition();
    platform.cursor = {0, 1023};
    tracking.ShowCursorPosition();
    EXPECT_THAT(view.calls,
                ElementsAre("ShowCursorCoordinates(640,-12)", "ShowCursorCoordinates(0,1023)"));
}

TEST_F(CursorTrackingTest, TheDisplayReadsAtMostTwentyTimesASecond) {
    EXPECT_LE(1000 / CursorTracking::kCursorDisplayIntervalMs, 20u);
    EXPECT_GE(1000 / CursorTracking::kCursorDisplayIntervalMs, 10u);  // still follows a hand
}

// The pointer over a notepad: its frame, its edit, or the desktop's bare pixels.
class CursorDisplayTest : public CursorTrackingTest {
  protected:
    CursorDisplayTest() {
        platform.windows.push_back({50, 4, 5, "Progman", "Program Manager", true});
        platform.childWindows[20] = {{21, 3000, 77, "Edit", "", true}};
        platform.windowAtPoint = [](Point where) -> NativeWindow {
            if (where.x >= 100 && where.x < 500) return where.y < 200 ? 20 : 21;
            return where.x >= 0 ? 50 : 0;
        };
        platform.pixelColorAt = [](Point where) -> std::optional<std::uint32_t> {
            if (where.x < 0) return std::nullopt;
            return 0x00FF8000u;  // blue 255, green 128, red 0
        };
    }
};

TEST_F(CursorDisplayTest, ShowsTheWindowAndPixelUnderThePointer) {
    struct Case {
        Point pointer;
        SpyLines lines;
    };
    for (const Case& c : {
             Case{{150, 100},
                  {"20", "Notepad", "Untitled - Notepad", "notepad.exe", "16744448 #0080FF"}},
             Case{{150, 300}, {"21", "Edit", "", "notepad.exe", "16744448 #0080FF"}},
             Case{{10, 10}, {"50", "Progman", "Program Manager", "System", "16744448 #0080FF"}},
             Case{{-5, 10}, {"", "", "", "", ""}},  // nothing there, nothing readable
         }) {
        platform.cursor = c.pointer;
        view.windowLines.clear();
        tracking.ShowCursorPosition();
        ASSERT_EQ(view.windowLines.size(), 1u);
        EXPECT_EQ(view.windowLines[0], c.lines) << c.pointer.x << "," << c.pointer.y;
    }
    EXPECT_THAT(view.calls,
                ElementsAre("ShowCursorCoordinates(150,100)", "ShowCursorCoordinates(150,300)",
                            "ShowCursorCoordinates(10,10)", "ShowCursorCoordinates(-5,10)"));
}

TEST_F(CursorDisplayTest, ALongTitleIsShortenedOnThePanel) {
    platform.windows[0].title = "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十";
    platform.cursor = {150, 100};
    tracking.ShowCursorPosition();
    ASSERT_EQ(view.windowLines.size(), 1u);
    EXPECT_EQ(view.windowLines[0].title, "一二三四五六七八九十一二三四五六七八九十一二三四…");
}

TEST_F(CursorDisplayTest, AProcessIsAskedItsNameOnlyWhenThePointerReachesAnotherProcess) {
    for (const Point pointer : {Point{150, 100}, Point{160, 100}, Point{150, 300}, Point{10, 10},
                                Point{20, 10}, Point{150, 100}}) {
        platform.cursor = pointer;
        tracking.ShowCursorPosition();
    }
    // notepad.exe, System, notepad.exe again: three questions for six readings, no list.
    EXPECT_THAT(platform.CallsStartingWith({"ProcessName", "SnapshotProcesses"}),
                ElementsAre("ProcessName(3000)", "ProcessName(4)", "ProcessName(3000)"));
    ASSERT_EQ(view.windowLines.size(), 6u);
    EXPECT_EQ(view.windowLines[5].process, "notepad.exe");
}

TEST_F(CursorDisplayTest, TheInsertKeysPutADescriptionOrAMoveIntoTheEditor) {
    platform.cursor = {150, 300};
    tracking.InsertForKey(CursorTracking::kInsertDescriptionKey);
    platform.cursor = {150, 100};
    tracking.InsertForKey(CursorTracking::kInsertDescriptionKey);
    tracking.InsertForKey(CursorTracking::kInsertMoveKey);
    tracking.InsertForKey(0x2E);  // Delete: not an insert key
    tracking.InsertForKey(65);
    platform.cursor = {-5, 10};
    tracking.InsertForKey(CursorTracking::kInsertDescriptionKey);  // nothing under the pointer
    EXPECT_THAT(view.inserted,
                ElementsAre("进程:notepad.exe;标题:Untitled - Notepad>类:Edit",
                            "进程:notepad.exe;标题:Untitled - Notepad", "鼠标移动(150,100)\r\n"));
    // Neither insert key is a name a hotkey can be bound to.
    for (const KeyCode key : CursorTracking::kCursorDisplayKeys)
        EXPECT_EQ(KeyNameFromCode(key), "") << int(key);
}

}  // namespace
}  // namespace kavo
