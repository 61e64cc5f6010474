#include "library/page_search.h"

#include <bit>
#include <cstring>
#include <functional>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "editor/rtf_text.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

// Bytes of the character at pos, as the GBK decoder reads it.
std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
        return 2;
    return 1;
}

// A character start at or before pos. No byte below 0x40 can end a double-byte character, so a
// character starts at it: the nearest such byte is found without reading the text from its start.
std::size_t CharacterStartBefore(std::string_view text, std::size_t pos) {
    std::size_t walk = pos;
    while (walk > 0 && static_cast<unsigned char>(text[walk - 1]) >= 0x40) --walk;
    return walk > 0 ? walk - 1 : 0;
}

bool EqualPaths(const Utf8Text& a, const Utf8Text& b) {
    return EqualIgnoringAsciiCase(a, b);
}

}  // namespace

RuntimeText TrimSearchText(std::string_view text) {
    // Leading spaces: walk whole characters from the start.
    std::size_t begin = 0;
    while (begin < text.size()) {
        if (text[begin] == ' ') {
            ++begin;
        } else if (text.substr(begin, 2) == kFullWidthSpace) {
            begin += 2;
        } else {
            break;
        }
    }
    // Trailing spaces: only spaces that are whole characters, so the boundaries come from a
    // walk over the rest.
    std::size_t end = begin;
    for (std::size_t pos = begin; pos < text.size();) {
        const std::size_t length = CharacterLength(text, pos);
        const std::string_view character = text.substr(pos, length);
        pos += length;
        if (character != " " && character != kFullWidthSpace) end = pos;
    }
    return RuntimeText(text.substr(begin, end - begin));
}

std::size_t FindBytes(std::string_view text, std::string_view needle, std::size_t from) {
    const std::size_t size = needle.size();
    if (size == 0 || size > text.size() || from > text.size() - size) return std::string_view::npos;
    const char* const bytes = text.data();
    const char first = needle.front();
    const char last = needle.back();
    // The bytes between the first and the last, once both stand where they should.
    const auto middleMatches = [&](std::size_t pos) {
        for (std::size_t k = 1; k + 1 < size; ++k)
            if (bytes[pos + k] != needle[k]) return false;
        return true;
    };
    std::size_t pos = from;
    const std::size_t lastStart = text.size() - size;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i firsts = _mm_set1_epi8(first);
    const __m128i lasts = _mm_set1_epi8(last);
    for (; pos + 15 <= lastStart; pos += 16) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos));
        const __m128i atLast =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos + size - 1));
        auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(atFirst, firsts), _mm_cmpeq_epi8(atLast, lasts))));
        while (candidates != 0) {
            const std::size_t at = pos + static_cast<std::size_t>(std::countr_zero(candidates));
            if (middleMatches(at)) return at;
            candidates &= candidates - 1;
        }
    }
#endif
    for (; pos <= lastStart; ++pos)
        if (bytes[pos] == first && bytes[pos + size - 1] == last && middleMatches(pos)) return pos;
    return std::string_view::npos;
}

std::size_t FindOnCharacterBoundary(std::string_view text, std::string_view needle,
                                    std::size_t from) {
    if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
    // The walk over character starts goes on from one match to the next: walking back from each
    // match would read a long line without ASCII again for every match on it.
    std::size_t start = std::string_view::npos;
    for (std::size_t pos = FindBytes(text, needle, from); pos != std::string_view::npos;
         pos = FindBytes(text, needle, pos + 1)) {
        if (start == std::string_view::npos) start = CharacterStartBefore(text, pos);
        while (start < pos) start += CharacterLength(text, start);
        if (start != pos) continue;
        // A match that begins on a character must also end on one: its last byte may be the
        // lead byte of a character that goes on.
        const std::size_t end = pos + needle.size();
        std::size_t walk = pos;
        while (walk < end) walk += CharacterLength(text, walk);
        if (walk == end) return pos;
    }
    return std::string_view::npos;
}

