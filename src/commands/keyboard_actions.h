// Typing a text key by key, pressing one virtual key through the input stream, and key messages
// posted straight to a window.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

// One press and release per byte of the upper-cased GBK text, pauseMs after each.
void TypeKeys(InputPort& input, WaitPort& wait, std::string_view text, int pauseMs);
// Down, 50 ms, up, 50 ms, through SendInput.
void PressSpecialKey(InputPort& input, WaitPort& wait, int code);
// The key goes down, or up, alone, and stays so (a key held for others: Ctrl for Ctrl+C). A run
// lets go of what it still holds when it ends.
void PressKeyAlone(InputPort& input, int code, KeyDirection direction);
// Mode 1 a character, 2 and 3 a key down, 4 a key up, 5 down then up; other modes post nothing.
void PostKeyMessage(InputPort& input, NativeWindow window, int code, int mode);

}  // namespace kavo
