// A ten-minute recording with the pointer's path kept every 100 ms: the hooks hand the session
// every move the system reports (125 a second), a click every five seconds and some typing; the
// page it writes must stay one a user can read. Also what one event costs the session, which is
// what a hook callback adds to the system's input on top of its own work, and what the session
// holds after an hour of moves.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "recording/recording_session.h"
#include "recording/script_writer.h"

namespace kavo {
namespace {

constexpr std::uint32_t kMinutes = 10;
constexpr std::uint32_t kMoveEveryMs = 8;

std::vector<RecordedEvent> TenMinutes() {
    std::vector<RecordedEvent> events;
    for (std::uint32_t t = 0; t < kMinutes * 60 * 1000; t += kMoveEveryMs) {
        RecordedEvent move;
        move.timeMs = t;
        // A slow circle-ish wander over a 1280 × 1024 screen.
        move.point = {static_cast<int>(640 + (t / 7) % 500) - 250,
                      static_cast<int>(512 + (t / 11) % 400) - 200};
        events.push_back(move);
        if (t % 5000 == 0) {
            RecordedEvent down = move;
            down.kind = RecordedKind::ButtonDown;
            RecordedEvent up = down;
            up.kind = RecordedKind::ButtonUp;
            up.timeMs = t + 4;
            events.push_back(down);
            events.push_back(up);
        }
        if (t % 20000 == 1000) {
            for (KeyCode key : {KeyCode{'H'}, KeyCode{'I'}}) {
                RecordedEvent press;
                press.kind = RecordedKind::KeyDown;
                press.key = key;
                press.timeMs = t + 1;
                RecordedEvent release = press;
                release.kind = RecordedKind::KeyUp;
                release.timeMs = t + 3;
                events.push_back(press);
                events.push_back(release);
            }
        }
    }
    return events;
}

void BM_WriteTenMinutesWithThePath(benchmark::State& state) {
    const std::vector<RecordedEvent> events = TenMinutes();
    RecordingOptions options;
    options.path = true;
    options.pathIntervalMs = 100;
    std::size_t lines = 0;
    for (auto _ : state) {
        const RuntimeText page = WriteRecording(events, options);
        lines = static_cast<std::size_t>(std::count(page.begin(), page.end(), '\n'));
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["events"] = static_cast<double>(events.size());
    state.counters["lines"] = static_cast<double>(lines);
    state.SetLabel("a page of at most one 鼠标移动 per 100 ms: <= 6,000 moves + clicks");
}
BENCHMARK(BM_WriteTenMinutesWithThePath)->Unit(benchmark::kMillisecond);

// One mouse event handed to a session already holding ten minutes of them: the hook's own part.
void BM_SessionHearsOneMouseEvent(benchmark::State& state) {
    RecordingSession session(123);
    RecordingSettings settings;
    session.Begin(settings, 0);
    const std::vector<RecordedEvent> events = TenMinutes();
    for (const RecordedEvent& event : events) session.HearMouse(event);
    RecordedEvent move;
    std::uint32_t t = kMinutes * 60 * 1000;
    for (auto _ : state) {
        move.timeMs = t += kMoveEveryMs;
        session.HearMouse(move);
    }
    state.SetLabel("goal: far below 1 ms (the hook callback's whole budget)");
}
BENCHMARK(BM_SessionHearsOneMouseEvent)->Unit(benchmark::kNanosecond);

// What a session holds after an hour of a pointer that never rests, reported by a mouse at 125
// and at 1000 times a second, with the recording's default options (a path point at most every
// 100 ms). A session that kept every move held one event for each.
void BM_SessionHoldsAnHourOfMovement(benchmark::State& state) {
    const auto everyMs = static_cast<std::uint32_t>(state.range(0));
    constexpr std::uint32_t kHourMs = 3600 * 1000;
    std::size_t held = 0;
    for (auto _ : state) {
        RecordingSession session(123);
        session.Begin(RecordingSettings{}, 0);
        RecordedEvent move;
        for (std::uint32_t t = 0; t < kHourMs; t += everyMs) {
            move.timeMs = t;
            move.point = {static_cast<int>(640 + (t / 7) % 500) - 250,
                          static_cast<int>(512 + (t / 11) % 400) - 200};
            session.HearMouse(move);
        }
        held = session.HeldBytes();
        benchmark::DoNotOptimize(held);
    }
    const double everyMove = static_cast<double>(kHourMs / everyMs) * sizeof(RecordedEvent);
    state.counters["bytes"] = static_cast<double>(held);
    char label[160];
    std::snprintf(label, sizeof label,
                  "goal: <= 2 MB an hour at 100 ms; every move kept: %.1f MB (%u moves a second)",
                  everyMove / 1e6, 1000 / everyMs);
    state.SetLabel(label);
}
BENCHMARK(BM_SessionHoldsAnHourOfMovement)
    ->Arg(8)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavo
