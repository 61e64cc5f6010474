// The reference text of the key-code window: the virtual-key codes that 特殊按键 takes.
#pragma once

namespace kavo {

// 33 lines joined by CR LF, no line end after the last (UTF-8).
extern const char kKeyCodeText[];

}  // namespace kavo
