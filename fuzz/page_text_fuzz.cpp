// A page's file (any bytes: GBK text as the program writes it, an RTF document another editor
// saved, anything else) read the ways the program reads pages: loaded for the editor, converted
// for the screen, searched (RTF through the text it shows), and walked by line for the messages
// that name a line.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/run_texts.h"
#include "editor/find_rules.h"
#include "editor/rtf_text.h"
#include "library/content_folder.h"
#include "library/page_search.h"
#include "library/page_text_cache.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

void Expect(bool condition) {
    if (!condition) std::abort();
}

// Where each character of the text starts, as the search's decoder reads it: a lead byte takes
// the byte after it only when that byte can end a double-byte character.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t pos = 0; pos < text.size();) {
        starts.push_back(pos);
        const bool pair = pos + 1 < text.size() &&
                          IsLeadByte(static_cast<unsigned char>(text[pos])) &&
                          IsTrailByte(static_cast<unsigned char>(text[pos + 1]));
        pos += pair ? 2 : 1;
    }
    starts.push_back(text.size());
    return starts;
}

// A few whole characters of the shown text, chosen from the input itself so that the choice
// is the same on every run of the input: whatever the search is given from the page must be
// found there, at or before where it was taken.
void SearchForPiecesOf(std::string_view shown) {
    const std::vector<std::size_t> starts = CharacterStarts(shown);
    const std::size_t characters = starts.size() - 1;
    if (characters == 0) return;
    const std::size_t seed = std::hash<std::string_view>{}(shown);
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t first = (seed >> (8 * k)) % characters;
        const std::size_t count = 1 + ((seed >> (8 * k + 4)) % 6);
        const std::size_t last = std::min(characters, first + count);
        const std::string_view piece = shown.substr(starts[first], starts[last] - starts[first]);
        const std::size_t found = FindOnCharacterBoundary(shown, piece);
        Expect(found != std::string_view::npos && found <= starts[first]);
        const RuntimeText trimmed = TrimSearchText(piece);
        Expect(TrimSearchText(trimmed) == trimmed);
        if (!trimmed.empty())
            Expect(FindOnCharacterBoundary(shown, trimmed) != std::string_view::npos);
    }
}

void ReadPage(std::string_view bytes) {
    RecordingPlatform disk;
    const Utf8Text path = "C:\\kavo\\content\\a\\page.txt";
    disk.AddFile(path, std::string(bytes));

    // Loaded for the editor: the bytes up to the first zero byte.
    const RuntimeText page = ReadPageText(disk, path);
    Expect(page == UpToFirstZero(bytes));

    // Shown and typed: GBK to UTF-8 and back, case and full-width forms.
    const std::string utf8 = GbkToUtf8(page);
    Utf8ToGbk(utf8);
    Utf8ToGbk(bytes);  // the same bytes taken as UTF-8 (a clipboard or a dialog's text)
    Expect(AsciiToUpper(page).size() == page.size() && AsciiToLower(page).size() == page.size());
    Expect(FullWidthToAscii(page).size() <= page.size());
    Expect(CountCharacters(page) <= static_cast<int>(page.size()));

    // Lines: the parts between line ends, a line end made to LF, and the line spans and balloon
    // texts of the first lines and of one far away.
    const std::vector<RuntimeText> lines = SplitText(page, "\r\n");
    std::size_t total = 0;
    for (const RuntimeText& line : lines) total += line.size();
    Expect(total <= page.size());
    ReplaceAll(page, "\r\n", "\n");
    for (const int line : {0, 1, 2, 3, static_cast<int>(lines.size()), 1 << 20}) {
        if (const auto span = LineSpan(page, line)) Expect(span->start <= span->end);
        StoppedText(page, line);
    }

    // Searched: an RTF document in the text it shows, always through the reader as well.
    const RuntimeText shown = SearchableText(std::string(bytes));
    if (IsRtfDocument(page)) Expect(shown == RtfDisplayText(page));
    RtfDisplayText(bytes);
    SearchForPiecesOf(shown);

    // The global search over this one page, for a piece of its first line.
    const std::vector<SearchPage> pages = {{0, "page", path}};
    const std::atomic<bool> cancel{false};
    const RuntimeText needle =
        TrimSearchText(lines.empty() ? RuntimeText() : lines[0].substr(0, 8));
    int hits = 0;
    const SearchSummary summary =
        SearchPages(disk, pages, needle, cancel, [&hits](const SearchPage&) { ++hits; });
    Expect(summary.searched == 1 && summary.found == hits && !summary.cancelled);
    // With what a search keeps: the first search reads the page, the second uses what it kept,
    // and both find what the search without a cache found.
    PageTextCache cache;
    for (int round = 0; round < 2; ++round) {
        int keptHits = 0;
        BeginCachedSearch(disk, cache, pages);
        const SearchSummary kept = SearchPages(disk, cache, pages, needle, cancel,
                                               [&keptHits](const SearchPage&) { ++keptHits; });
        Expect(kept.searched == 1 && keptHits == hits && !kept.cancelled);
    }
}

}  // namespace
}  // namespace kavo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::ReadPage(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
