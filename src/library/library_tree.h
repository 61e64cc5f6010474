// The script library as the tree shows it: building the tree from the content folder and loading
// the selected page into the editor.
//
// The tree is the only index of the library; it is thrown away and built again from the disk
// after every change. Items are addressed by their pre-order index (see TreeWidget): a bold
// top-level item is a script directory, any other item a page.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "library/content_folder.h"
#include "library/library_widgets.h"
#include "library/page_encoding.h"
#include "library/page_text_cache.h"
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
    // The editor's own reading of the page right after it was loaded (or last saved), in the
    // page's encoding; before any page, what the editor held when the library started. The
    // editor may show a page differently from its bytes (LF line ends, bytes that are no GBK),
    // so "changed" means differing from this, never from baselineText.
    RuntimeText shownText;
    // How the page's bytes are kept; the editor is read and written in the same.
    PageEncoding encoding = PageEncoding::Gbk;
    // False when the page's bytes did not come back the same through the editor (bytes that are
    // neither GBK nor UTF-8 show as '?'): saving edits then asks first.
    bool shownAsRead = true;
    // The loaded page's whole file, zero bytes and all: what an unedited page is saved as.
    std::string loadedBytes;
    // False when the page's file could not be read (missing or locked): it shows empty, and its
    // unseen content must not be overwritten by a save of that empty text.
    bool pageRead = false;
    // The page the editor's edits were made in was deleted: they belong to no page until 保存
    // stores them as a new one.
    bool editsWithoutPage = false;
    // What the user was last told about the page's file changing outside the program: the
    // version on disk they were asked about, and whether they were told it vanished. Each is
    // told once, not at every return to the window.
    std::optional<std::string> outsideVersionTold;
    bool vanishedTold = false;
    // Counts the changes of what the editor's text belongs to (a page loaded or reloaded, the
    // page deleted, text that belongs to no page): a save that asked a question checks that it
    // did not change under the question.
    std::uint64_t generation = 0;
};

// What a tree item stands for on disk, recorded while the tree is built.
struct LibraryItem {
    Utf8Text directory;  // the script directory (the item's own name for a directory item)
    Utf8Text fileName;   // the page's real file name; empty for a directory item
    Utf8Text pageName;   // the text shown for a page
};

// The whole library's tree over the control that shows it. A big library shows its directories
// first and their pages as they are listed; before anything reads or changes this tree, every
// page not listed yet is listed, so indices, counts and texts are always those of the whole
// library.
class WholeLibraryTree : public TreeWidget {
  public:
    WholeLibraryTree(TreeWidget& shown, std::function<void()> listRemainingPages)
        : shown_(shown), listRemainingPages_(std::move(listRemainingPages)) {}

    void RemoveAll() override { shown_.RemoveAll(); }
    int Append(int parent, const Utf8Text& text, int image, bool bold) override {
        Complete();
        return shown_.Append(parent, text, image, bold);
    }
    int Count() const override {
        Complete();
        return shown_.Count();
    }
    Utf8Text Text(int index) const override {
        Complete();
        return shown_.Text(index);
    }
    int Parent(int index) const override {
        Complete();
        return shown_.Parent(index);
    }
    bool IsBold(int index) const override {
        Complete();
        return shown_.IsBold(index);
    }
    bool HasChildren(int index) const override {
        Complete();
        return shown_.HasChildren(index);
    }
    bool IsExpanded(int index) const override {
        Complete();
        return shown_.IsExpanded(index);
    }
    void Expand(int index) override {
        Complete();
        shown_.Expand(index);
    }
    void Collapse(int index) override {
        Complete();
        shown_.Collapse(index);
    }
    int SelectedIndex() const override {
        Complete();
        return shown_.SelectedIndex();
    }
    void Select(int index) override {
        Complete();
        shown_.Select(index);
    }
    void BeginBulkChange() override { shown_.BeginBulkChange(); }
    void EndBulkChange() override { shown_.EndBulkChange(); }

  private:
    void Complete() const { listRemainingPages_(); }
    TreeWidget& shown_;
    std::function<void()> listRemainingPages_;
};

// The library of the main window: its collaborators, the content folder and the state.
struct Library {
    Library(FilePort& fileSystem, TreeWidget& treeWidget, EditorWidget& editorWidget,
            PendingEventsCallback pendingEvents);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    FilePort& files;
    // The control as it shows: the pages of a directory appear once they are listed.
    TreeWidget& shownTree;

  private:
    WholeLibraryTree wholeTree_;

  public:
    // The whole library: what every operation, search and selection reads and changes.
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

    // Tells the user something about a page as it loads (a page that cannot be edited safely).
    std::function<void(const Utf8Text& message)> tell;

