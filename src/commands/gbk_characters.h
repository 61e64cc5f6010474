// Characters posted as character messages with GBK byte values, as a program posting ANSI
// characters on a Chinese system sends them: a lead byte and the trail byte that follows make one
// character. The conversion names code page 936 itself, so the result does not depend on the
// system's code page; what reaches the window is the UTF-16 code of the character.
#pragma once

#include <cstdint>

#include "text/runtime_text.h"

namespace kavo {

// The UTF-16 code of the character the two bytes make; U+FFFD when they make none.
std::uint32_t PairCharacter(std::uint8_t lead, std::uint8_t trail);
// The UTF-16 code of one byte read alone: itself below 0x80; from 0x80 what code page 936 makes
// of it (0x80 is the euro sign), U+FFFD when nothing.
std::uint32_t LoneByteCharacter(std::uint8_t byte);

}  // namespace kavo
