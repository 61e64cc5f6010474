#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "editor/rtf_text.h"
#include "library/library_tree.h"
#include "library/page_search.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

RuntimeText Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(TrimSearchTextTest, RemovesAsciiAndFullWidthSpacesAtBothEnds) {
    struct Case {
        RuntimeText text;
        RuntimeText trimmed;
    };
    const Case cases[] = {
        {"  abc ", "abc"},
        {Gbk("\u3000abc\u3000 "), "abc"},
        {Gbk(" \u3000 中 文\u3000"), Gbk("中 文")},  // spaces inside stay
        {Gbk("\u3000\u3000"), ""},
        {"   ", ""},
        // "\xB0\xA1\xA1" is 啊 followed by a lone 0xA1: its last byte pair is no full-width
        // space, because the 0xA1 after 0xB0 belongs to 啊.
        {"\xB0\xA1\xA1", "\xB0\xA1\xA1"},
    };
    for (const auto& c : cases) EXPECT_EQ(TrimSearchText(c.text), c.trimmed) << c.text;
    EXPECT_EQ(TrimSearchText("\xB0\xA1\xA1\xA1 "), "\xB0\xA1");
}

TEST(FindOnCharacterBoundaryTest, NeverMatchesHalfADoubleByteCharacter) {
    struct Case {
        const char* what;
        RuntimeText text;
        RuntimeText needle;
        std::size_t found;
    };
    const auto npos = std::string_view::npos;
    const Case cases[] = {
        {"plain", "xabcx", "abc", 1},
        {"letter case counts", "ABC", "abc", npos},
        // 中 is D6 D0, 文 is CE C4: "\xD0\xCE" spans the end of 中 and the start of 文.
        {"across a character boundary", Gbk("中文"), "\xD0\xCE", npos},
        {"whole characters", Gbk("中文"), Gbk("文"), 2},
        // 乙 is D2 D2: searching D2 D2 in D2 D2 D2 D2 must not match at byte 1.
        {"repeated bytes", "\xD2\xD2\xD2\xD2", "\xD2\xD2", 0},
        // A trail byte in the ASCII range: 丂 is 81 40 ("@" after a lead byte).
        {"trail byte looks like ASCII", "\x81\x40", "@", npos},
        {"ASCII after a double-byte character", "\x81\x40@", "@", 2},
        // The match may start on a character and end inside the next one.
        {"match ending inside a character", Gbk("a中"), "a\xD6", npos},
        // A lead byte followed by a byte that cannot end a character stands alone.
        {"lone lead byte", "\xD6 a", " a", 1},
        {"Chinese in a script", Gbk("延时(100)\r\n鼠标(左键)"), Gbk("鼠标"), 11},
        {"empty needle", "abc", "", npos},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindOnCharacterBoundary(c.text, c.needle), c.found) << c.what;
    // A later occurrence on a boundary is still found after a false one (D0 CE is 形).
    EXPECT_EQ(FindOnCharacterBoundary(Gbk("中文") + "x\xD0\xCE", "\xD0\xCE"), 5u);
}

TEST(FindBytesTest, FindsWhatStringFindFindsAtEveryPlaceAndLength) {
    // Needles of 1 to 20 bytes placed at every position of texts of up to 70 bytes, with
    // look-alikes (the first and last bytes right, a middle byte wrong) before them: the first
    // match at or after every start agrees with std::string_view::find.
    std::string alphabet = "ab\xB0\xA1()";
    for (std::size_t length = 1; length <= 20; ++length) {
        std::string needle;
        for (std::size_t k = 0; k < length; ++k) needle += alphabet[(k * 7 + length) % 6];
        std::string lookAlike = needle;
        if (length >= 3) lookAlike[length / 2] = 'z';
        for (std::size_t at = 0; at + length <= 70; at += 3) {
            std::string text(70, '.');
            if (at >= length && length >= 3) text.replace(at - length, length, lookAlike);
            text.replace(at, length, needle);
            const std::string_view view(text);
            for (std::size_t from = 0; from <= text.size() + 1; from += 5) {
                SCOPED_TRACE(testing::Message()
                             << "length " << length << " at " << at << " from " << from);
                EXPECT_EQ(FindBytes(view, needle, from), view.find(needle, from));
            }
        }
    }
    EXPECT_EQ(FindBytes("abc", ""), std::string_view::npos);
    EXPECT_EQ(FindBytes("ab", "abc"), std::string_view::npos);
}

