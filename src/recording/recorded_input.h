// What a recording hears of the user: key and mouse events in the order they happened, with the
// moment each happened. Screen points are the screen's own (physical) pixels, as scripts use.
#pragma once

#include <cstdint>

#include "platform/input_values.h"
#include "platform/platform.h"

namespace kavo {

enum class RecordedKind : std::uint8_t { KeyDown, KeyUp, ButtonDown, ButtonUp, Wheel, Move };

struct RecordedEvent {
    RecordedKind kind = RecordedKind::Move;
    std::uint64_t timeMs = 0;
    KeyCode key = 0;                         // KeyDown, KeyUp
    MouseButton button = MouseButton::Left;  // ButtonDown, ButtonUp
    Point point;                             // every mouse event
    int wheelNotches = 0;                    // Wheel: + away from the user
};

// How a recording turns into statements, chosen in its options window.
struct RecordingOptions {
    bool mouse = true;
    bool keyboard = true;
    // The pointer's way between clicks, at most one 鼠标移动 per pathIntervalMs.
    bool path = false;
    int pathIntervalMs = 100;
    // Pauses shorter than this are left out.
    int pauseThresholdMs = 100;
};

}  // namespace kavo
