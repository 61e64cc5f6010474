#include "library/page_text_cache.h"

#include <optional>
#include <string>

namespace kavo {
namespace {

// Paths name the same file whatever the letter case of their ASCII letters.
Utf8Text Key(std::string_view path) {
    Utf8Text key(path);
    for (char& c : key) c = AsciiLowerByte(c);
    return key;
}

struct PagePlace {
    Utf8Text folder;  // as given, without the last separator
    Utf8Text name;    // the file's name, as a key
};

PagePlace PlaceOf(const Utf8Text& path) {
    const std::size_t split = path.find_last_of('\\');
    if (split == Utf8Text::npos) return {Utf8Text(), Key(path)};
    return {path.substr(0, split), Key(std::string_view(path).substr(split + 1))};
}

}  // namespace

void PageTextCache::BeginSearch(FilePort& files) {
    const std::lock_guard lock(mutex_);
    ++search_;
    for (auto& [key, folder] : folders_) {
        bool changed = true;
        if (folder.watch) {
            changed = folder.watch->Changed();
        } else {
            // Changes before a watch is made are not known: its pages are checked this time.
            folder.watch = files.WatchFolder(folder.path);
        }
        if (changed)
            for (auto& [name, page] : folder.pages) page.checked = false;
    }
}

PageTextCache::Text PageTextCache::PageText(FilePort& files, const Utf8Text& path,
                                            const TextOfFile& textOf) {
    const PagePlace place = PlaceOf(path);
    const Utf8Text folderKey = Key(place.folder);
    std::uint64_t forgetsBefore = 0;
    std::optional<FileStamp> stamp;
    bool stamped = false;
    {
        const std::lock_guard lock(mutex_);
        auto [folderAt, made] = folders_.try_emplace(folderKey);
        Folder& folder = folderAt->second;
        if (made) {
            folder.path = place.folder;
            // Watching before anything of the folder is read: a change after that is told.
            folder.watch = files.WatchFolder(place.folder);
        }
        const auto found = folder.pages.find(place.name);
        if (found != folder.pages.end()) {
            Page& page = found->second;
            if (!page.checked) {
                stamp = files.StampOf(path);
                stamped = true;
                page.checked = stamp && *stamp == page.stamp;
            }
            if (page.checked) {
                page.lastSearch = search_;
                return page.text;
            }
            Drop(folder, found);
        }
        forgetsBefore = forgets_;
    }

    // Read without holding the others up. The stamp is taken first (or was, by the check): a
    // change made while the file is read shows as a stamp that differs at the next check.
    if (!stamped) stamp = files.StampOf(path);
    const std::optional<std::string> bytes = files.ReadWholeFile(path);
    if (!bytes) return nullptr;
    auto text = std::make_shared<const RuntimeText>(textOf(*bytes));

    const std::lock_guard lock(mutex_);
    // Not kept when the program changed something meanwhile, or when it would pass the bound.
    if (!stamp || forgets_ != forgetsBefore || heldBytes_ + text->size() > byteLimit_) return text;
    const auto folderAt = folders_.find(folderKey);
    if (folderAt == folders_.end()) return text;
    const auto [pageAt, added] = folderAt->second.pages.try_emplace(place.name);
    if (!added) return text;  // another search kept it meanwhile
    pageAt->second = Page{*stamp, text, true, search_};
    heldBytes_ += text->size();
    ++heldPages_;
    return text;
}

void PageTextCache::EndSearch(bool wentThroughEveryPage) {
    if (!wentThroughEveryPage) return;
    const std::lock_guard lock(mutex_);
    for (auto folderAt = folders_.begin(); folderAt != folders_.end();) {
        Folder& folder = folderAt->second;
        for (auto pageAt = folder.pages.begin(); pageAt != folder.pages.end();) {
            const auto next = std::next(pageAt);
            if (pageAt->second.lastSearch != search_) Drop(folder, pageAt);
            pageAt = next;
        }
        folderAt = folder.pages.empty() ? folders_.erase(folderAt) : std::next(folderAt);
    }
}

void PageTextCache::Forget(const Utf8Text& path) {
    const PagePlace place = PlaceOf(path);
    const std::lock_guard lock(mutex_);
    ++forgets_;
    const auto folderAt = folders_.find(Key(place.folder));
    if (folderAt == folders_.end()) return;
    const auto pageAt = folderAt->second.pages.find(place.name);
    if (pageAt != folderAt->second.pages.end()) Drop(folderAt->second, pageAt);
}

void PageTextCache::ForgetAll() {
    const std::lock_guard lock(mutex_);
    ++forgets_;
    folders_.clear();
    heldBytes_ = 0;
    heldPages_ = 0;
}

std::size_t PageTextCache::HeldBytes() const {
    const std::lock_guard lock(mutex_);
    return heldBytes_;
}

std::size_t PageTextCache::HeldPages() const {
    const std::lock_guard lock(mutex_);
    return heldPages_;
}

void PageTextCache::Drop(Folder& folder, std::unordered_map<Utf8Text, Page>::iterator page) {
    heldBytes_ -= page->second.text->size();
    --heldPages_;
    folder.pages.erase(page);
}

}  // namespace kavo
