#include "library/library_loading_win32.h"

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "library/content_folder.h"
#include "library/library_tree.h"
#include "ui/ui_thread_win32.h"

namespace kavo {

struct LibraryLoading::State {
    std::atomic<bool> closing{false};
};

namespace {

using LoadingState = LibraryLoading::State;

// Lists the unlisted directories of the current tree, asking the user-interface thread each
// time which one is next: a rebuild or a read of the whole tree may have listed some meanwhile,
// and a tree built again ends this listing (the rebuild starts another).
void ListInBackground(Library& library, const std::shared_ptr<LoadingState>& state) {
    const std::uint64_t generation = library.treeGeneration;
    FilePort& files = library.files;
    const Utf8Text root = library.contentRoot;
    std::thread([&library, &files, state, generation, root] {
        for (;;) {
            std::optional<Utf8Text> next;
            RunOnUiThread([&] {
                if (state->closing || library.treeGeneration != generation) return;
                const std::vector<Utf8Text> unlisted = UnlistedDirectories(library);
                if (!unlisted.empty()) next = unlisted.front();
            });
            if (!next) return;
            const std::vector<Utf8Text> pages = ListFiles(files, root + *next, "*.txt", nullptr);
            RunOnUiThread([&] {
                if (!state->closing) AddListedPages(library, generation, *next, pages);
            });
        }
    }).detach();
}

}  // namespace

LibraryLoading::LibraryLoading(MainWindowServices& services) : state_(std::make_shared<State>()) {
    Library& library = services.TheLibrary();
    services.Events().closing.Subscribe([state = state_] { state->closing = true; });
    library.onPagesLeftUnlisted = [&library, state = state_] { ListInBackground(library, state); };
    // The start listed what it could up front before this was made. The rest waits until the
    // window has shown and the queue is empty (a timer's tick comes after everything else), so
    // that it does not compete with the start.
    if (UnlistedDirectories(library).empty()) return;
    HWND window = services.Window();
    SetTimer(window, kStartListingTimer, 0, nullptr);
    services.OnTimer(kStartListingTimer, [window, &library, state = state_] {
        KillTimer(window, kStartListingTimer);
        ListInBackground(library, state);
    });
}

}  // namespace kavo
