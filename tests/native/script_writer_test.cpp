// What a recording becomes: statements that play the user's input back, readable and editable.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "commands/script_words.h"
#include "engine/script_engine.h"
#include "engine/statement_scan.h"
#include "platform/fake/recording_platform.h"
#include "recording/recording_options.h"
#include "recording/script_writer.h"
#include "text/encoding.h"

namespace kavo {
namespace {

RecordedEvent Key(RecordedKind kind, KeyCode key, std::uint64_t ms) {
    RecordedEvent event;
    event.kind = kind;
    event.key = key;
    event.timeMs = ms;
    return event;
}
RecordedEvent Down(KeyCode key, std::uint64_t ms) {
    return Key(RecordedKind::KeyDown, key, ms);
}
RecordedEvent Up(KeyCode key, std::uint64_t ms) {
    return Key(RecordedKind::KeyUp, key, ms);
}
RecordedEvent Mouse(RecordedKind kind, int x, int y, std::uint64_t ms,
                    MouseButton button = MouseButton::Left, int notches = 0) {
    RecordedEvent event;
    event.kind = kind;
    event.point = {x, y};
    event.timeMs = ms;
    event.button = button;
    event.wheelNotches = notches;
    return event;
}
RecordedEvent Press(int x, int y, std::uint64_t ms, MouseButton button = MouseButton::Left) {
    return Mouse(RecordedKind::ButtonDown, x, y, ms, button);
}
RecordedEvent Release(int x, int y, std::uint64_t ms, MouseButton button = MouseButton::Left) {
    return Mouse(RecordedKind::ButtonUp, x, y, ms, button);
}
RecordedEvent Move(int x, int y, std::uint64_t ms) {
    return Mouse(RecordedKind::Move, x, y, ms);
}

std::string Written(const std::vector<RecordedEvent>& events,
                    const RecordingOptions& options = {}) {
    return GbkToUtf8(WriteRecording(events, options));
}

TEST(ScriptWriter, EachKindOfInputBecomesTheStatementsThatPlayItBack) {
    struct Case {
        const char* what;
        std::vector<RecordedEvent> events;
        std::string statements;
    };
    const Case cases[] = {
        {"a click, with the pointer moved there first",
         {Press(300, 200, 1000), Release(300, 200, 1080)},
         "鼠标移动(300,200)\r\n鼠标(左键)\r\n"},
        {"a right click that moved a little between press and release is still a click",
         {Press(300, 200, 1000, MouseButton::Right), Move(302, 201, 1040),
          Release(302, 201, 1080, MouseButton::Right)},
         "鼠标移动(300,200)\r\n鼠标(右键)\r\n"},
        {"the middle button",
         {Press(5, 5, 0, MouseButton::Middle), Release(5, 5, 50, MouseButton::Middle)},
         "鼠标移动(5,5)\r\n鼠标(中键)\r\n"},
        {"two clicks: the pause takes off the glide between them",
         {Press(100, 100, 0), Release(100, 100, 50), Press(400, 100, 1000),
          Release(400, 100, 1050)},
         "鼠标移动(100,100)\r\n鼠标(左键)\r\n延时(700)\r\n鼠标移动(400,100)\r\n鼠标(左键)\r\n"},
        {"a pointer faster than the glide is placed at once",
         {Press(100, 100, 0), Release(100, 100, 50), Press(900, 100, 250), Release(900, 100, 300)},
         "鼠标移动(100,100)\r\n鼠标(左键)\r\n延时(250)\r\n鼠标定位(900,100)\r\n鼠标(左键)\r\n"},
        {"a drag",
         {Press(10, 10, 0), Move(60, 10, 100), Move(210, 10, 400), Release(210, 10, 500)},
         "鼠标移动(10,10)\r\n鼠标(左键按下)\r\n延时(300)\r\n鼠标移动(210,10)\r\n"
         "鼠标(左键弹起)\r\n"},
        {"the wheel at the pointer, one statement a notch",
         {Mouse(RecordedKind::Wheel, 50, 60, 0, MouseButton::Left, 2),
          Mouse(RecordedKind::Wheel, 50, 60, 400, MouseButton::Left, -1)},
         "鼠标移动(50,60)\r\n鼠标(滚轮上)\r\n鼠标(滚轮上)\r\n延时(400)\r\n鼠标(滚轮下)\r\n"},
        {"letters and digits typed in a run, at their pace",
         {Down('H', 0), Up('H', 40), Down('I', 150), Up('I', 190), Down('7', 300), Up('7', 340)},
         "按键(hi7,150)\r\n"},
        {"a pause in the typing splits it",
         {Down('A', 0), Up('A', 40), Down('B', 2000), Up('B', 2040)},
         "按键(a,0)\r\n延时(2000)\r\n按键(b,0)\r\n"},
        {"other keys alone: Enter, the full stop (按键 would press Delete), F5",
         {Down(13, 0), Up(13, 50), Down(0xBE, 500), Up(0xBE, 550), Down(116, 1000), Up(116, 1050)},
         "特殊按键(13)\r\n延时(400)\r\n特殊按键(190)\r\n延时(400)\r\n特殊按键(116)\r\n"},
        {"Ctrl+A: the key held for the other is pressed and released apart",
         {Down(17, 0), Down('A', 100), Up('A', 150), Up(17, 200)},
         "按住(17)\r\n延时(100)\r\n特殊按键(65)\r\n松开(17)\r\n"},
        {"Shift for a capital",
         {Down(16, 0), Down('Q', 100), Up('Q', 150), Up(16, 180)},
         "按住(16)\r\n延时(100)\r\n特殊按键(81)\r\n松开(16)\r\n"},
        {"auto-repeat of a held key is one press",
         {Down(40, 0), Down(40, 500), Down(40, 530), Up(40, 600)},
         "特殊按键(40)\r\n"},
        {"a key down before the recording began is let go of without a word",
         {Up(17, 0), Down('X', 200), Up('X', 240)},
         "按键(x,0)\r\n"},
        {"so is a button pressed before it began",
         {Release(40, 40, 0), Press(300, 200, 1000), Release(300, 200, 1080)},
         "鼠标移动(300,200)\r\n鼠标(左键)\r\n"},
        {"a key still held at the end (Ctrl pressed with the end key) is let go of at the end",
         {Down('A', 0), Up('A', 40), Down(17, 500)},
         "按键(a,0)\r\n延时(500)\r\n按住(17)\r\n松开(17)\r\n"},
        {"a drag cut short by the end lets the button go where it was",
         {Press(10, 10, 0), Move(200, 10, 400)},
         "鼠标移动(10,10)\r\n鼠标(左键按下)\r\n延时(210)\r\n鼠标移动(200,10)\r\n"
         "鼠标(左键弹起)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Written(c.events), c.statements);
    }
}

TEST(ScriptWriter, TheOptionsChooseWhatIsWritten) {
    const std::vector<RecordedEvent> events = {
        Move(0, 0, 0),      Move(50, 0, 50),      Move(100, 0, 100), Move(150, 0, 150),
        Press(150, 0, 200), Release(150, 0, 250), Down('K', 300),    Up('K', 340),
    };
    RecordingOptions onlyKeys;
    onlyKeys.mouse = false;
    EXPECT_EQ(Written(events, onlyKeys), "按键(k,0)\r\n");
    RecordingOptions onlyMouse;
    onlyMouse.keyboard = false;
    EXPECT_EQ(Written(events, onlyMouse), "鼠标移动(150,0)\r\n鼠标(左键)\r\n");
    RecordingOptions path;
    path.path = true;
    path.pathIntervalMs = 100;
    EXPECT_EQ(Written(events, path),
              "鼠标移动(0,0)\r\n鼠标移动(100,0)\r\n鼠标移动(150,0)\r\n鼠标(左键)\r\n延时(100)\r\n"
              "按键(k,0)\r\n");
    RecordingOptions longPauses;
    longPauses.pauseThresholdMs = 1000;
    EXPECT_EQ(Written({Down('A', 0), Up('A', 10), Down(13, 900), Up(13, 950)}, longPauses),
              "按键(a,0)\r\n特殊按键(13)\r\n");
    // Positive control of the threshold: the same pause above it is kept.
    longPauses.pauseThresholdMs = 500;
    EXPECT_EQ(Written({Down('A', 0), Up('A', 10), Down(13, 900), Up(13, 950)}, longPauses),
              "按键(a,0)\r\n延时(900)\r\n特殊按键(13)\r\n");
}

// Whatever the user did, the page speaks only the language's words, each with its argument
// count and 鼠标 with its own words, and passes the check before a run.
TEST(ScriptWriter, TheRecordingSpeaksOnlyTheLanguagesWords) {
    const std::vector<RecordedEvent> events = {
        Press(100, 100, 0),
        Release(100, 100, 50),  // a click
        Press(900, 100, 150),
        Release(900, 100, 200),  // placed: faster than the glide
        Mouse(RecordedKind::Wheel, 900, 100, 400, MouseButton::Middle, 1),
        Mouse(RecordedKind::Wheel, 900, 100, 500, MouseButton::Middle, -1),
        Press(900, 300, 700, MouseButton::Right),
        Move(600, 300, 900),
        Release(500, 300, 1000, MouseButton::Right),  // a drag
        Down('H', 1200),
        Up('H', 1210),
        Down('I', 1300),
        Up('I', 1310),  // typed
        Down(13, 1500),
        Up(13, 1550),  // tapped
        Down(keys::kControl, 1700),
        Down('C', 1750),
        Up('C', 1800),
        Up(keys::kControl, 1850),  // held for another
        Down(keys::kShift, 2000),  // still held at the end
    };
    const RuntimeText page = WriteRecording(events, RecordingOptions{});
    std::set<std::string> names;
    for (const ScannedStatement& statement : ScanStatements(page)) {
        const std::string name = GbkToUtf8(statement.rawName);
        const ScriptWord* word = FindScriptWord(name);
        ASSERT_NE(word, nullptr) << name;
        EXPECT_EQ(CountArguments(statement.arguments),
                  static_cast<std::size_t>(word->argumentCount))
            << name;
        if (name == kWordMouse) {
            const std::string said = GbkToUtf8(statement.arguments);
            bool known = false;
            for (const MouseWord& mouseWord : MouseWords()) known |= mouseWord.name == said;
            EXPECT_TRUE(known) << said;
        }
        names.insert(name);
    }
    // Positive control: the recording above brought every word the recorder writes.
    for (const std::string_view word :
         {kWordMouse, kWordDelay, kWordMouseMove, kWordTypeKeys, kWordSpecialKey, kWordPlaceCursor,
          kWordHoldKey, kWordReleaseKey})
        EXPECT_EQ(names.count(std::string(word)), 1u) << word;
    ScriptEngine engine;
    AddScriptWordsDoingNothing(engine);
    const std::optional<ScriptFault> fault = engine.CheckScript(page);
    EXPECT_FALSE(fault.has_value()) << (fault ? fault->message : "");
}

TEST(ScriptWriter, TenMinutesOfPathStayAPageToRead) {
    // Ten minutes of a pointer circling, sampled every 100 ms: one line a sample at most, each a
    // short statement.
    std::vector<RecordedEvent> events;
    for (std::uint64_t ms = 0; ms < 600000; ms += 16)
        events.push_back(Move(static_cast<int>(500 + (ms / 16) % 200), 400, ms));
    RecordingOptions path;
    path.path = true;
    path.pathIntervalMs = 100;
    const std::string written = Written(events, path);
    const auto lines = static_cast<std::size_t>(std::count(written.begin(), written.end(), '\n'));
    EXPECT_LE(lines, 6001u);
    EXPECT_GT(lines, 1000u);
}

TEST(RecordingSettings, AreKeptInAFileOfTheirOwnAndReadBackWhateverItHolds) {
    RecordingPlatform files;
    files.AddFolder("C:\\kavo");
    EXPECT_EQ(ReadRecordingSettings(files), RecordingSettings{});  // missing: the defaults
    RecordingSettings chosen;
    chosen.options.mouse = false;
    chosen.options.path = true;
    chosen.options.pathIntervalMs = 250;
    chosen.options.pauseThresholdMs = 40;
    chosen.recordKey = 119;  // F8
    ASSERT_TRUE(WriteRecordingSettings(files, chosen));
    EXPECT_EQ(ReadRecordingSettings(files), chosen);
    EXPECT_FALSE(files.HasFile("C:\\kavo\\link.ini"));
    // A hand-edited file: unknown lines, values out of range or no numbers keep the defaults.
    files.AddFile(RecordingSettingsPath(files),
                  Utf8ToGbk("录制鼠标=假\n路径间隔毫秒=0\n停顿阈值毫秒=abc\n录制键代码=999\n"
                            "别的=1\n录制指针路径=真"));
    RecordingSettings expected;
    expected.options.mouse = false;
    expected.options.path = true;
    EXPECT_EQ(ReadRecordingSettings(files), expected);
    // Only F2 to F11 start a recording: F12 stops runs, a letter would be typed.
    for (const auto& [line, key] :
         std::vector<std::pair<const char*, KeyCode>>{{"录制键代码=123", kDefaultRecordKey},
                                                      {"录制键代码=65", kDefaultRecordKey},
                                                      {"录制键代码=113", 113},
                                                      {"录制键代码=122", 122}}) {
        SCOPED_TRACE(line);
        files.AddFile(RecordingSettingsPath(files), Utf8ToGbk(line));
        EXPECT_EQ(ReadRecordingSettings(files).recordKey, key);
    }
}

TEST(RecordingSettings, TheOptionsWindowsFormGivesSettingsOrSaysWhatIsWrong) {
    const RecordingOptionsForm form{.path = true,
                                    .pathIntervalMs = Utf8Text("250"),
                                    .pauseThresholdMs = Utf8Text("40"),
                                    .recordKey = 119};
    // Positive control: a sound form.
    const auto sound = SettingsFromForm(form, 65);
    ASSERT_TRUE(std::holds_alternative<RecordingSettings>(sound));
    RecordingSettings expected;
    expected.options.path = true;
    expected.options.pathIntervalMs = 250;
    expected.options.pauseThresholdMs = 40;
    expected.recordKey = 119;
    EXPECT_EQ(std::get<RecordingSettings>(sound), expected);
    struct Case {
        const char* what;
        std::function<void(RecordingOptionsForm&)> change;
        int boundHotkey;
        const char* refusalStart;
    };
    const Case cases[] = {
        {"nothing to record", [](auto& f) { f.mouse = f.keyboard = false; }, 0,
         "录制鼠标和录制键盘"},
        {"an interval too short", [](auto& f) { f.pathIntervalMs.assign(1, '9'); }, 0, "路径间隔"},
        {"an interval that is no number", [](auto& f) { f.pathIntervalMs.push_back('s'); }, 0,
         "路径间隔"},
        {"no threshold", [](auto& f) { f.pauseThresholdMs.clear(); }, 0, "停顿阈值"},
        {"F12 as the record key", [](auto& f) { f.recordKey = 123; }, 0, "录制键只能"},
        {"the run hotkey as the record key", [](auto&) {}, 119, "F8 已绑定"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingOptionsForm changed = form;
        c.change(changed);
        const auto refused = SettingsFromForm(changed, c.boundHotkey);
        ASSERT_TRUE(std::holds_alternative<Utf8Text>(refused));
        EXPECT_EQ(std::get<Utf8Text>(refused).rfind(c.refusalStart, 0), 0u)
            << std::get<Utf8Text>(refused);
    }
}

}  // namespace
}  // namespace kavo
