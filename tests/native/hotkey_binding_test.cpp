#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hotkeys/hotkey_binding.h"
#include "hotkeys/key_names.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;

// UTF-8 bytes of the two messages, spelled out so that the source's encoding cannot hide a
// difference: " 开什么玩笑!一个条件都没有,怎么取句柄?  或尝试直接执行" / "失败" and
// "绑定成功！按快捷键运行" (full-width ！) / "成功".
const std::string kFailureBox =
    "ShowMessageBox( \xE5\xBC\x80\xE4\xBB\x80\xE4\xB9\x88\xE7\x8E\xA9\xE7\xAC\x91!"
    "\xE4\xB8\x80\xE4\xB8\xAA\xE6\x9D\xA1\xE4\xBB\xB6\xE9\x83\xBD\xE6\xB2\xA1\xE6\x9C\x89,"
    "\xE6\x80\x8E\xE4\xB9\x88\xE5\x8F\x96\xE5\x8F\xA5\xE6\x9F\x84?  "
    "\xE6\x88\x96\xE5\xB0\x9D\xE8\xAF\x95\xE7\x9B\xB4\xE6\x8E\xA5\xE6\x89\xA7\xE8\xA1\x8C"
    "|\xE5\xA4\xB1\xE8\xB4\xA5|plain)";
const std::string kSuccessBox =
    "ShowMessageBox(\xE7\xBB\x91\xE5\xAE\x9A\xE6\x88\x90\xE5\x8A\x9F\xEF\xBC\x81"
    "\xE6\x8C\x89\xE5\xBF\xAB\xE6\x8D\xB7\xE9\x94\xAE\xE8\xBF\x90\xE8\xA1\x8C"
    "|\xE6\x88\x90\xE5\x8A\x9F|plain)";
constexpr const char* kSpaceBar = "\xE7\xA9\xBA\xE6\xA0\xBC\xE9\x94\xAE";  // 空格键

// The main window as the binding sees it: its edits, 时钟3's interval and the editor's text.
class FakeView : public HotkeyBindingView {
  public:
    Utf8Text processName;
    Utf8Text hotkeyText;
    std::uint32_t trackingInterval = 0;  // 时钟3 is stopped when the window opens
    std::string editorText;
    std::vector<std::string> calls;
    std::vector<std::string> scriptsRun;

    Utf8Text ProcessNameText() override {
        calls.push_back("ProcessNameText");
        return processName;
    }
    Utf8Text HotkeyEditText() override {
        calls.push_back("HotkeyEditText");
        return hotkeyText;
    }
    void SetHotkeyEditText(const Utf8Text& text) override {
        calls.push_back("SetHotkeyEditText(" + text + ")");
        hotkeyText = text;
    }
    void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) override {
        calls.push_back("ShowCursorCoordinates(" + x + "," + y + ")");
    }
    std::vector<SpyLines> windowLines;  // what the spy lines showed, tick by tick
    void ShowWindowUnderCursor(const SpyLines& lines) override { windowLines.push_back(lines); }
    std::vector<Utf8Text> inserted;  // what went into the editor at its caret
    void InsertInEditor(const Utf8Text& text) override { inserted.push_back(text); }
    void RunCurrentScript() override { scriptsRun.push_back(editorText); }
    void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t)>& next) override {
        trackingInterval = next(trackingInterval);
    }
};

