#include "text/runtime_text.h"

namespace kavo {

std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos)) {
        if (pos >= from && text.compare(pos, needle.size(), needle) == 0) return pos;
    }
    return std::string_view::npos;
}

namespace {

// Calls found(pos) for each occurrence of needle (not empty) that starts on a character
// boundary, left to right, the next one looked for after the end of the last: what repeated
// FindText calls give, in one walk over the text rather than one walk per occurrence (a
// settings file of a megabyte has tens of thousands of lines).
template <typename Found>
void ForEachOccurrence(std::string_view text, std::string_view needle, Found found) {
    std::size_t next = 0;  // where the next occurrence may start
    const char first = needle.front();
    const std::size_t last = text.size() >= needle.size() ? text.size() - needle.size() : 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos)) {
        if (text[pos] != first || pos < next || text.size() - pos < needle.size()) continue;
        if (pos <= last && text.compare(pos, needle.size(), needle) == 0) {
            found(pos);
            next = pos + needle.size();
        }
    }
}

}  // namespace

std::vector<RuntimeText> SplitText(std::string_view text, std::string_view separator) {
    std::vector<RuntimeText> parts;
    if (text.empty()) return parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    ForEachOccurrence(text, separator, [&](std::size_t pos) {
        parts.emplace_back(text.substr(start, pos - start));
        start = pos + separator.size();
    });
    if (start < text.size()) parts.emplace_back(text.substr(start));
    return parts;
}

RuntimeText ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return RuntimeText(text);
    RuntimeText result;
    std::size_t start = 0;
    ForEachOccurrence(text, from, [&](std::size_t pos) {
        result.append(text.substr(start, pos - start));
        result.append(to);
        start = pos + from.size();
    });
    result.append(text.substr(start));
    return result;
}

RuntimeText FullWidthToAscii(std::string_view text) {
    RuntimeText result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLengthAt(text, pos);
        const auto first = static_cast<unsigned char>(text[pos]);
        if (length == 2) {
            const auto second = static_cast<unsigned char>(text[pos + 1]);
            if (first == 0xA3 && second >= 0xA1 && second <= 0xFE) {
                result.push_back(static_cast<char>(second - 0x80));
            } else if (first == 0xA1 && second == 0xA1) {
                result.push_back(' ');
            } else {
                result.append(text.substr(pos, 2));
            }
        } else {
            result.push_back(static_cast<char>(first));
        }
        pos += length;
    }
    return result;
}

namespace {
template <typename Map>
RuntimeText MapAscii(std::string_view text, Map map) {
    RuntimeText result(text);
    for (std::size_t pos = 0; pos < result.size();) {
        const std::size_t length = CharLengthAt(result, pos);
        if (length == 1) result[pos] = map(result[pos]);
        pos += length;
    }
    return result;
}
}  // namespace

RuntimeText AsciiToUpper(std::string_view text) {
    return MapAscii(text, [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; });
}

RuntimeText AsciiToLower(std::string_view text) {
    return MapAscii(text, [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; });
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLowerByte(a[i]) != AsciiLowerByte(b[i])) return false;
    return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

RuntimeText UpToFirstZero(std::string_view bytes) {
    const std::size_t zero = bytes.find('\0');
    return RuntimeText(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

namespace {

// Greedy match with one backtracking point for the last star: linear for the usual patterns.
// length gives the bytes of the character at a position; same compares two characters.
template <typename Length, typename Same>
bool MatchWildcard(std::string_view text, std::string_view pattern, Length length, Same same) {
    constexpr std::size_t npos = std::string_view::npos;
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = npos;
    std::size_t starText = 0;
    while (n < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starText = n;
            continue;
        }
        if (p < pattern.size()) {
            const std::size_t patternLength = length(pattern, p);
            const std::size_t textLength = length(text, n);
            if (pattern[p] == '?' ||
                same(pattern.substr(p, patternLength), text.substr(n, textLength))) {
                p += patternLength;
                n += textLength;
                continue;
            }
        }
        if (starPattern == npos) return false;
        p = starPattern + 1;
        starText += length(text, starText);
        n = starText;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") return true;
    return MatchWildcard(
        name, pattern, [](std::string_view, std::size_t) -> std::size_t { return 1; },
        [](std::string_view a, std::string_view b) {
            return AsciiLowerByte(a[0]) == AsciiLowerByte(b[0]);
        });
}

bool MatchesUtf8Wildcard(std::string_view text, std::string_view pattern, LetterCase letters) {
    return MatchWildcard(
        text, pattern, Utf8CharLengthAt, [letters](std::string_view a, std::string_view b) {
            return letters == LetterCase::IgnoreAscii ? EqualIgnoringAsciiCase(a, b) : a == b;
        });
}

}  // namespace kavo