TEST(FindOnCharacterBoundaryTest, ALongLineWithoutAsciiFindsOnlyWholeCharacters) {
    // 形 (D0 CE) spans every 中文 pair and no byte below 0x40 marks a boundary on the line: every
    // one of those false matches is passed over (how fast: bench/native, the search benchmark).
    RuntimeText line;
    while (line.size() < 256 * 1024) line += Gbk("中文");
    EXPECT_EQ(FindOnCharacterBoundary(line, "\xD0\xCE"), std::string_view::npos);
    EXPECT_EQ(FindOnCharacterBoundary(line + "\xD0\xCE", "\xD0\xCE"), line.size());
    EXPECT_EQ(FindOnCharacterBoundary(line, Gbk("文中"), line.size() / 2), line.size() / 2 + 2);
}

TEST(RtfTextTest, ShowsTheDocumentsText) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Riched20 10.0;}"
        "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18 \\'d6\\'d0\\'ce\\'c4 abc\\par\n"
        "\\b bold\\b0  \\{x\\}\\tab y\\u25991?z\\par\n}";
    ASSERT_TRUE(IsRtfDocument(rtf));
    EXPECT_FALSE(IsRtfDocument("{\\rt"));
    EXPECT_FALSE(IsRtfDocument(" {\\rtf1}"));
    // 宋体 in the font table is hidden; \u25991 is 文 and its fallback "?" is skipped.
    EXPECT_EQ(RtfDisplayText(rtf), Gbk("中文 abc\r\nbold {x}\ty文z\r\n"));
}

