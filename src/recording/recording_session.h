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
#include <mutex>

#include "hotkeys/keyboard_watch.h"
#include "recording/recorded_input.h"
#include "recording/recording_options.h"
#include "text/runtime_text.h"

namespace kavo {

class RecordingSession {
  public:
    explicit RecordingSession(KeyCode stopKey) : stopKey_(stopKey) {}

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
    void Keep(RecordedEvent event, std::uint32_t stamp);

    const KeyCode stopKey_;
    mutable std::mutex mutex_;
    bool taking_ = false;
    RecordingSettings settings_;
    std::uint32_t startMs_ = 0;
    // A deque: growing never copies what is kept, so no hook call waits for a long copy.
    std::deque<RecordedEvent> events_;
    std::bitset<256> keysDown_;
    std::bitset<3> buttonsDown_;
};

}  // namespace kavo