    // 自动保存: leaving or closing a changed page saves it without a question.
    bool autoSave = false;
    // While the unsaved-changes question is open, further selection changes are ignored and a
    // rebuild waits until the question is answered and the page has loaded.
    bool questionOpen = false;
    bool rebuildAfterQuestion = false;
    // A selection came while a question of 保存 was open and was left alone: afterwards the tree
    // is put back on the page the editor holds.
    bool selectionIgnored = false;
    // While the selection handler runs (a rebuild then waits for its end, as after the question),
    // and while the selection is put back on the loaded page (that selection loads nothing).
    bool handlingSelection = false;
    bool reselecting = false;

    // Rebuilt with the tree: items[i] describes tree item i. Pages load from their real file
    // name, so a page whose file is not exactly name + ".txt" (Notes.TXT, a.txt.txt) opens too.
    std::vector<LibraryItem> items;

    // Re-entry guard: listing the disk dispatches messages, and a handler may ask for another
    // rebuild while one is running; it is then done once more when the running one ends.
    bool rebuilding = false;
    bool rebuildRequested = false;

    // A start or rebuild lists pages directory by directory until this many are in the tree
    // and leaves the rest for later (in the background, or when the whole tree is first read):
    // a big library shows at once.
    std::size_t pagesListedUpFront = 300;
    // The script directories in tree order, which of them have their pages in the tree, and
    // how many.
    std::vector<Utf8Text> directories;
    std::vector<bool> directoryListed;
    std::size_t directoriesListed = 0;
    // Directory names to open again once their pages are in the tree.
    std::vector<Utf8Text> reopenDirectories;
    // Counts the trees built, so that pages listed for an older tree are not added to a newer.
    std::uint64_t treeGeneration = 0;
    // Called when a start or rebuild left directories unlisted, to list them in the background.
    std::function<void()> onPagesLeftUnlisted;
    bool listingPages = false;  // re-entry guard of the page listing

    // What the recovery file holds, as written by this run; empty when it wrote none (or removed
    // it). Nothing is written or removed before the file the last run left has been offered.
    std::string recoveryKept;
    bool recoveryOffered = false;

    // What the global search kept of the pages; the library's operations and saves let go of
    // what they change.
    PageTextCache pageTexts;
};

// Computes the content folder and fills the tree from it (once, when the main window has been
// created).
void StartLibrary(Library& library);

// Removes all items and lists the content folder again: a bold top-level item (image 0) for each
// script directory and under it a page item (image 3) for each "*.txt" file, in LibraryNameLess
// order (the pages beyond pagesListedUpFront come later, see WholeLibraryTree). Afterwards no item
// is selected and every directory that was expanded before the rebuild is expanded again, found by
// its name (indices name other items once pages or directories come and go). The editor, the state
// and lastSelectedIndex are left as they were.
void RebuildLibraryTree(Library& library);

// The tree's selection-changed handler. A page item: runs LeavePageCheck, then loads the page's
// file (bytes up to the first zero byte, and the user is told when there are more; a missing or
// unreadable file gives the empty text) into baselineText and the editor. When LeavePageCheck
// keeps the editor, the selection goes back to the page the editor holds. A directory item
// leaves the editor alone. For both, records the expanded items and the selected index. No
// selection (-1), or a selection while the unsaved-changes question is open, changes nothing.
void OnTreeSelectionChanged(Library& library);

// Selects the item of the page the editor holds (none when it holds no page), loading nothing.
void ReselectLoadedPage(Library& library);

// Loads the file at path into the editor as the page it holds (what selecting its item does
// after the unsaved-changes question).
void LoadPage(Library& library, const Utf8Text& path);

// Puts a page's bytes (as read from its file) into the editor in the page's own encoding and
// takes them as the loaded state. False when they did not come back the same through the editor.
bool ShowPageBytes(Library& library, std::string bytes);

// The editor's text in the loaded page's encoding (GBK, or UTF-8 for a UTF-8 page).
RuntimeText ReadEditorText(Library& library);

// "directory\page" for messages: a page's path as the tree shows it.
Utf8Text PageLabel(const Library& library, const Utf8Text& path);

// The file behind a page item: its real file name as listed when the tree was built, or, for an
// item the last build did not make, the path composed from the item's texts. Empty for -1 and
// for a directory item.
Utf8Text PageFilePath(const Library& library, int index);

// Directories of the current tree whose pages are not listed yet, in tree order.
std::vector<Utf8Text> UnlistedDirectories(const Library& library);

// Puts the page files of a directory, listed elsewhere (another thread) with ListFiles, into the
// tree. Only an unlisted directory of the same tree generation takes them; anything else (an
// older tree, a directory listed meanwhile) is ignored. True when they were added.
bool AddListedPages(Library& library, std::uint64_t generation, const Utf8Text& directory,
                    const std::vector<Utf8Text>& pageFiles);

// Lists the pages of every directory not listed yet, now.
void ListRemainingPages(Library& library);

}  // namespace kavo
