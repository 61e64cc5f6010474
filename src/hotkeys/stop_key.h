// The key that stops every running script, wherever the focus is.
#pragma once

#include "platform/input_values.h"

namespace kavo {

inline constexpr KeyCode kStopKey = 123;  // F12, the usual stop key of automation tools
inline constexpr const char* kStopKeyName = "F12";

}  // namespace kavo
