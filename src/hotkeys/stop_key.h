// The key that stops every running script, wherever the focus is.
#pragma once

namespace kavo {

inline constexpr int kStopKey = 123;  // F12, the usual stop key of automation tools
inline constexpr const char* kStopKeyName = "F12";

}  // namespace kavo
