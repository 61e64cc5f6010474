#include "library/page_text_cache.h"

#include <optional>
#include <string>

namespace kavo {
namespace {

// The folder part of a page's path, without the last separator.
std::string_view FolderOf(std::string_view path) {
    const std::size_t split = path.find_last_of('\\');
    return split == std::string_view::npos ? std::string_view() : path.substr(0, split);
}

}  // namespace

std::size_t PageTextCache::PathHash::operator()(std::string_view path) const {
    // FNV-1a over the folded bytes.
    std::size_t hash = 14695981039346656037ull & static_cast<std::size_t>(-1);
    for (const char c : path) {
        hash ^= static_cast<unsigned char>(AsciiLowerByte(c));
        hash *= static_cast<std::size_t>(1099511628211ull);
    }
    return hash;
}

void PageTextCache::BeginSearch(FilePort& files, const std::vector<Utf8Text>& folders) {
    const std::lock_guard lock(mutex_);
    ++search_;
    bool anyChanged = false;
    for (auto& [key, folder] : folders_) {
        if (folder.watch) {
            folder.changed = folder.watch->Changed();
        } else {
            // Changes before a watch is made are not known: its pages are checked this time.
            folder.changed = true;
            folder.watch = files.WatchFolder(folder.path);
        }
        anyChanged = anyChanged || folder.changed;
    }
    if (anyChanged)
        for (auto& [path, page] : pages_)
            if (page.folder->changed) page.checked = false;
    // Watched before anything of them is read: a change after that is told.
    for (const Utf8Text& path : folders) {
        if (folders_.find(std::string_view(path)) != folders_.end()) continue;
        Folder& folder = folders_[path];
        folder.path = path;
        folder.watch = files.WatchFolder(path);
    }
}

PageTextCache::Text PageTextCache::PageText(FilePort& files, const Utf8Text& path,
                                            const TextOfFile& textOf) {
    std::uint64_t forgetsBefore = 0;
    std::optional<FileStamp> stamp;
    bool stamped = false;
    bool stampWanted = true;
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = pages_.find(std::string_view(path)); found != pages_.end()) {
            Page& page = found->second;
            if (!page.checked && page.stamp) {
                stamp = files.StampOf(path);
                stamped = true;
                page.checked = stamp == page.stamp;
            }
            if (page.checked) {
                page.lastSearch = search_;
                return page.text;
            }
            // Read again, and its stamp taken this time: its folder changes.
            Drop(found);
        } else {
            // A folder BeginSearch was not told of has no watch: its pages need their stamps.
            const std::string_view folderPath = FolderOf(path);
            auto folder = folders_.find(folderPath);
            if (folder == folders_.end()) {
                folder = folders_.try_emplace(Utf8Text(folderPath)).first;
                folder->second.path = Utf8Text(folderPath);
            }
            stampWanted = folder->second.watch == nullptr;
        }
        forgetsBefore = forgets_;
    }

    // Read without holding the others up. The stamp is taken first (or was, by the check): a
    // change made while the file is read shows as a stamp that differs at the next check.
    if (stampWanted && !stamped) stamp = files.StampOf(path);
    std::optional<std::string> bytes = files.ReadWholeFile(path);
    if (!bytes) return nullptr;
    auto text = std::make_shared<const RuntimeText>(textOf(std::move(*bytes)));

    const std::lock_guard lock(mutex_);
    // Not kept when the program changed something meanwhile, when it would pass the bound, or
    // when a stamp it needs could not be taken.
    if ((stampWanted && !stamp) || forgets_ != forgetsBefore ||
        heldBytes_ + text->size() > byteLimit_)
        return text;
    const auto folder = folders_.find(FolderOf(path));
    if (folder == folders_.end()) return text;
    const auto [page, added] = pages_.try_emplace(path);
    if (!added) return text;  // another search kept it meanwhile
    page->second = Page{&folder->second, stamp, text, true, search_};
    ++folder->second.pages;
    heldBytes_ += text->size();
    return text;
}

void PageTextCache::EndSearch(bool wentThroughEveryPage) {
    if (!wentThroughEveryPage) return;
    const std::lock_guard lock(mutex_);
    for (auto page = pages_.begin(); page != pages_.end();) {
        const auto next = std::next(page);
        if (page->second.lastSearch != search_) Drop(page);
        page = next;
    }
    std::erase_if(folders_, [](const auto& folder) { return folder.second.pages == 0; });
}

void PageTextCache::Forget(const Utf8Text& path) {
    const std::lock_guard lock(mutex_);
    ++forgets_;
    if (const auto page = pages_.find(std::string_view(path)); page != pages_.end()) Drop(page);
}

void PageTextCache::ForgetAll() {
    const std::lock_guard lock(mutex_);
    ++forgets_;
    pages_.clear();
    folders_.clear();
    heldBytes_ = 0;
}

std::size_t PageTextCache::HeldBytes() const {
    const std::lock_guard lock(mutex_);
    return heldBytes_;
}

std::size_t PageTextCache::HeldPages() const {
    const std::lock_guard lock(mutex_);
    return pages_.size();
}

void PageTextCache::Drop(PathMap<Page>::iterator page) {
    heldBytes_ -= page->second.text->size();
    --page->second.folder->pages;
    pages_.erase(page);
}

}  // namespace kavo
