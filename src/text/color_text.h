// Colours as the program writes them into its files and shows them: the decimal text of a
// Windows colour value (red in the low byte).
#pragma once

#include <cstdint>
#include <string_view>

#include "text/runtime_text.h"

namespace kavo {

using ColorRef = std::uint32_t;

// A colour text as Windows colour value: leading blanks, an optional sign and the digits that
// follow (0 when there are none), kept to the low 24 bits. "-1" is 0xFFFFFF; "abc" is black.
ColorRef ColorValue(std::string_view text);
RuntimeText ColorText(ColorRef color);

}  // namespace kavo
