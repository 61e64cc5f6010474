#include "library/content_folder.h"

#include <algorithm>

#include "text/runtime_text.h"

namespace kavo {
namespace {

// Unsigned, so that bytes from 0x80 sort after ASCII.
unsigned char FoldAscii(char c) {
    return static_cast<unsigned char>(AsciiLowerByte(c));
}

void SortNames(std::vector<Utf8Text>& names) {
    std::sort(names.begin(), names.end(), LibraryNameLess);
}

// The queue is served at the first entry and then every so many: serving it is a round trip to
// the window system, which after every entry of a big library cost more than the listing.
constexpr std::size_t kEntriesPerQueueVisit = 64;

void ServeQueueNowAndThen(std::size_t entryIndex, const PendingEventsCallback& serve) {
    if (serve && entryIndex % kEntriesPerQueueVisit == 0) serve();
}

}  // namespace

Utf8Text ComputeContentRoot(FilePort& files) {
    return files.ExecutableFolder() + "\\content\\";
}

Utf8Text WithTrailingSeparator(const Utf8Text& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + "\\";
}

std::vector<Utf8Text> ListSubdirectories(FilePort& files, const Utf8Text& folder,
                                         const PendingEventsCallback& processPendingEvents) {
    std::vector<Utf8Text> names;
    std::size_t seen = 0;
    for (const DirectoryEntry& entry : files.ListDirectory(WithTrailingSeparator(folder), "*.*")) {
        // "." and ".." and dot-named folders such as .git are no script directories.
        if (entry.isDirectory && !entry.name.empty() && entry.name[0] != '.')
            names.push_back(entry.name);
        ServeQueueNowAndThen(seen++, processPendingEvents);
    }
    SortNames(names);
    return names;
}

std::vector<Utf8Text> ListFiles(FilePort& files, const Utf8Text& folder, const Utf8Text& pattern,
                                const PendingEventsCallback& processPendingEvents) {
    std::vector<Utf8Text> names;
    std::size_t seen = 0;
    for (const DirectoryEntry& entry :
         files.ListDirectory(WithTrailingSeparator(folder), pattern)) {
        if (!entry.isDirectory && MatchesWildcard(entry.name, pattern)) names.push_back(entry.name);
        ServeQueueNowAndThen(seen++, processPendingEvents);
    }
    SortNames(names);
    return names;
}

bool LibraryNameLess(const Utf8Text& a, const Utf8Text& b) {
    const auto folded =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                     [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
    if (folded) return true;
    const auto reversed =
        std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                     [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
    if (reversed) return false;
    // Equal but for letter case: exact bytes decide, so the order never depends on the listing.
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

Utf8Text PageNameOf(const Utf8Text& fileName) {
    // Byte-wise on purpose: in UTF-8 the bytes of ".txt" never occur inside another character.
    // (The GBK-aware replace of runtime_text would pair UTF-8 bytes as GBK characters and miss a
    // ".txt" behind them.)
    static const Utf8Text extension = ".txt";
    Utf8Text name;
    std::size_t from = 0;
    for (;;) {
        const std::size_t found = fileName.find(extension, from);
        if (found == Utf8Text::npos) break;
        name.append(fileName, from, found - from);
        from = found + extension.size();
    }
    name.append(fileName, from, Utf8Text::npos);
    return name;
}

Utf8Text ComposePagePath(const Utf8Text& contentRoot, const Utf8Text& directory,
                         const Utf8Text& page) {
    return contentRoot + directory + "\\" + page + ".txt";
}

RuntimeText ReadPageText(FilePort& files, const Utf8Text& path) {
    const auto bytes = files.ReadWholeFile(path);
    if (!bytes) return RuntimeText();
    return UpToFirstZero(*bytes);
}

}  // namespace kavo
