// Page line numbers of the editor's characters, counted from a kept anchor, against a count of
// the whole text; and the gutter's width in digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "editor/line_numbers.h"

namespace kavo {
namespace {

int CountedLine(const std::u16string& text, long position) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + position, u'\r'));
}

// Random typing, pasting and deleting anywhere, with the view jumping about: every answer must
// equal a count of the whole text. Reads are counted to show the index reads little.
TEST(ParagraphIndexTest, AnswersMatchACountOfTheWholeTextThroughRandomEdits) {
    std::u16string text;
    for (int i = 0; i < 500; ++i) text += u"延时(100)\r";
    long charactersRead = 0;
    ParagraphIndex index([&](long from, long to) {
        charactersRead += to - from;
        return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    });
    std::mt19937 random(7);
    for (int step = 0; step < 3000; ++step) {
        const long size = static_cast<long>(text.size());
        const long at = std::uniform_int_distribution<long>(0, size)(random);
        switch (step % 4) {
            case 0:  // typed or pasted at a caret
                text.insert(static_cast<std::size_t>(at), step % 8 == 0 ? u"鼠标(左键)\r" : u"x");
                index.TextChangedFrom(at);
                break;
            case 1: {  // a selection deleted
                const long length = std::min<long>(size - at, step % 50);
                text.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
                index.TextChangedFrom(at);
                break;
            }
            default:  // the view moves: no change
                break;
        }
        const long view =
            std::uniform_int_distribution<long>(0, static_cast<long>(text.size()))(random);
        ASSERT_EQ(index.LineOf(view), CountedLine(text, view)) << "step " << step;
        ASSERT_EQ(index.LineOf(std::min<long>(view + 40, static_cast<long>(text.size()))),
                  CountedLine(text, std::min<long>(view + 40, static_cast<long>(text.size()))));
    }
    EXPECT_GT(charactersRead, 0);
}

// Typing in view, below the anchor, reads only between the anchor and the row asked for; the
// same typing not told to the index (the control beside it) would not be seen when it lies
// above the anchor, which is why every change is told.
TEST(ParagraphIndexTest, TypingInViewReadsLittleAndAChangeAboveTheAnchorIsCountedAgain) {
    std::u16string text;
    for (int i = 0; i < 20000; ++i) text += u"延时(100)\r";
    long charactersRead = 0;
    ParagraphIndex index([&](long from, long to) {
        charactersRead += to - from;
        return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    });
    const long view = 10000 * 8;  // line 10001
    ASSERT_EQ(index.LineOf(view), 10001);
    charactersRead = 0;
    text.insert(text.begin() + view + 3, u'\r');
    index.TextChangedFrom(view + 3);
    EXPECT_EQ(index.LineOf(view), 10001);
    EXPECT_EQ(index.LineOf(view + 17), 10004);
    EXPECT_LT(charactersRead, 100);

    // The first two lines joined, above the view: told, the lines in view move up by one.
    text.erase(text.begin() + 7);
    index.TextChangedFrom(7);
    EXPECT_EQ(index.LineOf(view), 10000);
    EXPECT_EQ(index.LineOf(view - 2), 9999);

    // Not told, the kept count goes stale: the reason for telling.
    ParagraphIndex untold([&](long from, long to) {
        return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    });
    ASSERT_EQ(untold.LineOf(view), CountedLine(text, view));
    text.erase(text.find(u'\r'), 1);
    EXPECT_NE(untold.LineOf(view), CountedLine(text, view));
}

TEST(GutterDigitsTest, RoomForTheLastLineNumberAndNeverLessThanTwo) {
    const struct {
        long lines;
        int digits;
    } cases[] = {{0, 2}, {1, 2}, {9, 2}, {10, 2}, {99, 2}, {100, 3}, {9999, 4}, {20000, 5}};
    for (const auto& c : cases) EXPECT_EQ(GutterDigits(c.lines), c.digits) << c.lines;
}

TEST(LineLookKeyTest, DiffersWithTheLineOrItsFaults) {
    EXPECT_EQ(LineLookKey("延时(1)", ""), LineLookKey("延时(1)", ""));
    EXPECT_NE(LineLookKey("延时(1)", ""), LineLookKey("延时(2)", ""));
    EXPECT_NE(LineLookKey("延时(1)", ""), LineLookKey("延时(1)", "缺少参数"));
    EXPECT_NE(LineLookKey("ab", "c"), LineLookKey("a", "bc"));
}

// Looks are the line's own numbers here: a line kept its look where the carried look equals the
// number of the line that now stands there.
TEST(CarriedLooksTest, LinesAroundAnEditKeepTheirLooksAndTheTouchedOnesAreColouredAgain) {
    const std::vector<std::uint64_t> old = {1, 2, 3, 4, 5, 6};
    const struct {
        const char* edit;
        std::size_t newCount;
        int from, to;
        std::vector<std::uint64_t> carried;
    } cases[] = {
        {"typing in line 3", 6, 3, 3, {1, 2, 0, 4, 5, 6}},
        {"Enter in line 3: lines after it moved down", 7, 3, 4, {1, 0, 0, 0, 0, 5, 6}},
        {"line 2 joined to line 1: lines after it moved up", 5, 1, 1, {0, 0, 4, 5, 6}},
        {"nothing touched, same count", 6, 1 << 30, 0, {1, 2, 3, 4, 5, 6}},
        {"nothing touched, a new count", 7, 1 << 30, 0, {0, 0, 0, 0, 0, 0, 0}},
        {"the first line typed in", 6, 1, 1, {0, 2, 3, 4, 5, 6}},
        {"the last line typed in", 6, 6, 6, {1, 2, 3, 4, 5, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CarriedLooks(old, c.newCount, c.from, c.to), c.carried) << c.edit;
}

}  // namespace
}  // namespace kavo
