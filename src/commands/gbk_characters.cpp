#include "commands/gbk_characters.h"

#include <string>

#include "text/encoding.h"

namespace kavo {
namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

// The first character of UTF-8 text as a UTF-16 code. GBK holds only characters of the basic
// plane, so one code unit always suffices.
std::uint32_t FirstCharacter(const std::string& utf8) {
    if (utf8.empty()) return kReplacement;
    const auto byte = [&utf8](std::size_t i) { return static_cast<std::uint8_t>(utf8[i]); };
    const std::uint8_t first = byte(0);
    if (first < 0x80) return first;
    if ((first & 0xE0) == 0xC0 && utf8.size() >= 2)
        return ((first & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
    if ((first & 0xF0) == 0xE0 && utf8.size() >= 3)
        return ((first & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
    return kReplacement;
}

}  // namespace

std::uint32_t PairCharacter(std::uint8_t lead, std::uint8_t trail) {
    const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail)};
    const std::string utf8 = GbkToUtf8(std::string_view(bytes, 2));
    // A pair that is no character may come back as two; it is one character that failed.
    const std::uint32_t character = FirstCharacter(utf8);
    return utf8.size() <= 3 ? character : kReplacement;
}

std::uint32_t LoneByteCharacter(std::uint8_t byte) {
    if (byte < 0x80) return byte;
    const char text[] = {static_cast<char>(byte)};
    return FirstCharacter(GbkToUtf8(std::string_view(text, 1)));
}

}  // namespace kavo
