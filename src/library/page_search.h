// Searching every page of the library for a text, as a person would find it on screen: letter
// case counts, a double-byte character is never matched by half, and a page holding an RTF
// document is searched in the text the document shows.
//
// The search reads the pages' files, not the editor, so it can run on a thread of its own: take
// the list of pages on the user-interface thread (PagesToSearch), then SearchPages elsewhere.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "library/library_tree.h"
#include "library/page_text_cache.h"
#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

// The search text as it is used: ASCII spaces and full-width spaces (0xA1A1) removed from both
// ends.
RuntimeText TrimSearchText(std::string_view text);

// The first byte position at or after from where needle starts on a character boundary of
// text; npos when there is none. A lead byte followed by a byte that cannot end a double-byte
// character stands alone, as the decoder shows it.
std::size_t FindOnCharacterBoundary(std::string_view text, std::string_view needle,
                                    std::size_t from = 0);

// The first byte position at or after from where needle's bytes stand in text; npos when
// nowhere. It looks at sixteen places at once for the needle's first and last bytes where the
// processor can, and calls no C library routine: the byte-at-a-time forms of Wine's msvcrt
// would take most of a search over pages kept in memory.
std::size_t FindBytes(std::string_view text, std::string_view needle, std::size_t from = 0);

// The text a page's file shows: the bytes up to the first zero byte, or the displayed text when
// they are an RTF document.
RuntimeText SearchableText(std::string fileBytes);

// One page as the tree listed it when the search began.
struct SearchPage {
    int index = -1;  // the item's index in the tree at that time
    Utf8Text name;   // the item's text
    Utf8Text path;   // the page's file
};

// Every page item of the library's tree, in tree order.
std::vector<SearchPage> PagesToSearch(const Library& library);

struct SearchSummary {
    int searched = 0;
    int found = 0;
    bool cancelled = false;
};

// Reads each page and calls onHit for those that contain text (already trimmed, GBK), in
// order. An empty text finds nothing. An unreadable page counts as searched and is not listed.
// Stops early, with cancelled set, when cancel becomes true.
SearchSummary SearchPages(FilePort& files, const std::vector<SearchPage>& pages,
                          std::string_view text, const std::atomic<bool>& cancel,
                          const std::function<void(const SearchPage&)>& onHit);
// A search with what the cache kept takes two steps. This one runs first, on a thread that
// outlives the search (the user-interface thread): the cache watches the pages' folders from
// there (see PageTextCache).
void BeginCachedSearch(FilePort& files, PageTextCache& cache, const std::vector<SearchPage>& pages);
// Then, on any thread: SearchPages with the texts the cache kept of unchanged pages instead of
// their files.
SearchSummary SearchPages(FilePort& files, PageTextCache& cache,
                          const std::vector<SearchPage>& pages, std::string_view text,
                          const std::atomic<bool>& cancel,
                          const std::function<void(const SearchPage&)>& onHit);

// The tree item showing the page stored at path now (after any rebuild); -1 when the page is
// gone. Paths compare as the platform's file names do, ignoring ASCII letter case.
int ItemIndexOfPage(const Library& library, const Utf8Text& path);

}  // namespace kavo
