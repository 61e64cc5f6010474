// GBK (code page 936) byte text, the program's text inside scripts, pages and settings files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kavo {

// GBK text: zero-terminated 8-bit text in code page 936, as scripts, pages and settings files
// hold it. Not UTF-8 (that is Utf8Text, for the screen and the system): the two meet only in
// text/encoding.h. A double-byte character is never split by the operations below; comparisons
// are byte for byte.
using RuntimeText = std::string;

// First byte of a double-byte GBK character.
constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Second byte of a double-byte GBK character.
constexpr bool IsTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// Bytes taken by the character starting at pos: 2 for a lead byte with a byte after it, else 1.
// Inline: the script scanner calls it for every byte of a script.
inline std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
}

// Bytes taken by the UTF-8 character starting at pos (Utf8Text); a stray byte counts as a
// character of its own, and a sequence cut short by the end takes what is left.
inline std::size_t Utf8CharLengthAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length < text.size() - pos ? length : text.size() - pos;
}

// Cuts text at every separator that starts on a character boundary. Parts between adjacent
// separators are kept empty, a part after the last separator is dropped when empty, and an
// empty text gives no parts.
std::vector<RuntimeText> SplitText(std::string_view text, std::string_view separator);

// Position of needle in text at or after from, found on character boundaries only;
// std::string::npos when absent.
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0);

// Replaces every occurrence of from (on character boundaries) with to.
RuntimeText ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Full-width forms 0xA3A1..0xA3FE become ASCII 0x21..0x7E; the ideographic space 0xA1A1 becomes
// a space. Other double-byte characters stay as they are.
RuntimeText FullWidthToAscii(std::string_view text);

// ASCII letters only; double-byte characters (whose second byte may be a letter) stay as they are.
RuntimeText AsciiToUpper(std::string_view text);
RuntimeText AsciiToLower(std::string_view text);

// Byte-wise ASCII letter case folding, for names and paths compared without case (UTF-8 or GBK:
// a byte below 0x80 is always a character of its own in UTF-8, and the comparisons below fold
// both sides alike).
constexpr char AsciiLowerByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// Wildcard match of * and ? ignoring ASCII letter case, as the platform matches long file
// names; "*.*" matches every name, names without a dot included.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

enum class LetterCase { Exact, IgnoreAscii };
// Wildcard match of UTF-8 text (window titles, class and process names): ? stands for one
// character, however many bytes it takes, * for any run of characters, possibly none.
bool MatchesUtf8Wildcard(std::string_view text, std::string_view pattern, LetterCase letters);

// Text up to (not including) the first zero byte.
RuntimeText UpToFirstZero(std::string_view bytes);

}  // namespace kavo
