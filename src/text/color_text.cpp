#include "text/color_text.h"

#include <string>

namespace kavo {

ColorRef ColorValue(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    // Unsigned arithmetic wraps, which keeps the low bits right for any length of digits.
    std::uint32_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
    if (negative) value = 0u - value;
    return value & 0xFFFFFFu;
}

RuntimeText ColorText(ColorRef color) {
    return std::to_string(color);
}

}  // namespace kavo
