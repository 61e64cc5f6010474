// One recording, from its start to its end. The hooks' threads hand it what the user does; it
// keeps what belongs in the page and, once it ends, writes the statements. Thread-safe.
//
// Never kept: the program's own injected input (a script's 特殊按键(120) is no F9 of the user),
// the record key and the stop key (they start and end the recording), a release whose press came
// before the start (the click or key that started it), and anything after the end: the end key's
// own thread stops the taking, so the last click before it is in and nothing after is.
#pragma once

#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "hotkeys/keyboard_watch.h"
#include "recording/recorded_input.h"
#include "recording/recording_options.h"
#include "text/runtime_text.h"

namespace kavo {

class RecordingSession {
  public:
    // What a session may hold before it ends itself: some 2 million events, hours of steady
    // input, far below what leaves a desktop short of memory.
    static constexpr std::size_t kMostHeldBytes = std::size_t{64} << 20;

    explicit RecordingSession(KeyCode stopKey, std::size_t mostHeldBytes = kMostHeldBytes)
        : stopKey_(stopKey), mostHeldBytes_(mostHeldBytes) {}

    // Called once, on the thread of the event that found the session full (or memory short):
    // it has stopped taking, and what it kept before is written as usual. Set before Begin.
    void WhenFull(std::function<void()> onFull);
    // The last recording ended itself that way.
    bool EndedFull() const;
    // What the kept events take.
    std::size_t HeldBytes() const;

    // Starts taking events, forgetting any before. nowMs: the system's tick count now, the time
    // base the hooks stamp their events with.
    void Begin(const RecordingSettings& settings, std::uint32_t nowMs);
    bool Taking() const;
    // The key that ends the recording: the record key of the settings it began with.
    KeyCode RecordKey() const;

    // From the keyboard watch's listener and the mouse hook; return at once. A mouse event's
    // timeMs is the system's 32-bit stamp.
    void HearKey(const KeyEvent& event);
    void HearMouse(const RecordedEvent& event);

    // Stops taking (from the end key's thread, before anything else can come in). True when it
    // was taking.
    bool StopTaking();
    // A click that ended the recording (on the program's tray icon) is no part of it: what was
    // kept from the last button press on goes.
    void DropLastClick();
    // The statements of what was kept (GBK, CR LF lines; empty when nothing was), and the end of
    // the session.
    RuntimeText Finish();

  private:
    // Time since the start; a stamp a little before it (queued as it began) counts as 0.
    std::uint64_t SinceStart(std::uint32_t stamp) const;
    // Every event but a move. Returns false when the session is full.
    bool Keep(RecordedEvent event, std::uint32_t stamp);
    // A move, kept only where the page needs it (script_writer.h): a point of the path, the first
    // move of a press that strays too far for a click, or the last move heard (held aside until
    // something else comes, and dropped when a later point of the path is kept).
    bool KeepMove(RecordedEvent event);
    bool Append(const RecordedEvent& event);
    void Full();

    const KeyCode stopKey_;
    const std::size_t mostHeldBytes_;
    std::function<void()> onFull_;
    mutable std::mutex mutex_;
    bool endedFull_ = false;
    bool taking_ = false;
    RecordingSettings settings_;
    std::uint32_t startMs_ = 0;
    // A deque: growing never copies what is kept, so no hook call waits for a long copy. Most
    // moves are not kept: a mouse reports 125 to 1000 a second, the page needs a few.
    std::deque<RecordedEvent> events_;
    std::optional<RecordedEvent> lastMove_;  // heard since the last event kept
    std::optional<std::uint64_t> lastPathMs_;
    Point pressPoint_;        // of the last button pressed
    bool strayKept_ = false;  // a move too far for a click since that press
    std::bitset<256> keysDown_;
    std::bitset<3> buttonsDown_;
};

}  // namespace kavo
