// What a recording keeps of what it hears, and where it starts and ends.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "recording/recording_session.h"
#include "text/encoding.h"

namespace kavo {
namespace {

constexpr KeyCode kF9 = 120;
constexpr KeyCode kF12 = 123;
constexpr std::uint32_t kStart = 1000;

KeyEvent Key(KeyCode key, bool down, std::uint32_t ms, bool ours = false) {
    return KeyEvent{key, down, ours, ms};
}

RecordedEvent Button(RecordedKind kind, int x, int y, std::uint32_t ms) {
    RecordedEvent event;
    event.kind = kind;
    event.point = {x, y};
    event.timeMs = ms;
    return event;
}

struct Recording {
    RecordingSession session{kF12};
    RecordingSettings settings;

    void Click(int x, int y, std::uint32_t ms) {
        session.HearMouse(Button(RecordedKind::ButtonDown, x, y, ms));
        session.HearMouse(Button(RecordedKind::ButtonUp, x, y, ms + 50));
    }
    void Tap(KeyCode key, std::uint32_t ms, bool ours = false) {
        session.HearKey(Key(key, true, ms, ours));
        session.HearKey(Key(key, false, ms + 40, ours));
    }
    std::string Written() { return GbkToUtf8(session.Finish()); }
};

TEST(RecordingSession, KeepsWhatTheUserDidBetweenItsStartAndItsEnd) {
    struct Case {
        const char* what;
        std::function<void(Recording&)> act;
        std::string statements;
    };
    const Case cases[] = {
        {"positive control: a click and a typed key are kept",
         [](Recording& r) {
             r.Click(300, 200, kStart + 10);
             r.Tap('Q', kStart + 100);
         },
         "鼠标移动(300,200)\r\n鼠标(左键)\r\n按键(q,0)\r\n"},
        {"the record key and the stop key are not kept, a key beside them is",
         [](Recording& r) {
             r.Tap(kF9, kStart + 10);
             r.Tap(kF12, kStart + 20);
             r.Tap(kF9 - 1, kStart + 30);  // F8
         },
         "特殊按键(119)\r\n"},
        {"the program's own keys are not kept, the same key typed is",
         [](Recording& r) {
             r.Tap(13, kStart + 10, true);
             r.Tap(13, kStart + 20);
         },
         "特殊按键(13)\r\n"},
        {"the release of the key that started it is not kept",
         [](Recording& r) {
             r.session.HearKey(Key(kF9 - 1, false, kStart + 5));
             r.session.HearKey(Key(17, false, kStart + 6));
             r.Tap('Z', kStart + 10);
         },
         "按键(z,0)\r\n"},
        {"nor the release of a click made before it began",
         [](Recording& r) {
             r.session.HearMouse(Button(RecordedKind::ButtonUp, 5, 5, kStart + 1));
             r.Click(70, 80, kStart + 10);
         },
         "鼠标移动(70,80)\r\n鼠标(左键)\r\n"},
        {"the last click before the end is kept, nothing after it",
         [](Recording& r) {
             r.Click(10, 10, kStart + 10);
             r.Click(20, 20, kStart + 30);
             EXPECT_TRUE(r.session.StopTaking());
             r.Click(30, 30, kStart + 60);
             r.Tap('X', kStart + 70);
         },
         "鼠标移动(10,10)\r\n鼠标(左键)\r\n鼠标移动(20,20)\r\n鼠标(左键)\r\n"},
        {"the click on the tray icon that ended it is dropped, the one before stays",
         [](Recording& r) {
             r.Click(10, 10, kStart + 10);
             r.Click(900, 700, kStart + 500);
             r.session.StopTaking();
             r.session.DropLastClick();
         },
         "鼠标移动(10,10)\r\n鼠标(左键)\r\n"},
        {"an event stamped just before the start counts from the start",
         [](Recording& r) { r.Click(40, 40, kStart - 5); }, "鼠标移动(40,40)\r\n鼠标(左键)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recording recording;
        recording.session.Begin(recording.settings, kStart);
        c.act(recording);
        EXPECT_EQ(recording.Written(), c.statements);
        EXPECT_FALSE(recording.session.Taking());
    }
}

TEST(RecordingSession, HearsNothingBeforeItBeginsAndKeepsOnlyWhatItsOptionsAsk) {
    Recording recording;
    recording.Click(1, 1, 10);
    recording.Tap('A', 20);
    EXPECT_EQ(recording.Written(), "");
    // With the keyboard left out only the mouse is kept, and the other way round.
    recording.settings.options.keyboard = false;
    recording.session.Begin(recording.settings, kStart);
    recording.Click(9, 9, kStart + 10);
    recording.Tap('A', kStart + 20);
    EXPECT_EQ(recording.Written(), "鼠标移动(9,9)\r\n鼠标(左键)\r\n");
    recording.settings.options = RecordingOptions{};
    recording.settings.options.mouse = false;
    recording.session.Begin(recording.settings, kStart);
    recording.Click(9, 9, kStart + 10);
    recording.Tap('A', kStart + 20);
    EXPECT_EQ(recording.Written(), "按键(a,0)\r\n");
    // Another record key: F9 is then a key like any other, and the chosen one is left out.
    recording.settings.options = RecordingOptions{};
    recording.settings.recordKey = 118;  // F7
    recording.session.Begin(recording.settings, kStart);
    EXPECT_EQ(recording.session.RecordKey(), 118);
    recording.Tap(118, kStart + 10);
    recording.Tap(kF9, kStart + 20);
    EXPECT_EQ(recording.Written(), "特殊按键(120)\r\n");
    // A second start forgets what the first kept.
    recording.session.Begin(recording.settings, kStart);
    recording.Tap('B', kStart + 10);
    recording.session.Begin(recording.settings, kStart);
    recording.Tap('C', kStart + 10);
    EXPECT_EQ(recording.Written(), "按键(c,0)\r\n");
}

}  // namespace
}  // namespace kavo
