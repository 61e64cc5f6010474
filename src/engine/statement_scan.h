// Finding statements name(arguments) in script text, and cutting argument texts. Works on GBK
// bytes: "(", ")", ",", the space and LF never occur inside a double-byte character, and the walk
// steps over whole characters so that a broken lead byte can never join with them either.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/runtime_text.h"

namespace kavo {

// Byte for byte equality without a library call: names are a few bytes long.
inline bool SameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// One statement as it stands in the text. The views point into the scanned text.
struct ScannedStatement {
    std::string_view rawName;    // from where the search started up to the first "("
    std::string_view arguments;  // between that "(" and the first ")" after it
    int line = 0;                // counted from 1, lines separated by LF
};

// All statements, left to right. On each line (split at LF) the search starts at the line's
// beginning and, after each statement, just past its ")"; a line's rest without a "(" followed
// by a ")" holds none.
std::vector<ScannedStatement> ScanStatements(std::string_view script);

// The name with every ASCII space and every full-width space (A1 A1) removed. Returns raw
// itself when there is nothing to remove, else a view of buffer.
std::string_view NameWithoutSpaces(std::string_view raw, std::string& buffer);
inline RuntimeText NameWithoutSpaces(std::string_view raw) {
    std::string buffer;
    return RuntimeText(NameWithoutSpaces(raw, buffer));
}

// Calls visit with each argument: text cut at every ASCII comma, empty pieces kept, except that
// an empty piece after the last comma is dropped; an empty text has no arguments.
template <typename Visit>
void ForEachArgument(std::string_view text, Visit&& visit) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == ',') {
            visit(text.substr(start, pos - start));
            start = ++pos;
        } else {
            pos += CharLengthAt(text, pos);
        }
    }
    if (start < text.size()) visit(text.substr(start));
}

std::size_t CountArguments(std::string_view text);
// The argument at a 1-based position; empty when there are fewer.
std::string_view NthArgument(std::string_view text, std::size_t position);

}  // namespace kavo
