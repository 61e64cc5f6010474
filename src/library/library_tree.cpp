#include "library/library_tree.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "library/page_names.h"

namespace kavo {
namespace {

bool IsTopLevel(const TreeWidget& tree, int index) {
    return tree.Parent(index) == -1;
}

// Names of the directory items that are open right now.
std::vector<Utf8Text> ExpandedDirectoryNames(const TreeWidget& tree) {
    std::vector<Utf8Text> names;
    const int count = tree.Count();
    for (int i = 0; i < count; ++i)
        if (IsTopLevel(tree, i) && tree.IsBold(i) && tree.HasChildren(i) && tree.IsExpanded(i))
            names.push_back(tree.Text(i));
    return names;
}

// Sets a flag for as long as it lives (however the scope ends).
class FlagRaised {
  public:
    explicit FlagRaised(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagRaised() { flag_ = false; }
    FlagRaised(const FlagRaised&) = delete;
    FlagRaised& operator=(const FlagRaised&) = delete;

  private:
    bool& flag_;
};

// Lets the control draw again however a build ends.
class BulkChange {
  public:
    explicit BulkChange(TreeWidget& tree) : tree_(tree) { tree_.BeginBulkChange(); }
    ~BulkChange() { tree_.EndBulkChange(); }
    BulkChange(const BulkChange&) = delete;
    BulkChange& operator=(const BulkChange&) = delete;

