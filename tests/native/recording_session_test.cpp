// What a recording keeps of what it hears, and where it starts and ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "recording/recording_session.h"
#include "recording/script_writer.h"
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

// A minute of a user at work, times from the start: the pointer wandering all the time (a move
// every everyMs, as the system reports them), clicks with a pixel of jitter, drags, typing with
// and without Ctrl held, the wheel.
std::vector<RecordedEvent> AMinuteOfWork(std::uint64_t everyMs) {
    std::vector<RecordedEvent> events;
    const auto add = [&](RecordedKind kind, Point point, std::uint64_t ms, KeyCode key = 0) {
        RecordedEvent event;
        event.kind = kind;
        event.point = point;
        event.timeMs = ms;
        event.key = key;
        event.wheelNotches = kind == RecordedKind::Wheel ? -1 : 0;
        events.push_back(event);
    };
    const auto pointAt = [](std::uint64_t ms) {
        return Point{static_cast<int>(400 + (ms / 7) % 300),
                     static_cast<int>(300 + (ms / 11) % 200)};
    };
    for (std::uint64_t ms = 0; ms < 60000; ms += everyMs) add(RecordedKind::Move, pointAt(ms), ms);
    for (std::uint64_t ms = 1000; ms < 60000; ms += 1500) {
        const Point at = pointAt(ms);
        add(RecordedKind::ButtonDown, at, ms + 1);
        add(RecordedKind::Move, {at.x + 1, at.y}, ms + 20);
        add(RecordedKind::Move, {at.x + 1, at.y - 1}, ms + 40);
        add(RecordedKind::ButtonUp, {at.x + 1, at.y - 1}, ms + 61);
    }
    for (std::uint64_t ms = 2200; ms < 60000; ms += 4000) {  // drags, away and back
        const Point at = pointAt(ms);
        add(RecordedKind::ButtonDown, at, ms + 1);
        add(RecordedKind::Move, {at.x + 60, at.y + 30}, ms + 50);
        add(RecordedKind::Move, {at.x + 2, at.y}, ms + 90);
        add(RecordedKind::ButtonUp, {at.x + 2, at.y}, ms + 131);
    }
    for (std::uint64_t ms = 300; ms < 60000; ms += 2500) {
        const bool ctrl = (ms / 2500) % 3 == 0;
        if (ctrl) add(RecordedKind::KeyDown, {}, ms + 2, 17);
        add(RecordedKind::KeyDown, {}, ms + 3, 'C');
        add(RecordedKind::KeyUp, {}, ms + 33, 'C');
        if (ctrl) add(RecordedKind::KeyUp, {}, ms + 37, 17);
    }
    for (std::uint64_t ms = 900; ms < 60000; ms += 3000)
        add(RecordedKind::Wheel, pointAt(ms), ms + 5);
    std::stable_sort(
        events.begin(), events.end(),
        [](const RecordedEvent& a, const RecordedEvent& b) { return a.timeMs < b.timeMs; });
    return events;
}

void Hear(RecordingSession& session, const RecordedEvent& event) {
    if (event.kind == RecordedKind::KeyDown || event.kind == RecordedKind::KeyUp) {
        session.HearKey(Key(event.key, event.kind == RecordedKind::KeyDown,
                            static_cast<std::uint32_t>(kStart + event.timeMs)));
        return;
    }
    RecordedEvent stamped = event;
    stamped.timeMs += kStart;
    session.HearMouse(stamped);
}

// The pointer's way needs no more than one point per path interval: the session keeps no more
// as the moves come, and writes the page it would have written from every move.
TEST(RecordingSession, KeepsAtMostAMoveAPathIntervalAndWritesTheSamePage) {
    for (const std::uint64_t everyMs : {8u, 1u}) {  // a mouse at 125 and at 1000 reports a second
        for (const int interval : {10, 100, 250}) {
            for (const bool path : {false, true}) {
                SCOPED_TRACE(std::to_string(everyMs) + " ms, interval " + std::to_string(interval) +
                             (path ? ", with the path" : ""));
                const std::vector<RecordedEvent> events = AMinuteOfWork(everyMs);
                RecordingSettings settings;
                settings.options.path = path;
                settings.options.pathIntervalMs = interval;
                RecordingSession session(kF12);
                session.Begin(settings, kStart);
                std::size_t others = 0;
                for (const RecordedEvent& event : events) {
                    Hear(session, event);
                    if (event.kind != RecordedKind::Move) ++others;
                }
                // A move per interval, and around each other event a move held for it (one
                // far from a pressed button, the last before it).
                const std::size_t most =
                    60000 / static_cast<std::size_t>(interval) + 1 + 3 * others;
                EXPECT_LE(session.HeldBytes(), most * sizeof(RecordedEvent));
                EXPECT_GT(session.HeldBytes(), others * sizeof(RecordedEvent));
                EXPECT_EQ(GbkToUtf8(session.Finish()),
                          GbkToUtf8(WriteRecording(events, settings.options)));
            }
        }
    }
}

// A session that holds all it may ends itself: once, with what came before it written, and
// takes nothing after.
TEST(RecordingSession, EndsItselfWhenItHoldsAllItMay) {
    for (const bool tight : {true, false}) {
        SCOPED_TRACE(tight ? "a bound of 40 events" : "positive control: room for all");
        RecordingSession session(kF12, (tight ? 40 : 4000) * sizeof(RecordedEvent));
        int told = 0;
        session.WhenFull([&] { ++told; });
        RecordingSettings settings;
        session.Begin(settings, kStart);
        for (int i = 0; i < 50; ++i) {  // 50 taps, 100 events that no thinning drops
            session.HearKey(Key('A' + i % 26, true, kStart + 1000 * i));
            session.HearKey(Key('A' + i % 26, false, kStart + 1000 * i + 40));
        }
        EXPECT_EQ(told, tight ? 1 : 0);
        EXPECT_EQ(session.EndedFull(), tight);
        EXPECT_EQ(session.Taking(), !tight);
        EXPECT_LE(session.HeldBytes(), (tight ? 40 : 100) * sizeof(RecordedEvent));
        const std::string written = GbkToUtf8(session.Finish());
        // 20 taps fit the bound of 40; each is one 按键 of its own, typed a second apart.
        EXPECT_EQ(written.rfind("按键(a,0)\r\n", 0), 0u) << written;
        EXPECT_EQ(written.find("按键(u,0)") != std::string::npos, !tight) << written;
        // A new recording begins as any other.
        session.Begin(settings, kStart);
        EXPECT_FALSE(session.EndedFull());
        session.HearKey(Key('Q', true, kStart + 10));
        session.HearKey(Key('Q', false, kStart + 20));
        EXPECT_EQ(GbkToUtf8(session.Finish()), "按键(q,0)\r\n");
    }
}

}  // namespace
}  // namespace kavo
