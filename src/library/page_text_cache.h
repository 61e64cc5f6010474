// What the global search read of the library's pages, kept between searches: a search over an
// unchanged library reads nothing from the disk again, which under Wine is most of a search's
// time (opening files costs far more than matching their text).
//
// A kept text is used only while its file is unchanged:
// - A read is kept only when the file's size and write time (its stamp) are the same just before
//   and just after it: a page another program writes while it is read is read again next time.
// - Each folder the cache holds pages of is watched (FilePort::WatchFolder). A search asks the
//   watches first; a page is used unread only while its folder's watch has told of no change
//   since the page was read or checked. Where a watch tells of one (or none could be made), the
//   folder's pages are checked by their stamps, and read again where those changed. Checking
//   every page's stamp at every search would cost nearly as much as grep takes to read them
//   all; the watches make that check rare.
// - A search that begins while an earlier one still reads (a cancelled search ends in its own
//   time) may be told of a change the earlier read did not see: such a read is kept, but as
//   unchecked, so its stamp is compared at its next use.
// - A page written less than 2 s ago (FileStamp::recent) is not trusted by its stamp: where times
//   are kept in 2-second steps (FAT) a second write of as many bytes leaves the same stamp. It is
//   read again at its next use, until its stamp is older.
// - The program's own saves and library operations let go of what they change at once.
//
// The texts kept are bounded (64 MiB unless told otherwise): pages beyond the bound are read at
// every search. A search that went through every page lets go of pages it did not ask for (they
// were deleted or renamed).
//
// Any thread: a search runs on a thread of its own while the user-interface thread saves, and a
// cancelled search may still be ending while the next one begins. No file call (a read, a stamp,
// a watch made, asked or closed) is made while the cache's lock is held, so a slow folder (a
// network drive) holds up only the search that reads it, never 保存 or the next search's start.
// Only BeginSearch wants a thread that outlives the search (the user-interface thread): the
// watches are made and renewed there, and a thread's pending notifications end with it (every
// watch would then tell of a change at every search).
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
        Utf8Text path;         // as first given, without the last separator
        std::uint64_t id = 0;  // tells a folder from one of the same path made after ForgetAll
        // Shared so that it is asked outside the lock; nullptr: none could be made (yet).
        std::shared_ptr<FolderWatch> watch;
        std::size_t pages = 0;
        // Searches whose start found the folder changed, or could not tell: a page checked
        // before the last of them must be checked again.
        std::uint64_t changes = 0;
    };
    struct Page {
        Folder* folder = nullptr;
        FileStamp stamp;  // before and after its read
        Text text;
        // Known unchanged as of its folder's changes count checkedAt; never while its stamp is
        // recent.
        bool checked = false;
        std::uint64_t checkedAt = 0;
        std::uint64_t lastSearch = 0;
    };
    struct FolderAtStart;

    bool Trusted(const Page& page) const {
        return page.checked && page.checkedAt == page.folder->changes;
    }
    Folder& FolderOfPage(std::string_view path);
    void Drop(PathMap<Page>::iterator page);

    const std::size_t byteLimit_;
    mutable std::mutex mutex_;
    PathMap<Folder> folders_;  // by path, without the last separator
    PathMap<Page> pages_;      // by path
    std::size_t heldBytes_ = 0;
    std::uint64_t search_ = 0;
    std::uint64_t nextFolderId_ = 0;
    // Counts the program's own changes, so that a text read while one was made is not kept.
    std::uint64_t forgets_ = 0;
};

}  // namespace kavo