RuntimeText SearchableText(std::string fileBytes) {
    const std::size_t zero = fileBytes.find('\0');
    if (zero != std::string::npos) fileBytes.resize(zero);
    if (IsRtfDocument(fileBytes)) return RtfDisplayText(fileBytes);
    return fileBytes;
}

std::vector<SearchPage> PagesToSearch(const Library& library) {
    std::vector<SearchPage> pages;
    const int count = library.tree.Count();
    // The items recorded with the last rebuild describe the tree without asking the control for
    // every item again, which takes long for a large library; the control answers only when
    // they do not match it.
    if (library.items.size() == static_cast<std::size_t>(count)) {
        for (int i = 0; i < count; ++i) {
            const LibraryItem& item = library.items[static_cast<std::size_t>(i)];
            if (item.fileName.empty()) continue;
            pages.push_back(
                {i, item.pageName, library.contentRoot + item.directory + "\\" + item.fileName});
        }
        return pages;
    }
    for (int i = 0; i < count; ++i) {
        if (library.tree.IsBold(i)) continue;
        pages.push_back({i, library.tree.Text(i), PageFilePath(library, i)});
    }
    return pages;
}

namespace {

// Calls onHit for each page whose shown text holds text. shownText(page) gives something that
// points to the page's text, empty when the page cannot be read.
template <typename ShownText>
SearchSummary SearchEach(const std::vector<SearchPage>& pages, std::string_view text,
                         const std::atomic<bool>& cancel,
                         const std::function<void(const SearchPage&)>& onHit,
                         ShownText&& shownText) {
    SearchSummary summary;
    for (const auto& page : pages) {
        if (cancel.load(std::memory_order_relaxed)) {
            summary.cancelled = true;
            break;
        }
        ++summary.searched;
        if (text.empty()) continue;
        const auto shown = shownText(page);
        if (!shown || FindOnCharacterBoundary(*shown, text) == std::string_view::npos) continue;
        ++summary.found;
        onHit(page);
    }
    return summary;
}

}  // namespace

SearchSummary SearchPages(FilePort& files, const std::vector<SearchPage>& pages,
                          std::string_view text, const std::atomic<bool>& cancel,
                          const std::function<void(const SearchPage&)>& onHit) {
    return SearchEach(pages, text, cancel, onHit,
                      [&files](const SearchPage& page) -> std::optional<RuntimeText> {
                          std::optional<std::string> bytes = files.ReadWholeFile(page.path);
                          if (!bytes) return std::nullopt;
                          return SearchableText(std::move(*bytes));
                      });
}

void BeginCachedSearch(FilePort& files, PageTextCache& cache,
                       const std::vector<SearchPage>& pages) {
    std::vector<Utf8Text> folders;
    for (const SearchPage& page : pages) {
        const std::size_t split = page.path.find_last_of('\\');
        const std::string_view folder = split == Utf8Text::npos
                                            ? std::string_view()
                                            : std::string_view(page.path).substr(0, split);
        // Pages come folder by folder.
        if (folders.empty() || folders.back() != folder) folders.emplace_back(folder);
    }
    cache.BeginSearch(files, folders);
}

SearchSummary SearchPages(FilePort& files, PageTextCache& cache,
                          const std::vector<SearchPage>& pages, std::string_view text,
                          const std::atomic<bool>& cancel,
                          const std::function<void(const SearchPage&)>& onHit) {
    if (text.empty()) return SearchPages(files, pages, text, cancel, onHit);
    const PageTextCache::TextOfFile textOf = SearchableText;
    const SearchSummary summary = SearchEach(
        pages, text, cancel, onHit,
        [&](const SearchPage& page) { return cache.PageText(files, page.path, textOf); });
    cache.EndSearch(!summary.cancelled);
    return summary;
}

int ItemIndexOfPage(const Library& library, const Utf8Text& path) {
    for (const SearchPage& page : PagesToSearch(library))
        if (EqualPaths(page.path, path)) return page.index;
    return -1;
}

}  // namespace kavo
