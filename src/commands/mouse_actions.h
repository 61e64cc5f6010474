// Clicks at the cursor, cursor placement, the one-pixel-per-millisecond glide and mouse messages
// posted straight to a window.
#pragma once

#include "platform/platform.h"

namespace kavo {

enum class ClickKind { Left, Right, Middle };

void ClickAtCursor(InputPort& input, ClickKind kind);
// The button goes down, or up, at the cursor, and stays so (a drag's press, then its release).
void PressButtonAtCursor(InputPort& input, MouseButton button, KeyDirection direction);
// Notches of the wheel at the cursor, positive away from the user.
void TurnWheel(InputPort& input, int notches);
void MoveCursor(InputPort& input, int x, int y);
void GlideCursor(InputPort& input, WaitPort& wait, int x, int y);
// Button 0/1 left, 2 right, 3 middle, 4 wheel forward, 5 wheel backward; action 0/1 click,
// 2 double click, 3 press, 4 release. Window 0 means the desktop window.
void PostMouseMessage(InputPort& input, NativeWindow window, int x, int y, int button, int action);

}  // namespace kavo