TEST(SearchableTextTest, StopsAtTheFirstZeroAndShowsRtfDocuments) {
    EXPECT_EQ(SearchableText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(SearchableText("{\\rtf1 {\\fonttbl x}hello}"), "hello");
    EXPECT_EQ(SearchableText("plain {\\rtf1 text}"), "plain {\\rtf1 text}");
}

// A tree kept in pre-order, enough for building the library and selecting its items.
class SearchTree : public TreeWidget {
  public:
    struct Item {
        Utf8Text text;
        bool bold = false;
        int parent = -1;
    };
    std::vector<Item> items;
    int selected = -1;
    std::vector<int> selections;

    void RemoveAll() override {
        items.clear();
        selected = -1;
    }
    int Append(int parent, const Utf8Text& text, int, bool bold) override {
        int at = Count();
        if (parent >= 0) {
            at = parent + 1;
            while (at < Count() && items[at].parent != -1) ++at;
        }
        for (auto& item : items)
            if (item.parent >= at) ++item.parent;
        items.insert(items.begin() + at, Item{text, bold, parent});
        return at;
    }
    int Count() const override { return static_cast<int>(items.size()); }
    Utf8Text Text(int i) const override { return Valid(i) ? items[i].text : ""; }
    int Parent(int i) const override { return Valid(i) ? items[i].parent : -1; }
    bool IsBold(int i) const override { return Valid(i) && items[i].bold; }
    bool HasChildren(int i) const override {
        return Valid(i) && i + 1 < Count() && items[i + 1].parent == i;
    }
    bool IsExpanded(int) const override { return false; }
    void Expand(int) override {}
    void Collapse(int) override {}
    int SelectedIndex() const override { return selected; }
    void Select(int i) override {
        selected = i;
        selections.push_back(i);
    }

  private:
    bool Valid(int i) const { return i >= 0 && i < Count(); }
};

class NullEditor : public EditorWidget {
  public:
    RuntimeText ReadText() override { return {}; }
    void ReplaceText(const RuntimeText&) override {}
};

const Utf8Text kRoot = "C:\\kavo\\content\\";

class PageSearchTest : public ::testing::Test {
  protected:
    PageSearchTest() : library(disk, tree, editor, [] {}) {}

    void AddPage(const Utf8Text& directory, const Utf8Text& page, const std::string& bytes) {
        disk.AddFile(kRoot + directory + "\\" + page, bytes);
    }
    // Names of the pages whose rows a search gives, as "index:name".
    std::vector<std::string> Search(const RuntimeText& text, SearchSummary* summary = nullptr) {
        std::vector<std::string> rows;
        const std::atomic<bool> cancel{false};
        const auto result =
            SearchPages(disk, PagesToSearch(library), TrimSearchText(text), cancel,
                        [&](const SearchPage& page) {
                            rows.push_back(std::to_string(page.index) + ":" + page.name);
                            hits.push_back(page);
                        });
        if (summary != nullptr) *summary = result;
        return rows;
    }

    RecordingPlatform disk;
    SearchTree tree;
    NullEditor editor;
    Library library;
    std::vector<SearchPage> hits;
};

TEST_F(PageSearchTest, ListsThePagesHoldingTheTextInTreeOrder) {
    AddPage("A", "one.txt", "xabcx");
    AddPage("A", "two.txt", "ABC");
    AddPage("B", "one.txt", "---abc");
    AddPage("B", "three.txt", Gbk("中文"));
    AddPage("B", "zero.txt", std::string("xx\0abc", 6));  // text ends at the zero byte
    StartLibrary(library);
    ASSERT_EQ(tree.items.size(), 7u);

    SearchSummary summary;
    // Same-named pages in two directories give two rows with different indices.
    EXPECT_THAT(Search(" abc\xA1\xA1", &summary), ElementsAre("1:one", "4:one"));
    EXPECT_EQ(summary.searched, 5);
    EXPECT_EQ(summary.found, 2);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(hits[1].path, kRoot + "B\\one.txt");
    EXPECT_THAT(Search("\xD0\xCE"), IsEmpty());  // half of 中 and half of 文
    EXPECT_THAT(Search(Gbk("文")), ElementsAre("5:three"));
    EXPECT_THAT(Search("   "), IsEmpty());  // nothing to look for

    // Without the items of the last rebuild the tree itself names the same pages.
    const auto recorded = PagesToSearch(library);
    library.items.clear();
    const auto asked = PagesToSearch(library);
    ASSERT_EQ(asked.size(), recorded.size());
    for (std::size_t i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(asked[i].index, recorded[i].index);
        EXPECT_EQ(asked[i].name, recorded[i].name);
        EXPECT_EQ(asked[i].path, recorded[i].path);
    }
}

TEST_F(PageSearchTest, RtfPagesAreSearchedInTheirShownText) {
    AddPage("A", "rich.txt", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 hello \\'d6\\'d0 world}");
    AddPage("A", "plain.txt", "fonttbl Arial");
    StartLibrary(library);
    EXPECT_THAT(Search("hello"), ElementsAre("2:rich"));
    EXPECT_THAT(Search(Gbk("中 world")), ElementsAre("2:rich"));
    EXPECT_THAT(Search("Arial"), ElementsAre("1:plain"));  // the font table is not shown
}

TEST_F(PageSearchTest, UnreadablePagesAreSearchedAsEmpty) {
    AddPage("A", "a.txt", "abc");
    AddPage("A", "b.txt", "abc");
    disk.unreadablePaths.insert(kRoot + "A\\a.txt");
    StartLibrary(library);
    SearchSummary summary;
    EXPECT_THAT(Search("abc", &summary), ElementsAre("2:b"));
    EXPECT_EQ(summary.searched, 2);
}

TEST_F(PageSearchTest, CancellingStopsBeforeTheNextPage) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) AddPage("A", name, "abc");
    StartLibrary(library);
    std::atomic<bool> cancel{false};
    std::vector<int> rows;
    const auto summary =
        SearchPages(disk, PagesToSearch(library), "abc", cancel, [&](const SearchPage& page) {
            rows.push_back(page.index);
            if (rows.size() == 2) cancel = true;
        });
    EXPECT_THAT(rows, ElementsAre(1, 2));
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.searched, 2);
}

TEST_F(PageSearchTest, RowsOpenTheirPageAfterTheTreeWasRebuilt) {
    AddPage("B", "b1.txt", "abc");
    AddPage("B", "b2.txt", "abc");
    AddPage("C", "gone.txt", "abc");
    StartLibrary(library);
    EXPECT_THAT(Search("abc"), ElementsAre("1:b1", "2:b2", "4:gone"));

    // A library operation adds a directory before B and removes a page; the tree is rebuilt.
    AddPage("A", "new.txt", "");
    ASSERT_TRUE(disk.RemoveFile(kRoot + "C\\gone.txt"));
    RebuildLibraryTree(library);
    ASSERT_EQ(tree.Text(1), "new");

    EXPECT_EQ(ItemIndexOfPage(library, hits[0].path), 3);
    EXPECT_EQ(tree.Text(3), "b1");
    EXPECT_EQ(ItemIndexOfPage(library, hits[1].path), 4);
    EXPECT_EQ(ItemIndexOfPage(library, hits[2].path), -1);  // its page is gone
    // Paths compare as the platform compares file names.
    EXPECT_EQ(ItemIndexOfPage(library, kRoot + "b\\B1.TXT"), 3);
}

}  // namespace
}  // namespace kavo
