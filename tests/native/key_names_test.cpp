#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "hotkeys/key_names.h"

namespace kavo {
namespace {

constexpr const char* kSpaceBar = "\xE7\xA9\xBA\xE6\xA0\xBC\xE9\x94\xAE";  // 空格键 in UTF-8

struct NameCase {
    std::string text;
    int code;
};

// How a case shows in test names and messages: the code it expects, then the text with every
// byte that is no ASCII letter or digit spelt out, so that each case is named apart.
std::string Spelt(const std::string& text) {
    if (text.empty()) return "empty";
    std::string spelt;
    for (const unsigned char byte : text) {
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9')) {
            spelt += static_cast<char>(byte);
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            spelt += 'x';
            spelt += kHex[byte >> 4];
            spelt += kHex[byte & 0xF];
        }
    }
    return spelt;
}
std::string CaseName(const NameCase& c) {
    return (c.code != 0 ? "Code" + std::to_string(c.code) : std::string("NoKey")) + "_" +
           Spelt(c.text);
}
void PrintTo(const NameCase& c, std::ostream* out) {
    *out << CaseName(c);
}

class KeyCodeFromNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(KeyCodeFromNameTest, GivesTheCodeOfTheNamedKey) {
    EXPECT_EQ(KeyCodeFromName(GetParam().text), GetParam().code)
        << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    KeyNames, KeyCodeFromNameTest,
    testing::Values(
        // Letters and function keys ignore case; Home and End too.
        NameCase{"a", 65}, NameCase{"z", 90}, NameCase{"Q", 81}, NameCase{"f12", 123},
        NameCase{"F7", 118}, NameCase{"f1", 112}, NameCase{"HOME", 36}, NameCase{"home", 36},
        NameCase{"End", 35}, NameCase{"eNd", 35}, NameCase{"0", 48}, NameCase{"9", 57},
        NameCase{kSpaceBar, 32},
        // Outside the table, or not exactly a name: nothing is trimmed or guessed.
        NameCase{"F13", 0}, NameCase{"F0", 0}, NameCase{"Space", 0}, NameCase{"Enter", 0},
        NameCase{" A", 0}, NameCase{"A ", 0}, NameCase{"", 0}, NameCase{"AB", 0},
        NameCase{"Home ", 0}, NameCase{"\xBF\xD5\xB8\xF1\xBC\xFC", 0},     // 空格键 in GBK
        NameCase{std::string("A\0", 2), 0}, NameCase{"\xEF\xBC\xA1", 0}),  // full-width Ａ
    [](const testing::TestParamInfo<NameCase>& c) { return CaseName(c.param); });

TEST(KeyNameFromCode, SpellsNamesAsTheTableDoes) {
    EXPECT_EQ(KeyNameFromCode(36), "Home");
    EXPECT_EQ(KeyNameFromCode(35), "End");
    EXPECT_EQ(KeyNameFromCode(32), kSpaceBar);
    EXPECT_EQ(KeyNameFromCode(65), "A");
    EXPECT_EQ(KeyNameFromCode(112), "F1");
    EXPECT_EQ(KeyNameFromCode(123), "F12");
    EXPECT_EQ(KeyNameFromCode(48), "0");
}

TEST(KeyNameFromCode, GivesNothingForKeysOutsideTheTable) {
    for (int code : {0, 13, 9, 27, 37, 45, 46, 33, 34, 96, 124, 97, 256, -65})
        EXPECT_EQ(KeyNameFromCode(code), "") << code;
}

TEST(KeyNameTable, HasFiftyOneRowsEachNameAndCodeOnce) {
    const auto& table = KeyNameTable();
    ASSERT_EQ(table.size(), 51u);
    std::set<std::string_view> names;
    std::set<int> codes;
    for (const auto& row : table) {
        names.insert(row.name);
        codes.insert(row.code);
    }
    EXPECT_EQ(names.size(), 51u);
    EXPECT_EQ(codes.size(), 51u);
    EXPECT_EQ(table.front().name, "0");
    EXPECT_EQ(table[10].name, "A");
    EXPECT_EQ(table[36].name, "F1");
    EXPECT_EQ(table[48].name, kSpaceBar);
    EXPECT_EQ(table[49].name, "Home");
    EXPECT_EQ(table[50].name, "End");
}

TEST(KeyNameTable, EveryRowSurvivesTheRoundTrip) {
    for (const auto& row : KeyNameTable()) {
        EXPECT_EQ(KeyNameFromCode(row.code), row.name);
        EXPECT_EQ(KeyCodeFromName(KeyNameFromCode(row.code)), row.code) << row.name;
    }
}

}  // namespace
}  // namespace kavo
