#include "hotkeys/key_names.h"

#include <string>

namespace kavo {
namespace {

constexpr std::string_view kSpaceBarName = "空格键";

// Byte-wise on purpose: the names are pure ASCII, so a multi-byte character can never match and
// needs no special care.
std::string WithAsciiCase(std::string_view text, bool upper) {
    std::string result(text);
    for (char& c : result) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

constexpr KeyNameRows BuildTable() {
    constexpr std::string_view kDigits = "0123456789";
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    constexpr std::string_view kFunctionKeys[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                  "F7", "F8", "F9", "F10", "F11", "F12"};
    KeyNameRows rows{};
    std::size_t next = 0;
    for (std::size_t i = 0; i < kDigits.size(); ++i)
        rows[next++] = {kDigits.substr(i, 1), static_cast<int>(kDigits[i])};
    for (std::size_t i = 0; i < kLetters.size(); ++i)
        rows[next++] = {kLetters.substr(i, 1), static_cast<int>(kLetters[i])};
    for (std::size_t i = 0; i < std::size(kFunctionKeys); ++i)
        rows[next++] = {kFunctionKeys[i], 112 + static_cast<int>(i)};
    rows[next++] = {kSpaceBarName, 32};
    rows[next++] = {"Home", 36};
    rows[next++] = {"End", 35};
    return rows;
}

constexpr KeyNameRows kTable = BuildTable();

// Table positions of the groups, which differ in how they compare.
constexpr std::size_t kLettersBegin = 10;
constexpr std::size_t kSpaceBarRow = 48;
constexpr std::size_t kHomeRow = 49;
static_assert(kTable[kLettersBegin].name == "A" && kTable[kSpaceBarRow].code == 32 &&
              kTable[kHomeRow].name == "Home" && kTable[kTable.size() - 1].name == "End");

}  // namespace

const KeyNameRows& KeyNameTable() {
    return kTable;
}

int KeyCodeFromName(std::string_view text) {
    for (std::size_t i = 0; i < kLettersBegin; ++i)
        if (text == kTable[i].name) return kTable[i].code;
    const std::string upper = WithAsciiCase(text, true);
    for (std::size_t i = kLettersBegin; i < kSpaceBarRow; ++i)
        if (upper == kTable[i].name) return kTable[i].code;
    if (text == kTable[kSpaceBarRow].name) return kTable[kSpaceBarRow].code;
    const std::string lower = WithAsciiCase(text, false);
    for (std::size_t i = kHomeRow; i < kTable.size(); ++i)
        if (lower == WithAsciiCase(kTable[i].name, false)) return kTable[i].code;
    return 0;
}

std::string_view KeyNameFromCode(int code) {
    for (const auto& row : kTable)
        if (row.code == code) return row.name;
    return {};
}

}  // namespace kavo