class HotkeyBindingTest : public testing::Test {
  protected:
    HotkeyBindingTest() {
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
    FakeView view;
    HotkeyBinding binding{monitor, platform, platform, view};
};

TEST_F(HotkeyBindingTest, WithoutAProcessNameNothingIsBound) {
    Bind("", "A");
    EXPECT_THAT(platform.calls, ElementsAre(kFailureBox));
    EXPECT_THAT(view.calls, ElementsAre("ProcessNameText"));  // the hotkey edit is not read
    EXPECT_THAT(monitor.Records(), IsEmpty());
    EXPECT_EQ(binding.BoundKey(), 0);
}

TEST_F(HotkeyBindingTest, BindingTiesTheKeyToTheProcesssFrontWindow) {
    Bind("NOTEPAD.exe", "a");
    EXPECT_THAT(platform.calls,
                ElementsAre("SnapshotProcesses", "EnumerateTopLevelWindows", "GetCurrentThreadId",
                            "GetWindowThreadId(20)", "AttachThreadInput(100,77)",
                            "StartWindowlessTimer(6662,50)", kSuccessBox));
    EXPECT_THAT(view.calls, ElementsAre("ProcessNameText", "HotkeyEditText"));
    EXPECT_EQ(binding.BoundKey(), 65);
    ASSERT_EQ(monitor.Records().size(), 1u);
    EXPECT_EQ(monitor.Records()[0].key, 65);
    EXPECT_EQ(monitor.Records()[0].modifiers, 0u);
}

TEST_F(HotkeyBindingTest, AProcessNameOfSpacesIsStillACondition) {
    Bind(" ", "A");
    EXPECT_THAT(platform.calls, Contains(kSuccessBox));
    EXPECT_THAT(platform.calls, Contains("AttachThreadInput(100,0)"));  // no such window
    EXPECT_EQ(monitor.Records().size(), 1u);
}

TEST_F(HotkeyBindingTest, AnEmptyOrUnknownKeyNameConfirmsButBindsNothing) {
    for (const Utf8Text& keyName : {Utf8Text(), Utf8Text("Enter"), Utf8Text(" A")}) {
        platform.ClearCalls();
        Bind("notepad.exe", keyName);
        EXPECT_THAT(platform.calls,
                    ElementsAre("SnapshotProcesses", "EnumerateTopLevelWindows", kSuccessBox))
            << keyName;
        EXPECT_EQ(binding.BoundKey(), 0);
    }
    EXPECT_THAT(monitor.Records(), IsEmpty());
}

TEST_F(HotkeyBindingTest, TheStopKeyIsRefusedWithAMessageAndBindsNothing) {
    Bind("notepad.exe", "a");
    platform.ClearCalls();
    for (const Utf8Text& keyName : {Utf8Text("F12"), Utf8Text("f12")}) {
        Bind("notepad.exe", keyName);
        ASSERT_EQ(platform.calls.size(), 1u) << keyName;
        EXPECT_THAT(platform.calls[0], testing::StartsWith("ShowMessageBox(F12 "));
        EXPECT_THAT(platform.calls[0], testing::EndsWith("|\xE5\xA4\xB1\xE8\xB4\xA5|plain)"));
        platform.ClearCalls();
    }
    // The earlier binding stands: only F11 after it is bound.
    EXPECT_EQ(binding.BoundKey(), 65);
    Bind("notepad.exe", "F11");
    EXPECT_THAT(platform.calls, Contains(kSuccessBox));
    EXPECT_EQ(monitor.Records().size(), 2u);
}

TEST_F(HotkeyBindingTest, AKeyReservedForSomethingElseIsRefusedWithItsMessage) {
    binding.SetKeyRefusal([](int key) { return key == 120 ? Utf8Text("F9 录制") : Utf8Text(); });
    Bind("notepad.exe", "a");
    platform.ClearCalls();
    Bind("notepad.exe", "F9");
    EXPECT_THAT(platform.calls, ElementsAre("ShowMessageBox(F9 录制|失败|plain)"));
    EXPECT_EQ(binding.BoundKey(), 65);
    // Positive control: the key beside it binds.
    Bind("notepad.exe", "F8");
    EXPECT_THAT(platform.calls, Contains(kSuccessBox));
    EXPECT_EQ(binding.BoundKey(), 119);
}

TEST_F(HotkeyBindingTest, WithNoMatchingWindowTheKeyStillRunsTheScript) {
    Bind("wordpad.exe", "F5");
    EXPECT_THAT(platform.calls, Contains("GetWindowThreadId(-1)"));
    EXPECT_THAT(platform.calls, Contains("AttachThreadInput(100,0)"));
    EXPECT_THAT(platform.calls, Contains(kSuccessBox));
    view.editorText = "script";
    Press(116);
    EXPECT_THAT(view.scriptsRun, ElementsAre("script"));
}

TEST_F(HotkeyBindingTest, TheKeyRunsTheEditorsTextAsItIsAtThePress) {
    view.editorText = "at bind time";
    Bind("notepad.exe", "Home");
    view.editorText = "edited later";
    Press(36);
    view.editorText = "edited again";
    Press(36);
    EXPECT_THAT(view.scriptsRun, ElementsAre("edited later", "edited again"));
}

TEST_F(HotkeyBindingTest, EveryNewKeyAddsAHotkeyAndEarlierOnesStay) {
    view.editorText = "s";
    Bind("notepad.exe", "A");
    Bind("notepad.exe", "B");
    Bind("notepad.exe", "b");  // the same key again keeps its record, joins the window again
    EXPECT_EQ(binding.BoundKey(), 66);
    EXPECT_EQ(monitor.Records().size(), 2u);
    EXPECT_EQ(platform.CallsStartingWith({"AttachThreadInput"}).size(), 3u);
    Press(65);
    Press(66);
    EXPECT_EQ(view.scriptsRun.size(), 2u);
}

TEST_F(HotkeyBindingTest, F1TogglesTheCursorDisplay) {
    binding.RegisterCursorTrackingKey();
    EXPECT_THAT(platform.calls, ElementsAre("StartWindowlessTimer(6662,50)"));  // no window
    ASSERT_EQ(monitor.Records().size(), 1u);
    EXPECT_EQ(monitor.Records()[0].key, 112);
    EXPECT_EQ(monitor.Records()[0].modifiers, 0u);
    Press(112);
    EXPECT_EQ(view.trackingInterval, HotkeyBinding::kCursorDisplayIntervalMs);
    Press(112);
    EXPECT_EQ(view.trackingInterval, 0u);
    Press(112);
    EXPECT_EQ(view.trackingInterval, HotkeyBinding::kCursorDisplayIntervalMs);
    EXPECT_THAT(view.scriptsRun, IsEmpty());
}

TEST_F(HotkeyBindingTest, BindingF1ReplacesTheCursorDisplay) {
    binding.RegisterCursorTrackingKey();
    view.editorText = "script";
    Bind("notepad.exe", "f1");
    EXPECT_EQ(monitor.Records().size(), 1u);
    Press(112);
    EXPECT_THAT(view.scriptsRun, ElementsAre("script"));
    EXPECT_EQ(view.trackingInterval, 0u);
}

TEST_F(HotkeyBindingTest, AnyTrackingIntervalCountsAsRunning) {
    binding.RegisterCursorTrackingKey();
    view.trackingInterval = 250;
    Press(112);
    EXPECT_EQ(view.trackingInterval, 0u);
}

TEST_F(HotkeyBindingTest, TheCursorPositionGoesIntoTheCoordinateEdits) {
    platform.cursor = {640, -12};
    binding.ShowCursorPosition();
    platform.cursor = {0, 1023};
    binding.ShowCursorPosition();
    EXPECT_THAT(view.calls,
                ElementsAre("ShowCursorCoordinates(640,-12)", "ShowCursorCoordinates(0,1023)"));
}

TEST_F(HotkeyBindingTest, APressedKeyShowsItsNameOrNothing) {
    binding.ShowHotkeyName(65);
    EXPECT_EQ(view.hotkeyText, "A");
    binding.ShowHotkeyName(13);
    EXPECT_EQ(view.hotkeyText, "");
    binding.ShowHotkeyName(32);
    EXPECT_EQ(view.hotkeyText, kSpaceBar);
    binding.ShowHotkeyName(36);
    EXPECT_EQ(view.hotkeyText, "Home");
    EXPECT_THAT(view.calls,
                ElementsAre("SetHotkeyEditText()", "SetHotkeyEditText(A)", "SetHotkeyEditText()",
                            "SetHotkeyEditText()", "SetHotkeyEditText()",
                            "SetHotkeyEditText(" + std::string(kSpaceBar) + ")",
                            "SetHotkeyEditText()", "SetHotkeyEditText(Home)"));
}

TEST_F(HotkeyBindingTest, AShownNameBindsItsKey) {
    binding.ShowHotkeyName(32);
    view.processName = "notepad.exe";
    binding.BindHotkey();
    EXPECT_EQ(binding.BoundKey(), 32);
    EXPECT_THAT(platform.calls, Not(Contains(kFailureBox)));
}

TEST_F(HotkeyBindingTest, TheDisplayReadsAtMostTwentyTimesASecond) {
    EXPECT_LE(1000 / HotkeyBinding::kCursorDisplayIntervalMs, 20u);
    EXPECT_GE(1000 / HotkeyBinding::kCursorDisplayIntervalMs, 10u);  // still follows a hand
}

TEST_F(HotkeyBindingTest, ABindRemembersItsProcessForTheTarget) {
    EXPECT_EQ(binding.BoundProcessName(), "");
    Bind("NOTEPAD.exe", "a");
    EXPECT_EQ(binding.BoundProcessName(), "NOTEPAD.exe");
    Bind("calc.exe", "");  // no key, but the bind goes through
    EXPECT_EQ(binding.BoundProcessName(), "calc.exe");
    Bind("", "a");  // refused: the bound process stays
    Bind("other.exe", "F12");
    EXPECT_EQ(binding.BoundProcessName(), "calc.exe");
}

// The pointer over a notepad: its frame, its edit, or the desktop's bare pixels.
class CursorDisplayTest : public HotkeyBindingTest {
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
        binding.ShowCursorPosition();
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
    binding.ShowCursorPosition();
    ASSERT_EQ(view.windowLines.size(), 1u);
    EXPECT_EQ(view.windowLines[0].title, "一二三四五六七八九十一二三四五六七八九十一二三四…");
}

TEST_F(CursorDisplayTest, AProcessIsAskedItsNameOnlyWhenThePointerReachesAnotherProcess) {
    for (const Point pointer : {Point{150, 100}, Point{160, 100}, Point{150, 300}, Point{10, 10},
                                Point{20, 10}, Point{150, 100}}) {
        platform.cursor = pointer;
        binding.ShowCursorPosition();
    }
    // notepad.exe, System, notepad.exe again: three questions for six readings, no list.
    EXPECT_THAT(platform.CallsStartingWith({"ProcessName", "SnapshotProcesses"}),
                ElementsAre("ProcessName(3000)", "ProcessName(4)", "ProcessName(3000)"));
    ASSERT_EQ(view.windowLines.size(), 6u);
    EXPECT_EQ(view.windowLines[5].process, "notepad.exe");
}

TEST_F(CursorDisplayTest, TheInsertKeysPutADescriptionOrAMoveIntoTheEditor) {
    platform.cursor = {150, 300};
    binding.InsertForKey(HotkeyBinding::kInsertDescriptionKey);
    platform.cursor = {150, 100};
    binding.InsertForKey(HotkeyBinding::kInsertDescriptionKey);
    binding.InsertForKey(HotkeyBinding::kInsertMoveKey);
    binding.InsertForKey(0x2E);  // Delete: not an insert key
    binding.InsertForKey(65);
    platform.cursor = {-5, 10};
    binding.InsertForKey(HotkeyBinding::kInsertDescriptionKey);  // nothing under the pointer
    EXPECT_THAT(view.inserted,
                ElementsAre("进程:notepad.exe;标题:Untitled - Notepad>类:Edit",
                            "进程:notepad.exe;标题:Untitled - Notepad", "鼠标移动(150,100)\r\n"));
    // Neither insert key is a name a hotkey can be bound to.
    for (const KeyCode key : HotkeyBinding::kCursorDisplayKeys)
        EXPECT_EQ(KeyNameFromCode(key), "") << int(key);
}

}  // namespace
}  // namespace kavo