  private:
    TreeWidget& tree_;
};

bool Contains(const std::vector<Utf8Text>& names, const Utf8Text& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void InsertItem(Library& library, int index, LibraryItem item) {
    if (index < 0) return;
    const auto at = static_cast<std::size_t>(index);
    if (library.items.size() < at) library.items.resize(at);
    library.items.insert(library.items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}

// The tree index of directory number k (in tree order), found through the items recorded with
// the tree: pages of other directories may or may not be in the tree yet.
int DirectoryItem(const Library& library, std::size_t k) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < library.items.size(); ++i)
        if (library.items[i].fileName.empty() && seen++ == k) return static_cast<int>(i);
    return -1;
}

std::size_t DirectoryNumber(const Library& library, const Utf8Text& directory) {
    const auto found = std::find(library.directories.begin(), library.directories.end(), directory);
    return static_cast<std::size_t>(found - library.directories.begin());
}

// Puts the pages of directory number k under its item. Returns how many.
std::size_t AddPages(Library& library, std::size_t k, const std::vector<Utf8Text>& pageFiles) {
    const Utf8Text directory = library.directories[k];
    const int parent = DirectoryItem(library, k);
    for (const Utf8Text& file : pageFiles) {
        const Utf8Text page = PageNameOf(file);
        InsertItem(library, library.shownTree.Append(parent, page, kPageImage, false),
                   {directory, file, page});
    }
    library.directoryListed[k] = true;
    ++library.directoriesListed;
    // It was open before the tree was built again: open it again.
    if (Contains(library.reopenDirectories, directory)) library.shownTree.Expand(parent);
    return pageFiles.size();
}

std::size_t ListPages(Library& library, std::size_t k, const PendingEventsCallback& serveQueue) {
    const Utf8Text folder = library.contentRoot + library.directories[k];
    return AddPages(library, k, ListFiles(library.files, folder, "*.txt", serveQueue));
}

bool AllListed(const Library& library) {
    return library.directoriesListed >= library.directories.size();
}

void BuildTree(Library& library, const std::vector<Utf8Text>& expandedNames) {
    TreeWidget& tree = library.shownTree;
    const BulkChange bulk(tree);
    tree.RemoveAll();
    library.items.clear();
    ++library.treeGeneration;
    library.reopenDirectories = expandedNames;
    library.directories =
        ListSubdirectories(library.files, library.contentRoot, library.processPendingEvents);
    library.directoryListed.assign(library.directories.size(), false);
    library.directoriesListed = 0;
    for (const Utf8Text& directory : library.directories)
        InsertItem(library, tree.Append(-1, directory, kDirectoryImage, true), {directory, {}, {}});

    // Up front: every directory that opens again, then the pages of a small library.
    const FlagRaised listing(library.listingPages);
    std::size_t pages = 0;
    for (std::size_t k = 0; k < library.directories.size(); ++k)
        if (Contains(expandedNames, library.directories[k]))
            pages += ListPages(library, k, library.processPendingEvents);
    for (std::size_t k = 0; k < library.directories.size() && pages < library.pagesListedUpFront;
         ++k)
        if (!library.directoryListed[k])
            pages += ListPages(library, k, library.processPendingEvents);
}

}  // namespace

Library::Library(FilePort& fileSystem, TreeWidget& treeWidget, EditorWidget& editorWidget,
                 PendingEventsCallback pendingEvents)
    : files(fileSystem),
      shownTree(treeWidget),
      wholeTree_(treeWidget, [this] { ListRemainingPages(*this); }),
      tree(wholeTree_),
      editor(editorWidget),
      processPendingEvents(std::move(pendingEvents)) {}

void StartLibrary(Library& library) {
    library.contentRoot = ComputeContentRoot(library.files);
    // Before any page, text counts as changed when it differs from what the editor held now.
    library.state.shownText = library.editor.ReadText();
    RebuildLibraryTree(library);
}

void RebuildLibraryTree(Library& library) {
    if (library.questionOpen) {
        library.rebuildAfterQuestion = true;
        return;
    }
    if (library.rebuilding) {
        library.rebuildRequested = true;
        return;
    }
    std::vector<Utf8Text> expandedNames = ExpandedDirectoryNames(library.shownTree);
    {
        const FlagRaised rebuilding(library.rebuilding);
        do {
            library.rebuildRequested = false;
            BuildTree(library, expandedNames);
        } while (library.rebuildRequested);
    }
    if (!AllListed(library) && library.onPagesLeftUnlisted) library.onPagesLeftUnlisted();
}

std::vector<Utf8Text> UnlistedDirectories(const Library& library) {
    std::vector<Utf8Text> unlisted;
    for (std::size_t k = 0; k < library.directories.size(); ++k)
        if (!library.directoryListed[k]) unlisted.push_back(library.directories[k]);
    return unlisted;
}

bool AddListedPages(Library& library, std::uint64_t generation, const Utf8Text& directory,
                    const std::vector<Utf8Text>& pageFiles) {
    if (library.listingPages || library.rebuilding || generation != library.treeGeneration)
        return false;
    const std::size_t k = DirectoryNumber(library, directory);
    if (k >= library.directories.size() || library.directoryListed[k]) return false;
    const FlagRaised listing(library.listingPages);
    const BulkChange bulk(library.shownTree);
    AddPages(library, k, pageFiles);
    return true;
}

void ListRemainingPages(Library& library) {
    // Inside a build or a listing the tree is read as it stands, half built.
    if (AllListed(library) || library.listingPages || library.rebuilding) return;
    const FlagRaised listing(library.listingPages);
    const BulkChange bulk(library.shownTree);
    // No queue visits here: whoever reads the tree expects it whole when the call returns.
    for (std::size_t k = 0; k < library.directories.size(); ++k)
        if (!library.directoryListed[k]) ListPages(library, k, nullptr);
}

Utf8Text PageFilePath(const Library& library, int index) {
    const TreeWidget& tree = library.tree;
    if (index < 0 || index >= tree.Count() || tree.IsBold(index)) return Utf8Text();
    const Utf8Text page = tree.Text(index);
    const Utf8Text directory = tree.Text(tree.Parent(index));
    const auto at = static_cast<std::size_t>(index);
    if (at < library.items.size()) {
        const LibraryItem& item = library.items[at];
        if (!item.fileName.empty() && item.pageName == page && item.directory == directory)
            return library.contentRoot + directory + "\\" + item.fileName;
    }
    return ComposePagePath(library.contentRoot, directory, page);
}

namespace {

// Raises a flag for a scope, putting back what it was.
class ScopedFlag {
  public:
    explicit ScopedFlag(bool& flag) : flag_(flag), was_(std::exchange(flag, true)) {}
    ~ScopedFlag() { flag_ = was_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

  private:
    bool& flag_;
    bool was_;
};

}  // namespace

Utf8Text PageLabel(const Library& library, const Utf8Text& path) {
    constexpr std::string_view kExtension = ".txt";
    Utf8Text label = path;
    if (label.rfind(library.contentRoot, 0) == 0) label.erase(0, library.contentRoot.size());
    if (label.size() > kExtension.size() &&
        SamePathIgnoringCase(label.substr(label.size() - kExtension.size()), Utf8Text(kExtension)))
        label.resize(label.size() - kExtension.size());
    return label;
}

RuntimeText ReadEditorText(Library& library) {
    return library.state.encoding == PageEncoding::Gbk ? library.editor.ReadText()
                                                       : library.editor.ReadUtf8Text();
}

bool ShowPageBytes(Library& library, std::string bytes) {
    LibraryState& state = library.state;
    ++state.generation;
    state.loadedBytes = std::move(bytes);
    state.baselineText = UpToFirstZero(state.loadedBytes);
    state.encoding = DetectPageEncoding(state.baselineText);
    const std::string_view text = PageTextOf(state.baselineText, state.encoding);
    if (state.encoding == PageEncoding::Gbk)
        library.editor.ReplaceText(RuntimeText(text));
    else
        library.editor.ReplaceUtf8Text(Utf8Text(text));
    state.shownText = ReadEditorText(library);
    state.shownAsRead = SameIgnoringLineEnds(state.shownText, text);
    return state.shownAsRead;
}

void LoadPage(Library& library, const Utf8Text& path) {
    LibraryState& state = library.state;
    state.pageLoaded = true;
    state.loadedPagePath = path;
    state.editsWithoutPage = false;
    state.outsideVersionTold.reset();
    state.vanishedTold = false;
    const auto bytes = library.files.ReadWholeFile(path);
    state.pageRead = bytes.has_value();
    const bool shownAsRead = ShowPageBytes(library, bytes.value_or(std::string()));
    if (!library.tell) return;
    // The editor shows a page up to its first zero byte; what follows would be lost by a save of
    // the edited text, so the user is told before editing, and such a save is refused.
    if (state.baselineText.size() != state.loadedBytes.size())
        library.tell("页面“" + PageLabel(library, path) +
                     "”含有零字节，不是普通的文本。编辑器只显示第一个零字节之前的部分；为免丢失"
                     "其余内容，对它的修改不能保存。");
    else if (!shownAsRead)
        library.tell("页面“" + PageLabel(library, path) +
                     "”中有既不是GBK也不是UTF-8的字节，编辑区把它们显示为“?”。不修改就不会改动"
                     "它们；保存修改之前会先询问。");
}

void ReselectLoadedPage(Library& library) {
    TreeWidget& tree = library.tree;
    const Utf8Text& loaded = library.state.loadedPagePath;
    int index = -1;
    if (!loaded.empty()) {
        const int count = tree.Count();
        for (int i = 0; i < count && index < 0; ++i)
            if (!tree.IsBold(i) && SamePathIgnoringCase(PageFilePath(library, i), loaded))
                index = i;
    }
    {
        const ScopedFlag reselecting(library.reselecting);
        tree.Select(index);
    }
    if (index >= 0) library.state.lastSelectedIndex = index;
}

void OnTreeSelectionChanged(Library& library) {
    if (library.reselecting) return;
    TreeWidget& tree = library.tree;
    const int selected = tree.SelectedIndex();
    // The tree reports no selection while it is emptied; there is nothing to load then.
    if (selected < 0 || selected >= tree.Count()) return;
    // A selection made while a question is open must not load a page under it.
    if (library.questionOpen) {
        library.selectionIgnored = true;
        return;
    }
    const ScopedFlag handling(library.handlingSelection);

    LibraryState& state = library.state;
    if (!tree.IsBold(selected)) {
        // The path is taken before the question: nothing rebuilds the tree while it is open.
        const Utf8Text path = PageFilePath(library, selected);
        const bool leave = !library.leavePageCheck || library.leavePageCheck(library);
        if (leave) LoadPage(library, path);
        // A selection ignored under a question leaves the tree showing another page.
        const bool selectionIgnored = std::exchange(library.selectionIgnored, false);
        if (library.rebuildAfterQuestion) {
            library.rebuildAfterQuestion = false;
            RebuildLibraryTree(library);
            ReselectLoadedPage(library);
            return;
        }
        // The edits stay (the user wanted them saved and that failed): the tree shows the page
        // they belong to, so that choosing the other page again tries again.
        if (!leave) {
            ReselectLoadedPage(library);
            return;
        }
        if (selectionIgnored) ReselectLoadedPage(library);
    }

    state.expandedItems.clear();
    const int count = tree.Count();
    for (int i = 0; i < count; ++i)
        if (tree.HasChildren(i) && tree.IsExpanded(i)) state.expandedItems.push_back(i);
    state.lastSelectedIndex = selected;
}

}  // namespace kavo
