#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hotkeys/hotkey_binding.h"
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

// The run panel as the binding sees it: its edits and the editor's text.
class FakeView : public HotkeyBindingView {
  public:
    Utf8Text processName;
    Utf8Text hotkeyText;
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
    void RunBoundScript() override { scriptsRun.push_back(editorText); }
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
    ProgramKeys keys;
    FakeView view;
    HotkeyBinding binding{monitor, platform, keys, view};
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
    keys.Assign(ProgramKey::Record, 120, "F9 录制");
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

}  // namespace
}  // namespace kavo
