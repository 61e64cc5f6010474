#include "app/library_loading_win32.h"

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/ui_thread_win32.h"
#include "library/content_folder.h"
#include "library/library_tree.h"

namespace kavo {
namespace {

constexpr UINT_PTR kStartListingTimer = 0x4C49;  // "LI"

// Set by the closing step: the library must not be touched once the window goes.
struct LoadingState {
    std::atomic<bool> closing{false};
};

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

void InstallLibraryLoading(MainWindowServices& services) {
    auto state = std::make_shared<LoadingState>();
    Library& library = services.TheLibrary();
    services.AddClosingStep([state] { state->closing = true; });
    library.onPagesLeftUnlisted = [&library, state] { ListInBackground(library, state); };
    // The start listed what it could up front before this was installed. The rest waits until
    // the window has shown and the queue is empty (a timer's tick comes after everything else),
    // so that it does not compete with the start.
    if (UnlistedDirectories(library).empty()) return;
    HWND window = services.Window();
    SetTimer(window, kStartListingTimer, 0, nullptr);
    services.AddMessageHook(
        [window, &library, state](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_TIMER || wParam != kStartListingTimer) return std::nullopt;
            KillTimer(window, kStartListingTimer);
            ListInBackground(library, state);
            return 0;
        });
}

}  // namespace kavo
