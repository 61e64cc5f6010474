#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/find_rules.h"
#include "text/encoding.h"

namespace kavo {
namespace {

// An editor that keeps its text as characters, the way the rich edit counts positions: a
// double-byte character is one position and a line break (CR LF in the page) is one.
class FakeFindEditor : public FindableEditor {
  public:
    explicit FakeFindEditor(const std::string& utf8) { characters_ = Split(Utf8ToGbk(utf8)); }

    int selectionStart = 0;
    int selectionLength = 0;
    int focusCount = 0;
    std::vector<std::pair<int, int>> findRanges;  // (from, to) of every Find

    int TextLength() override { return static_cast<int>(characters_.size()); }
    int Find(const RuntimeText& text, int from, int to) override {
        findRanges.emplace_back(from, to);
        const auto needle = Split(text);
        if (needle.empty()) return from;  // a control may report an empty match
        for (int start = from; start + static_cast<int>(needle.size()) <= to; ++start) {
            bool same = true;
            for (std::size_t k = 0; k < needle.size() && same; ++k)
                same = characters_[start + k] == needle[k];
            if (same) return start;
        }
        return -1;
    }
    int SelectionStart() override { return selectionStart; }
    void Select(int start, int length) override {
        selectionStart = start;
        selectionLength = length;
    }
    void Focus() override { ++focusCount; }

    std::pair<int, int> Selection() const {
        return {selectionStart, selectionStart + selectionLength};
    }

  private:
    static std::vector<std::string> Split(const std::string& gbk) {
        std::vector<std::string> characters;
        for (std::size_t pos = 0; pos < gbk.size();) {
            std::size_t length = 1;
            if (pos + 1 < gbk.size() && static_cast<unsigned char>(gbk[pos]) >= 0x81) length = 2;
            if (gbk.compare(pos, 2, "\r\n") == 0) length = 2;
            characters.push_back(gbk.substr(pos, length));
            pos += length;
        }
        return characters;
    }
    std::vector<std::string> characters_;
};

RuntimeText Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(CountCharactersTest, CountsEditorPositions) {
    struct Case {
        std::string text;
        int positions;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 3},
        {Gbk("中文"), 2},
        {Gbk("a中b"), 3},
        {"a\r\nb", 3},  // CR LF is one line break
        {"a\rb", 2},    // CR takes the byte after it along, whatever it is
        {"\r", 1},      // the last byte is counted, not examined
        {"ab\xD6", 3},  // a lead byte at the end counts once
        {Gbk("鼠标(左键)"), 6},
    };
    for (const auto& c : cases) EXPECT_EQ(CountCharacters(c.text), c.positions) << c.text;
}

TEST(FindRulesTest, NextMovesOnAndStopsAtTheLastOccurrence) {
    FakeFindEditor editor("abc abc");
    FindFromStart(editor, "abc");
    EXPECT_EQ(editor.Selection(), std::make_pair(0, 3));
    FindNext(editor, "abc");
    EXPECT_EQ(editor.Selection(), std::make_pair(4, 7));
    FindNext(editor, "abc");  // no wrap-around
    EXPECT_EQ(editor.Selection(), std::make_pair(4, 7));
    EXPECT_EQ(editor.focusCount, 3);
    // Every search runs to the end of the text.
    for (const auto& range : editor.findRanges) EXPECT_EQ(range.second, 7);
}

TEST(FindRulesTest, OverlappingOccurrencesAreFound) {
    FakeFindEditor editor("aaa");
    FindFromStart(editor, "aa");
    EXPECT_EQ(editor.Selection(), std::make_pair(0, 2));
    FindNext(editor, "aa");
    EXPECT_EQ(editor.Selection(), std::make_pair(1, 3));
}

TEST(FindRulesTest, LetterCaseCountsAndAMissLeavesTheSelection) {
    FakeFindEditor editor("abc");
    editor.Select(1, 1);
    FindFromStart(editor, "ABC");
    EXPECT_EQ(editor.Selection(), std::make_pair(1, 2));
    EXPECT_EQ(editor.focusCount, 1);  // the editor gets the focus all the same
    FindFromStart(editor, "abc");     // positive control
    EXPECT_EQ(editor.Selection(), std::make_pair(0, 3));
}

TEST(FindRulesTest, ChineseTextSelectsCharactersNotBytes) {
    FakeFindEditor editor("第一行\r\n鼠标(左键)\r\n鼠标(右键)");
    FindFromStart(editor, Gbk("鼠标"));
    EXPECT_EQ(editor.Selection(), std::make_pair(4, 6));  // the line break is one position
    FindNext(editor, Gbk("鼠标"));
    EXPECT_EQ(editor.Selection(), std::make_pair(11, 13));
}

TEST(FindRulesTest, FromStartIgnoresTheSelectionAndNextStartsAfterItsStart) {
    FakeFindEditor editor("x abc abc abc");
    editor.Select(6, 3);
    FindFromStart(editor, "abc");
    EXPECT_EQ(editor.Selection(), std::make_pair(2, 5));
    editor.Select(6, 3);
    FindNext(editor, "abc");
    EXPECT_EQ(editor.findRanges.back().first, 7);
    EXPECT_EQ(editor.Selection(), std::make_pair(10, 13));
}

TEST(FindRulesTest, EmptyTextGivesAnEmptySelection) {
    FakeFindEditor editor("abc");
    editor.Select(1, 1);
    FindFromStart(editor, "");
    EXPECT_EQ(editor.Selection(), std::make_pair(0, 0));
}

TEST(FindRulesTest, ATextWithACharacterGbkCannotHoldIsRefusedNamingIt) {
    struct Case {
        const char* typed;  // UTF-8
        const char* named;  // the character the refusal names; nullptr: searched
    };
    const Case cases[] = {
        {"", nullptr},
        {"abc", nullptr},
        {"why?", nullptr},  // a '?' typed is searched like any character
        {"鼠标(左键)　中文", nullptr},
        {"ā", nullptr},  // pinyin letters are GBK
        {"ก", "ก"},      // Thai
        {"ab กข", "ก"},  // the first one is named
        {"😀?", "😀"},     // outside the basic plane
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::optional<Utf8Text> refusal = RefusalOfTextOutsideGbk(c.typed);
        if (c.named == nullptr) {
            EXPECT_FALSE(refusal) << *refusal;
        } else {
            ASSERT_TRUE(refusal);
            EXPECT_NE(refusal->find(std::string("“") + c.named + "”"), std::string::npos)
                << *refusal;
        }
    }
}

}  // namespace
}  // namespace kavo
