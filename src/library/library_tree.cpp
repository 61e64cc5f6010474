#include "library/library_tree.h"

#include <algorithm>

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

void RecordItem(Library& library, int index, LibraryItem item) {
    if (index < 0) return;
    const auto at = static_cast<std::size_t>(index);
    if (library.items.size() <= at) library.items.resize(at + 1);
    library.items[at] = std::move(item);
}

void BuildTree(Library& library, const std::vector<Utf8Text>& expandedNames) {
    TreeWidget& tree = library.tree;
    tree.RemoveAll();
    library.items.clear();
    for (const Utf8Text& directory :
         ListSubdirectories(library.files, library.contentRoot, library.processPendingEvents)) {
        const int parent = tree.Append(-1, directory, kDirectoryImage, true);
        RecordItem(library, parent, {directory, {}, {}});
        for (const Utf8Text& file : ListFiles(library.files, library.contentRoot + directory,
                                              "*.txt", library.processPendingEvents)) {
            const Utf8Text page = PageNameOf(file);
            RecordItem(library, tree.Append(parent, page, kPageImage, false),
                       {directory, file, page});
        }
    }
    // Every item is collapsed now; open again what was open.
    for (std::size_t i = 0; i < library.items.size(); ++i) {
        const LibraryItem& item = library.items[i];
        if (item.fileName.empty() && !item.directory.empty() &&
            std::find(expandedNames.begin(), expandedNames.end(), item.directory) !=
                expandedNames.end())
            tree.Expand(static_cast<int>(i));
    }
}

}  // namespace

void StartLibrary(Library& library) {
    library.contentRoot = ComputeContentRoot(library.files);
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
    library.rebuilding = true;
    const std::vector<Utf8Text> expandedNames = ExpandedDirectoryNames(library.tree);
    do {
        library.rebuildRequested = false;
        BuildTree(library, expandedNames);
    } while (library.rebuildRequested);
    library.rebuilding = false;
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

void OnTreeSelectionChanged(Library& library) {
    TreeWidget& tree = library.tree;
    const int selected = tree.SelectedIndex();
    // The tree reports no selection while it is emptied; there is nothing to load then.
    if (selected < 0 || selected >= tree.Count()) return;
    // A selection made while the unsaved-changes question is open must not load a page under it.
    if (library.questionOpen) return;

    LibraryState& state = library.state;
    if (!tree.IsBold(selected)) {
        // The path is taken before the question: nothing rebuilds the tree while it is open.
        const Utf8Text path = PageFilePath(library, selected);
        const bool leave = !library.leavePageCheck || library.leavePageCheck(library);
        if (leave) {
            state.pageLoaded = true;
            state.loadedPagePath = path;
            const auto bytes = library.files.ReadWholeFile(path);
            state.pageRead = bytes.has_value();
            state.loadedBytes = bytes.value_or(std::string());
            state.baselineText = UpToFirstZero(state.loadedBytes);
            library.editor.ReplaceText(state.baselineText);
            state.shownText = library.editor.ReadText();
        }
        if (library.rebuildAfterQuestion) {
            library.rebuildAfterQuestion = false;
            RebuildLibraryTree(library);
            return;
        }
    }

    state.expandedItems.clear();
    const int count = tree.Count();
    for (int i = 0; i < count; ++i)
        if (tree.HasChildren(i) && tree.IsExpanded(i)) state.expandedItems.push_back(i);
    state.lastSelectedIndex = selected;
}

}  // namespace kavo
