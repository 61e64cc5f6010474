#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// "信息框" and "你好，世界" in GBK, spelled as bytes so the test does not depend on how the
// compiler stores literals.
const std::string kXinXiKuangGbk = "\xD0\xC5\xCF\xA2\xBF\xF2";
const std::string kXinXiKuangUtf8 = "\xE4\xBF\xA1\xE6\x81\xAF\xE6\xA1\x86";

TEST(GbkConversion, RoundTripsChineseAsciiAndFullWidthText) {
    EXPECT_EQ(GbkToUtf8(kXinXiKuangGbk), kXinXiKuangUtf8);
    EXPECT_EQ(Utf8ToGbk(kXinXiKuangUtf8), kXinXiKuangGbk);
    for (const std::string& gbk : {std::string("abc(1,2);\r\n"), kXinXiKuangGbk + "(a,b)",
                                   std::string("\xA3\xB1\xA3\xB0\xA1\xA1"), std::string()}) {
        EXPECT_EQ(Utf8ToGbk(GbkToUtf8(gbk)), gbk);
    }
}

TEST(GbkConversion, UnmappableAndBrokenInputIsReplacedNotLost) {
    // U+1F600 has no GBK form: it becomes '?', the text around it stays.
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");
    // A lone lead byte at the end is no character: replaced, the rest kept.
    EXPECT_EQ(GbkToUtf8("ab\xD0"), "ab\xEF\xBF\xBD");
}

TEST(FullWidthToAscii, ConvertsTheFullWidthBlockAndIdeographicSpaceOnly) {
    EXPECT_EQ(FullWidthToAscii("\xA3\xB1\xA3\xB0\xA3\xB0"), "100");           // １００
    EXPECT_EQ(FullWidthToAscii("\xA3\xAD\xA3\xB3\xA3\xAE\xA3\xB9"), "-3.9");  // －３．９
    EXPECT_EQ(FullWidthToAscii("\xA1\xA1"
                               "1"),
              " 1");                                              // ideographic space
    EXPECT_EQ(FullWidthToAscii("\xA3\xA1\xA3\xFE"), "!~");        // ends of the block
    EXPECT_EQ(FullWidthToAscii(kXinXiKuangGbk), kXinXiKuangGbk);  // others untouched
    // A trail byte 0xA3 followed by a byte of the block is not a full-width character.
    EXPECT_EQ(FullWidthToAscii("\xB0\xA3\xB1"), "\xB0\xA3\xB1");
}

TEST(SplitText, FollowsTheSplittingRule) {
    EXPECT_THAT(SplitText("", ","), IsEmpty());
    EXPECT_THAT(SplitText("a", ","), ElementsAre("a"));
    EXPECT_THAT(SplitText("a,b,", ","), ElementsAre("a", "b"));      // empty last part dropped
    EXPECT_THAT(SplitText(",b", ","), ElementsAre("", "b"));         // empty first part kept
    EXPECT_THAT(SplitText("a,,b", ","), ElementsAre("a", "", "b"));  // empty middle part kept
    EXPECT_THAT(SplitText(",", ","), ElementsAre(""));
    EXPECT_THAT(SplitText("a, b", ","), ElementsAre("a", " b"));  // nothing trimmed
    EXPECT_THAT(SplitText("l1\r\nl2\r\n", "\r\n"), ElementsAre("l1", "l2"));
    EXPECT_THAT(SplitText("\r\n\r\nx", "\r\n"), ElementsAre("", "", "x"));
}

TEST(SplitText, NeverCutsADoubleByteCharacter) {
    // 0xD0 0x40 is one GBK character whose second byte is '@'.
    EXPECT_THAT(SplitText("\xD0@@x", "@"), ElementsAre("\xD0@", "x"));
    EXPECT_EQ(FindText("\xD0@", "@"), std::string::npos);
    EXPECT_EQ(ReplaceAll("\xD0@a@", "@", "-"), "\xD0@a-");
}

TEST(AsciiCase, LeavesDoubleByteCharactersAlone) {
    // 0xB0 0x61 is one character whose second byte is 'a'.
    EXPECT_EQ(AsciiToUpper("ab\xB0"
                           "a"
                           "c"),
              "AB\xB0"
              "aC");
    EXPECT_EQ(AsciiToLower("NOTEPAD.EXE"), "notepad.exe");
}

TEST(Utf8Wildcard, QuestionMarksTakeWholeCharactersAndCaseIsAsAsked) {
    struct Case {
        const char* text;
        const char* pattern;
        LetterCase letters;
        bool matches;
    };
    constexpr LetterCase kExact = LetterCase::Exact;
    constexpr LetterCase kIgnore = LetterCase::IgnoreAscii;
    for (const Case& c : {
             Case{"无标题 - 记事本", "无标题 - 记事本", kExact, true},
             Case{"无标题 - 记事本", "*记事本", kExact, true},
             Case{"无标题 - 记事本", "??? - ???", kExact, true},  // 3 bytes each, one ? each
             Case{"无标题 - 记事本", "?? - ???", kExact, false},
             Case{"无标题 - 记事本", "无*题*本", kExact, true},
             Case{"无标题 - 记事本", "*记事", kExact, false},
             Case{"Notepad", "notepad", kExact, false},
             Case{"Notepad", "notepad", kIgnore, true},
             Case{"Notepad", "NOTE*", kIgnore, true},
             Case{"Ｎotepad", "ｎotepad", kIgnore, false},  // full-width letters keep their case
             Case{"😀x", "?x", kExact, true},                // four bytes, one character
             Case{"a", "a*", kExact, true},
             Case{"", "*", kExact, true},
             Case{"", "?", kExact, false},
             Case{"ab", "", kExact, false},
             Case{"a*b", "a*b", kExact, true},
             Case{"aXbXc", "a*b*c", kExact, true},
             Case{"aXbX", "a*b*c", kExact, false},
         }) {
        EXPECT_EQ(MatchesUtf8Wildcard(c.text, c.pattern, c.letters), c.matches)
            << c.text << " / " << c.pattern;
    }
}

TEST(UpToFirstZero, CutsAtTheFirstZeroByte) {
    EXPECT_EQ(UpToFirstZero(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(UpToFirstZero("abc"), "abc");
}

}  // namespace
}  // namespace kavo
