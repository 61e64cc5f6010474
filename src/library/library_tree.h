// The script library as the tree shows it: building the tree from the content folder and loading
// the selected page into the editor.
//
// The tree is the only index of the library; it is thrown away and built again from the disk
// after every change. Items are addressed by their pre-order index (see TreeWidget): a bold
// top-level item is a script directory, any other item a page.
#pragma once

#include <functional>
#include <vector>

#include "library/content_folder.h"
#include "library/library_widgets.h"
#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

// The page shown in the editor, one per program.
struct LibraryState {
    // True once any page has been loaded into the editor.
    bool pageLoaded = false;
    // The loaded page's text as it was read from disk (GBK).
    RuntimeText baselineText;
    // Index of the item selected when the selection handler last ran (page or directory).
    int lastSelectedIndex = 0;
    // Items that had children and were expanded when the selection handler last ran; ascending.
    std::vector<int> expandedItems;
    // The file the loaded page was read from. Indices move when the tree is rebuilt; the path
    // does not, so this is where the page's edits belong. Empty when that page was deleted.
    Utf8Text loadedPagePath;
    // The editor's own reading of the page right after it was loaded (or last saved). The
    // editor may show a page differently from its bytes (LF line ends, bytes that are no GBK),
    // so "changed" means differing from this, never from baselineText.
    RuntimeText shownText;
    // The loaded page's whole file, zero bytes and all: what an unedited page is saved as.
    std::string loadedBytes;
    // False when the page's file could not be read (missing or locked): it shows empty, and its
    // unseen content must not be overwritten by a save of that empty text.
    bool pageRead = false;
};

// What a tree item stands for on disk, recorded while the tree is built.
struct LibraryItem {
    Utf8Text directory;  // the script directory (the item's own name for a directory item)
    Utf8Text fileName;   // the page's real file name; empty for a directory item
    Utf8Text pageName;   // the text shown for a page
};

// The library of the main window: its collaborators, the content folder and the state.
struct Library {
    Library(FilePort& fileSystem, TreeWidget& treeWidget, EditorWidget& editorWidget,
            PendingEventsCallback pendingEvents)
        : files(fileSystem),
          tree(treeWidget),
          editor(editorWidget),
          processPendingEvents(std::move(pendingEvents)) {}

    FilePort& files;
    TreeWidget& tree;
    EditorWidget& editor;
    PendingEventsCallback processPendingEvents;

    // Ends with a backslash. Set once by StartLibrary.
    Utf8Text contentRoot;
    LibraryState state;

    // LeavePageCheck: runs when a page is selected, before it replaces the editor's text, so that
    // unsaved edits of the page shown before can be dealt with (installed by the saving module).
    // False keeps the editor as it is: the user wanted the edits saved and saving failed.
    std::function<bool(Library&)> leavePageCheck;

    // 自动保存: leaving or closing a changed page saves it without a question.
    bool autoSave = false;
    // While the unsaved-changes question is open, further selection changes are ignored and a
    // rebuild waits until the question is answered and the page has loaded.
    bool questionOpen = false;
    bool rebuildAfterQuestion = false;

    // Rebuilt with the tree: items[i] describes tree item i. Pages load from their real file
    // name, so a page whose file is not exactly name + ".txt" (Notes.TXT, a.txt.txt) opens too.
    std::vector<LibraryItem> items;

    // Re-entry guard: listing the disk dispatches messages, and a handler may ask for another
    // rebuild while one is running; it is then done once more when the running one ends.
    bool rebuilding = false;
    bool rebuildRequested = false;
};

// Computes the content folder and fills the tree from it (once, when the main window has been
// created).
void StartLibrary(Library& library);

// Removes all items and lists the content folder again: a bold top-level item (image 0) for each
// script directory and under it a page item (image 3) for each "*.txt" file, in LibraryNameLess
// order. Afterwards no item is selected and every directory that was expanded before the rebuild
// is expanded again, found by its name (indices name other items once pages or directories come
// and go). The editor, the state and lastSelectedIndex are left as they were.
void RebuildLibraryTree(Library& library);

// The tree's selection-changed handler. A page item: runs LeavePageCheck, then loads the page's
// file (bytes up to the first zero byte; a missing or unreadable file gives the empty text) into
// baselineText and the editor, unless LeavePageCheck keeps the editor. A directory item leaves
// the editor alone. For both, records the expanded items and the selected index. No selection
// (-1), or a selection while the unsaved-changes question is open, changes nothing.
void OnTreeSelectionChanged(Library& library);

// The file behind a page item: its real file name as listed when the tree was built, or, for an
// item the last build did not make, the path composed from the item's texts. Empty for -1 and
// for a directory item.
Utf8Text PageFilePath(const Library& library, int index);

}  // namespace kavo
