#include "engine/statement_scan.h"

namespace kavo {

namespace {

// Position of byte in line at or after from, stepping over whole characters; npos when absent.
std::size_t FindByte(std::string_view line, char byte, std::size_t from) {
    for (std::size_t pos = from; pos < line.size(); pos += CharLengthAt(line, pos))
        if (line[pos] == byte) return pos;
    return std::string_view::npos;
}

}  // namespace

std::vector<ScannedStatement> ScanStatements(std::string_view script) {
    std::vector<ScannedStatement> statements;
    int lineNumber = 0;
    std::size_t lineStart = 0;
    while (lineStart <= script.size()) {
        ++lineNumber;
        const std::size_t feed = script.find('\n', lineStart);
        const std::size_t lineEnd = feed == std::string_view::npos ? script.size() : feed;
        const std::string_view line = script.substr(lineStart, lineEnd - lineStart);
        std::size_t current = 0;
        for (;;) {
            const std::size_t open = FindByte(line, '(', current);
            if (open == std::string_view::npos) break;
            const std::size_t close = FindByte(line, ')', open + 1);
            if (close == std::string_view::npos) break;
            statements.push_back(ScannedStatement{line.substr(current, open - current),
                                                  line.substr(open + 1, close - open - 1),
                                                  lineNumber});
            current = close + 1;
        }
        if (feed == std::string_view::npos) break;
        lineStart = feed + 1;
    }
    return statements;
}

std::string_view NameWithoutSpaces(std::string_view raw, std::string& buffer) {
    bool clean = true;
    for (std::size_t pos = 0; pos < raw.size() && clean; pos += CharLengthAt(raw, pos)) {
        if (raw[pos] == ' ' ||
            (raw[pos] == '\xA1' && CharLengthAt(raw, pos) == 2 && raw[pos + 1] == '\xA1'))
            clean = false;
    }
    if (clean) return raw;
    buffer.clear();
    for (std::size_t pos = 0; pos < raw.size();) {
        const std::size_t length = CharLengthAt(raw, pos);
        const std::string_view character = raw.substr(pos, length);
        if (!SameBytes(character, " ") && !SameBytes(character, "\xA1\xA1"))
            buffer.append(character);
        pos += length;
    }
    return buffer;
}

std::size_t CountArguments(std::string_view text) {
    std::size_t count = 0;
    ForEachArgument(text, [&count](std::string_view) { ++count; });
    return count;
}

std::string_view NthArgument(std::string_view text, std::size_t position) {
    std::string_view found;
    std::size_t index = 0;
    ForEachArgument(text, [&](std::string_view part) {
        if (++index == position) found = part;
    });
    return found;
}

}  // namespace kavo
