// What the global search read of the library's pages, kept between searches: a search over an
// unchanged library reads nothing from the disk again, which under Wine is most of a search's
// time (opening files costs far more than matching their text).
//
// A kept text is used only while its file is unchanged. Each folder the cache holds pages of is
// watched (FilePort::WatchFolder): a search checks the watches first, and where one tells of a
// change (or no watch could be made) the pages of that folder are checked by their size and
// write time before they are used, and read again when those changed; a page whose size and time
// were not taken yet (its folder was watched when it was read) is read again. Checking every
// page's size and time at every search would cost nearly as much as grep takes to read them all;
// the watches make that check rare. The program's own saves and library operations let go of
// what they change at once.
//
// The texts kept are bounded (64 MiB unless told otherwise): pages beyond the bound are read at
// every search. A search that went through every page lets go of pages it did not ask for (they
// were deleted or renamed).
//
// Any thread: a search runs on a thread of its own while the user-interface thread saves, and a
// cancelled search may still be ending while the next one begins. Only BeginSearch wants a
// thread that outlives the search (the user-interface thread): the watches are made and renewed
// there, and a thread's pending notifications end with it (every watch would then tell of a
// change at every search).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

class PageTextCache {
  public:
    static constexpr std::size_t kDefaultByteLimit = std::size_t{64} << 20;
    using Text = std::shared_ptr<const RuntimeText>;
    // What is kept of a page: its text made from the file's bytes (the same function at every
    // call).
    using TextOfFile = std::function<RuntimeText(std::string fileBytes)>;

    explicit PageTextCache(std::size_t byteLimit = kDefaultByteLimit) : byteLimit_(byteLimit) {}
    PageTextCache(const PageTextCache&) = delete;
    PageTextCache& operator=(const PageTextCache&) = delete;

    // Before a search of pages in these folders (paths without the last separator): folders
    // not watched yet are watched from now on, and the watches tell which folders' pages must be
    // checked again.
    void BeginSearch(FilePort& files, const std::vector<Utf8Text>& folders);
    // The page's text, kept or read now; nullptr when its file cannot be read.
    Text PageText(FilePort& files, const Utf8Text& path, const TextOfFile& textOf);
    // After a search; one that went through every page lets go of the pages it did not ask for.
    void EndSearch(bool wentThroughEveryPage);

    // The program wrote the page (saved it).
    void Forget(const Utf8Text& path);
    // The program changed the library (pages or directories made, deleted or renamed).
    void ForgetAll();

    std::size_t HeldBytes() const;
    std::size_t HeldPages() const;

  private:
    // Paths name the same file whatever the letter case of their ASCII letters; looked up
    // without making a key, as a search looks up every page.
    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view path) const;
    };
    struct PathEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const {
            return EqualIgnoringAsciiCase(a, b);
        }
    };
    template <typename Value>
    using PathMap = std::unordered_map<Utf8Text, Value, PathHash, PathEqual>;

    struct Folder {
        Utf8Text path;                       // as first given, without the last separator
        std::unique_ptr<FolderWatch> watch;  // nullptr: none could be made
        std::size_t pages = 0;
        bool changed = false;  // told at the last BeginSearch, or could not tell
    };
    struct Page {
        Folder* folder = nullptr;
        // Taken where the folder has no watch, or told of a change: a page of a watched folder
        // is read again when its folder changes, until then its stamp is not needed.
        std::optional<FileStamp> stamp;
        Text text;
        bool checked = false;  // known unchanged since its folder's watch last told of nothing
        std::uint64_t lastSearch = 0;
    };

    void Drop(PathMap<Page>::iterator page);

    const std::size_t byteLimit_;
    mutable std::mutex mutex_;
    PathMap<Folder> folders_;  // by path, without the last separator
    PathMap<Page> pages_;      // by path
    std::size_t heldBytes_ = 0;
    std::uint64_t search_ = 0;
    // Counts the program's own changes, so that a text read while one was made is not kept.
    std::uint64_t forgets_ = 0;
};

}  // namespace kavo
