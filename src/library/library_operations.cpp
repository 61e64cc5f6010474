#include "library/library_operations.h"

#include "library/content_folder.h"
#include "library/page_names.h"

namespace kavo {
namespace {

constexpr char kPageExtension[] = ".txt";

struct Selection {
    int index = -1;
    bool isDirectory = false;
    Utf8Text directory;  // the item's directory: itself, or a page's parent
};

std::optional<Selection> Selected(const Library& library) {
    const TreeWidget& tree = library.tree;
    const int index = tree.SelectedIndex();
    if (index < 0 || index >= tree.Count()) return std::nullopt;
    Selection selection;
    selection.index = index;
    selection.isDirectory = tree.IsBold(index);
    selection.directory = selection.isDirectory ? tree.Text(index) : tree.Text(tree.Parent(index));
    if (selection.directory.empty()) return std::nullopt;
    return selection;
}

// "directory\page" for messages: the page as the tree shows it.
Utf8Text PageLabel(const Library& library, const Utf8Text& path) {
    Utf8Text label = path;
    if (label.rfind(library.contentRoot, 0) == 0) label.erase(0, library.contentRoot.size());
    const std::size_t extension = sizeof kPageExtension - 1;
    if (label.size() > extension &&
        SamePathIgnoringCase(label.substr(label.size() - extension), kPageExtension))
        label.resize(label.size() - extension);
    return label;
}

// The typed name, or nullopt after telling the user why it cannot be used.
std::optional<Utf8Text> AskName(Library& library, LibraryUserInterface& ui, const char* title,
                                const char* prompt, NameKind kind, const Utf8Text& folder) {
    const std::optional<Utf8Text> name = ui.AskText(title, prompt);
    if (!name) return std::nullopt;
    const Utf8Text path = folder + *name + (kind == NameKind::Page ? kPageExtension : "");
    if (const auto refusal = RefuseName(*name, kind, path)) {
        ui.ShowMessage(*refusal);
        return std::nullopt;
    }
    if (!LiesInside(library.contentRoot, path)) {
        ui.ShowMessage("名称不能指向内容文件夹以外的位置。");
        return std::nullopt;
    }
    return name;
}

bool IsBelow(const Utf8Text& folder, const Utf8Text& path) {
    const Utf8Text prefix = WithTrailingSeparator(folder);
    return path.size() > prefix.size() &&
           SamePathIgnoringCase(path.substr(0, prefix.size()), prefix);
}

// The loaded page is gone: its edits can no longer be saved to it.
void ForgetLoadedPage(LibraryState& state) {
    state.loadedPagePath.clear();
}

// Bytes to write for the editor's text: an LF-only page stays LF-only.
std::string PageBytesFor(const RuntimeText& editorText, const RuntimeText& baseline) {
    const bool lineFeedsOnly =
        baseline.find('\n') != RuntimeText::npos && baseline.find("\r\n") == RuntimeText::npos;
    if (!lineFeedsOnly) return editorText;
    std::string bytes;
    bytes.reserve(editorText.size());
    for (std::size_t i = 0; i < editorText.size(); ++i)
        if (!(editorText[i] == '\r' && i + 1 < editorText.size() && editorText[i + 1] == '\n'))
            bytes.push_back(editorText[i]);
    return bytes;
}

}  // namespace

void NewPage(Library& library, LibraryUserInterface& ui) {
    if (const auto selection = Selected(library)) {
        const Utf8Text folder = library.contentRoot + selection->directory + "\\";
        if (const auto name =
                AskName(library, ui, kNewPageTitle, kNewPagePrompt, NameKind::Page, folder)) {
            const Utf8Text path = folder + *name + kPageExtension;
            if (library.files.PathExists(path))
                ui.ShowMessage("页面“" + *name + "”已经存在，请换一个名称。");
            else if (!library.files.CreateNewEmptyFile(path))
                ui.ShowMessage("无法创建页面“" + *name + "”。");
        }
    }
    RebuildLibraryTree(library);
}

void NewDirectory(Library& library, LibraryUserInterface& ui) {
    if (const auto name = AskName(library, ui, kNewDirectoryTitle, kNewDirectoryPrompt,
                                  NameKind::Directory, library.contentRoot)) {
        const Utf8Text path = library.contentRoot + *name;
        if (library.files.PathExists(path))
            ui.ShowMessage("“" + *name + "”已经存在，请换一个名称。");
        else if (!library.files.CreateDirectories(path + "\\"))
            ui.ShowMessage("无法创建目录“" + *name + "”。");
    }
    RebuildLibraryTree(library);
}

void DeletePage(Library& library, LibraryUserInterface& ui) {
    const auto selection = Selected(library);
    if (selection && !selection->isDirectory && ui.AskConfirm(kDeletePageQuestion)) {
        const Utf8Text path = PageFilePath(library, selection->index);
        if (LiesInside(library.contentRoot, path)) {
            if (!library.files.RemoveFile(path))
                ui.ShowMessage("无法删除页面“" + PageLabel(library, path) + "”。");
            else if (SamePathIgnoringCase(path, library.state.loadedPagePath))
                ForgetLoadedPage(library.state);
        }
    }
    RebuildLibraryTree(library);
}

void DeleteDirectory(Library& library, LibraryUserInterface& ui) {
    const auto selection = Selected(library);
    if (selection && selection->isDirectory && ui.AskConfirm(kDeleteDirectoryQuestion)) {
        const Utf8Text path = library.contentRoot + selection->directory;
        // Only a folder directly inside the content folder, never the content folder itself.
        if (LiesInside(library.contentRoot, path) &&
            selection->directory.find('\\') == Utf8Text::npos && library.files.IsDirectory(path)) {
            const bool removed = library.files.RemoveDirectoryTree(path);
            if (IsBelow(path, library.state.loadedPagePath) &&
                !library.files.PathExists(library.state.loadedPagePath))
                ForgetLoadedPage(library.state);
            if (!removed)
                ui.ShowMessage("目录“" + selection->directory +
                               "”未能完全删除，其中有文件正被使用或无权删除。");
        }
    }
    RebuildLibraryTree(library);
}

void RenamePage(Library& library, LibraryUserInterface& ui) {
    const auto selection = Selected(library);
    if (selection && !selection->isDirectory) {
        const Utf8Text folder = library.contentRoot + selection->directory + "\\";
        const Utf8Text from = PageFilePath(library, selection->index);
        if (const auto name =
                AskName(library, ui, kRenamePageTitle, kRenamePagePrompt, NameKind::Page, folder);
            name && LiesInside(library.contentRoot, from)) {
            const Utf8Text to = folder + *name + kPageExtension;
            // A change of letter case only is the same file under another spelling.
            if (!SamePathIgnoringCase(from, to) && library.files.PathExists(to)) {
                ui.ShowMessage("页面“" + *name + "”已经存在，请换一个名称。");
            } else if (from != to) {
                if (!library.files.RenamePath(from, to))
                    ui.ShowMessage("无法重命名页面“" + PageLabel(library, from) + "”。");
                else if (SamePathIgnoringCase(from, library.state.loadedPagePath))
                    library.state.loadedPagePath = to;
            }
        }
    }
    RebuildLibraryTree(library);
}

void RenameDirectory(Library& library, LibraryUserInterface& ui) {
    const auto selection = Selected(library);
    if (selection && selection->isDirectory) {
        const Utf8Text from = library.contentRoot + selection->directory;
        if (const auto name = AskName(library, ui, kRenameDirectoryTitle, kRenameDirectoryPrompt,
                                      NameKind::Directory, library.contentRoot);
            name && LiesInside(library.contentRoot, from)) {
            const Utf8Text to = library.contentRoot + *name;
            if (!SamePathIgnoringCase(from, to) && library.files.PathExists(to)) {
                ui.ShowMessage("“" + *name + "”已经存在，请换一个名称。");
            } else if (from != to) {
                Utf8Text& loaded = library.state.loadedPagePath;
                if (!library.files.RenamePath(from, to))
                    ui.ShowMessage("无法重命名目录“" + selection->directory + "”。");
                else if (IsBelow(from, loaded))
                    loaded = to + loaded.substr(from.size());
            }
        }
    }
    RebuildLibraryTree(library);
}

bool PageChanged(Library& library) {
    return library.state.pageLoaded && library.editor.ReadText() != library.state.shownText;
}

bool SavePage(Library& library, LibraryUserInterface& ui) {
    LibraryState& state = library.state;
    if (!state.pageLoaded || state.loadedPagePath.empty()) return false;
    if (!LiesInside(library.contentRoot, state.loadedPagePath)) return false;
    const RuntimeText text = library.editor.ReadText();
    const bool edited = text != state.shownText;
    if (!state.pageRead && library.files.PathExists(state.loadedPagePath)) {
        // A page that exists but could not be read showed empty; its content was never seen.
        if (edited)
            ui.ShowMessage("页面“" + PageLabel(library, state.loadedPagePath) +
                           "”打开时未能读取，为免覆盖它的内容，没有保存。");
        return false;
    }
    if (edited && !ui.EditorTextFitsGbk() &&
        !ui.AskConfirm("页面中有GBK编码无法保存的字符，保存后它们会变成“?”。仍然保存吗？"))
        return false;
    // An unedited page is written back byte for byte, whatever the editor made of its bytes.
    const std::string bytes = edited ? PageBytesFor(text, state.baselineText) : state.loadedBytes;
    if (!library.files.ReplaceFileAtomically(state.loadedPagePath, bytes)) {
        ui.ShowMessage("保存失败：页面“" + PageLabel(library, state.loadedPagePath) +
                       "”未能写入，原来的内容保持不变。");
        return false;
    }
    state.loadedBytes = bytes;
    state.pageRead = true;
    state.baselineText = UpToFirstZero(bytes);
    state.shownText = text;
    return true;
}

namespace {

// The rule shared by leaving a page and closing: false when saving was wanted and failed.
bool SaveOrAsk(Library& library, LibraryUserInterface& ui) {
    if (!PageChanged(library) || library.state.loadedPagePath.empty()) return true;
    if (!library.autoSave) {
        library.questionOpen = true;
        const bool save = ui.AskConfirm(kUnsavedQuestion);
        library.questionOpen = false;
        if (!save) return true;
    }
    return SavePage(library, ui);
}

}  // namespace

bool LeavePageCheck(Library& library, LibraryUserInterface& ui) {
    return SaveOrAsk(library, ui);
}

void ClosePageCheck(Library& library, LibraryUserInterface& ui) {
    SaveOrAsk(library, ui);
}

}  // namespace kavo
