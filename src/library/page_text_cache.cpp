#include "library/page_text_cache.h"

#include <optional>
#include <string>
#include <utility>

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

// A folder as BeginSearch asks about it, outside the lock.
struct PageTextCache::FolderAtStart {
    Utf8Text path;
    std::uint64_t id = 0;  // 0: a folder new to the cache
    std::shared_ptr<FolderWatch> watch;
    bool changed = true;  // changes before a watch is made are not known
    std::shared_ptr<FolderWatch> made;
};

void PageTextCache::BeginSearch(FilePort& files, const std::vector<Utf8Text>& folders) {
    std::vector<FolderAtStart> asked;
    {
        const std::lock_guard lock(mutex_);
        for (const auto& [key, folder] : folders_)
            asked.push_back({folder.path, folder.id, folder.watch});
        for (const Utf8Text& path : folders)
            if (folders_.find(std::string_view(path)) == folders_.end())
                asked.push_back({path, 0, nullptr});
    }
    for (FolderAtStart& folder : asked) {
        if (folder.watch) {
            folder.changed = folder.watch->Changed();
        } else {
            // Watched before anything of it is read (or read again): a change after that is told.
            folder.made = files.WatchFolder(folder.path);
        }
    }
    {
        const std::lock_guard lock(mutex_);
        ++search_;
        for (FolderAtStart& at : asked) {
            auto found = folders_.find(std::string_view(at.path));
            if (found == folders_.end()) {
                if (at.id != 0) continue;  // let go of meanwhile (ForgetAll)
                found = folders_.try_emplace(at.path).first;
                found->second.path = at.path;
                found->second.id = ++nextFolderId_;
            } else if (at.id != 0 && found->second.id != at.id) {
                continue;  // let go of and made again meanwhile: that one is asked next time
            }
            Folder& folder = found->second;
            if (at.changed) ++folder.changes;
            if (!folder.watch) folder.watch = std::exchange(at.made, nullptr);
        }
    }
    // Watches made and not needed after all are closed here, outside the lock.
}

PageTextCache::Folder& PageTextCache::FolderOfPage(std::string_view path) {
    const std::string_view folderPath = FolderOf(path);
    auto folder = folders_.find(folderPath);
    if (folder == folders_.end()) {
        // One BeginSearch was not told of: it has no watch until the next one.
        folder = folders_.try_emplace(Utf8Text(folderPath)).first;
        folder->second.path = Utf8Text(folderPath);
        folder->second.id = ++nextFolderId_;
    }
    return folder->second;
}

PageTextCache::Text PageTextCache::PageText(FilePort& files, const Utf8Text& path,
                                            const TextOfFile& textOf) {
    Text kept;  // what is kept of the page now, to be checked; nullptr: nothing
    std::optional<FileStamp> keptStamp;
    std::uint64_t folderId = 0;
    std::uint64_t changesBefore = 0;
    std::uint64_t forgetsBefore = 0;
    {
        const std::lock_guard lock(mutex_);
        Folder* folder = nullptr;
        if (const auto found = pages_.find(std::string_view(path)); found != pages_.end()) {
            Page& page = found->second;
            if (Trusted(page)) {
                page.lastSearch = search_;
                return page.text;
            }
            kept = page.text;
            if (!page.stamp.recent) keptStamp = page.stamp;
            folder = page.folder;
        } else {
            folder = &FolderOfPage(path);
        }
        folderId = folder->id;
        changesBefore = folder->changes;
        forgetsBefore = forgets_;
    }

    // Stamped (and read) without holding the others up.
    const std::optional<FileStamp> before = files.StampOf(path);
    if (kept && before && keptStamp && *before == *keptStamp && !before->recent) {
        const std::lock_guard lock(mutex_);
        if (const auto found = pages_.find(std::string_view(path));
            found != pages_.end() && found->second.text == kept &&
            found->second.folder->id == folderId) {
            Page& page = found->second;
            page.checked = true;
            page.checkedAt = changesBefore;  // a change told since then is checked next time
            page.lastSearch = search_;
        }
        return kept;
    }
    std::optional<std::string> bytes = files.ReadWholeFile(path);
    const std::optional<FileStamp> after = bytes ? files.StampOf(path) : std::nullopt;
    Text text;
    if (bytes) text = std::make_shared<const RuntimeText>(textOf(std::move(*bytes)));

    const std::lock_guard lock(mutex_);
    if (const auto found = pages_.find(std::string_view(path)); found != pages_.end()) {
        if (found->second.text != kept) return text;  // another search kept a later read
        Drop(found);
    }
    // Not kept when the file changed while it was read (or a stamp could not be taken), when
    // the program changed something meanwhile, or when it would pass the bound.
    if (!text || !before || !after || !(*before == *after) || forgets_ != forgetsBefore ||
        heldBytes_ + text->size() > byteLimit_)
        return text;
    const auto folder = folders_.find(FolderOf(path));
    if (folder == folders_.end() || folder->second.id != folderId) return text;
    pages_.try_emplace(path,
                       Page{&folder->second, *after, text, !after->recent, changesBefore, search_});
    ++folder->second.pages;
    heldBytes_ += text->size();
    return text;
}

void PageTextCache::EndSearch(bool wentThroughEveryPage) {
    if (!wentThroughEveryPage) return;
    std::vector<std::shared_ptr<FolderWatch>> closing;
    {
        const std::lock_guard lock(mutex_);
        for (auto page = pages_.begin(); page != pages_.end();) {
            const auto next = std::next(page);
            if (page->second.lastSearch != search_) Drop(page);
            page = next;
        }
        for (auto folder = folders_.begin(); folder != folders_.end();) {
            if (folder->second.pages == 0) {
                closing.push_back(std::move(folder->second.watch));
                folder = folders_.erase(folder);
            } else {
                ++folder;
            }
        }
    }
    // The watches are closed here, outside the lock.
}

void PageTextCache::Forget(const Utf8Text& path) {
    const std::lock_guard lock(mutex_);
    ++forgets_;
    if (const auto page = pages_.find(std::string_view(path)); page != pages_.end()) Drop(page);
}

void PageTextCache::ForgetAll() {
    PathMap<Folder> folders;
    {
        const std::lock_guard lock(mutex_);
        ++forgets_;
        pages_.clear();
        folders.swap(folders_);
        heldBytes_ = 0;
    }
    // The watches are closed here, outside the lock.
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
