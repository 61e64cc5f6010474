#include "library/library_operations.h"

#include <cstdint>
#include <utility>

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

// The loaded page is gone. An unedited page goes from the editor too; edits stay, belonging to
// no page until 保存 stores them as a new one, and the user is told so.
void AfterLoadedPageDeleted(Library& library, LibraryUserInterface& ui) {
    LibraryState& state = library.state;
    const Utf8Text label = PageLabel(library, state.loadedPagePath);
    const bool edited = PageChanged(library);
    ++state.generation;
    state.loadedPagePath.clear();
    state.outsideVersionTold.reset();
    state.vanishedTold = false;
    if (!edited) {
        library.editor.ReplaceText(RuntimeText());
        state.pageLoaded = false;
        state.pageRead = false;
        state.editsWithoutPage = false;
        state.loadedBytes.clear();
        state.baselineText.clear();
        state.encoding = PageEncoding::Gbk;
        state.shownAsRead = true;
        state.shownText = library.editor.ReadText();
        return;
    }
    // The edits stay, in the encoding of the page they came from: a new page keeps it.
    state.shownAsRead = true;
    state.editsWithoutPage = true;
    ui.ShowMessage("页面“" + label +
                   "”已删除。编辑器中还有没保存的修改，它们已不属于任何页面；按“保存”（Ctrl+S）"
                   "可以把它们存为所选目录中的新页面。");
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

namespace {

// Every page and directory command ends here, whether it changed anything or not: names and
// places may have changed, so the search lets go of what it kept, and the tree is built again.
void AfterOperation(Library& library) {
    library.pageTexts.ForgetAll();
    RebuildLibraryTree(library);
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
    AfterOperation(library);
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
    AfterOperation(library);
}

void DeletePage(Library& library, LibraryUserInterface& ui) {
    const auto selection = Selected(library);
    if (selection && !selection->isDirectory && ui.AskConfirm(kDeletePageQuestion)) {
        const Utf8Text path = PageFilePath(library, selection->index);
        if (LiesInside(library.contentRoot, path)) {
            if (!library.files.RemoveFile(path))
                ui.ShowMessage("无法删除页面“" + PageLabel(library, path) + "”。");
            else if (SamePathIgnoringCase(path, library.state.loadedPagePath))
                AfterLoadedPageDeleted(library, ui);
        }
    }
    AfterOperation(library);
}

void DeleteDirectory(Library& library, LibraryUserInterface& ui) {
    const auto selection = Selected(library);
    if (selection && selection->isDirectory && ui.AskConfirm(kDeleteDirectoryQuestion)) {
        const Utf8Text path = library.contentRoot + selection->directory;
        // Only a folder directly inside the content folder, never the content folder itself.
        if (LiesInside(library.contentRoot, path) &&
            selection->directory.find('\\') == Utf8Text::npos && library.files.IsDirectory(path)) {
            // The search's watches hold folders open; a watched folder is not removed at once.
            library.pageTexts.ForgetAll();
            const bool removed = library.files.RemoveDirectoryTree(path);
            if (IsBelow(path, library.state.loadedPagePath) &&
                !library.files.PathExists(library.state.loadedPagePath))
                AfterLoadedPageDeleted(library, ui);
            if (!removed)
                ui.ShowMessage("目录“" + selection->directory +
                               "”未能完全删除，其中有文件正被使用或无权删除。");
        }
    }
    AfterOperation(library);
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
    AfterOperation(library);
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
                library.pageTexts.ForgetAll();  // its watches hold the folders open
                if (!library.files.RenamePath(from, to))
                    ui.ShowMessage("无法重命名目录“" + selection->directory + "”。");
                else if (IsBelow(from, loaded))
                    loaded = to + loaded.substr(from.size());
            }
        }
    }
    AfterOperation(library);
}

bool PageChanged(Library& library) {
    return ReadEditorText(library) != library.state.shownText;
}

namespace {

constexpr char kNotGbkQuestion[] =
    "页面中有GBK编码无法保存的字符，保存后它们会变成“?”。仍然保存吗？";

// Raises the library's question flag for a question and puts it back afterwards. While it is up,
// no page loads and no rebuild runs (a question's modal loop lets the other windows act: the
// global search opens pages by selecting them). What was held back is done when the outermost
// question closes, unless the selection handler, which does it at its end, is running.
class QuestionHeld {
  public:
    explicit QuestionHeld(Library& library)
        : library_(library), was_(std::exchange(library.questionOpen, true)) {}
    ~QuestionHeld() {
        library_.questionOpen = was_;
        if (was_ || library_.handlingSelection) return;
        if (std::exchange(library_.rebuildAfterQuestion, false)) {
            library_.selectionIgnored = false;
            RebuildLibraryTree(library_);
            ReselectLoadedPage(library_);
        } else if (std::exchange(library_.selectionIgnored, false)) {
            ReselectLoadedPage(library_);
        }
    }
    QuestionHeld(const QuestionHeld&) = delete;
    QuestionHeld& operator=(const QuestionHeld&) = delete;

  private:
    Library& library_;
    bool was_;
};

bool Confirm(Library& library, LibraryUserInterface& ui, const Utf8Text& message) {
    const QuestionHeld held(library);
    return ui.AskConfirm(message);
}

// What a save writes and where, taken before its first question.
struct SaveOrigin {
    std::uint64_t generation = 0;
    Utf8Text path;
    RuntimeText text;  // the editor's text, in the page's encoding
};

SaveOrigin TakeOrigin(Library& library) {
    return {library.state.generation, library.state.loadedPagePath, ReadEditorText(library)};
}

// After a question: true when the editor still holds the page the text came from.
bool StillTheSamePage(Library& library, LibraryUserInterface& ui, const SaveOrigin& origin) {
    const LibraryState& state = library.state;
    if (state.generation == origin.generation && state.loadedPagePath == origin.path) return true;
    ui.ShowMessage("询问期间编辑区换成了别的内容，为免把修改写进别的页面，这次没有保存。");
    return false;
}

// 保存 of text that belongs to no page: a name is asked for, in the selected directory, and the
// text becomes that new page.
bool SaveAsNewPage(Library& library, LibraryUserInterface& ui) {
    LibraryState& state = library.state;
    const auto selection = Selected(library);
    if (!selection) {
        ui.ShowMessage("请先在左边选择一个目录，再把编辑区的内容存为其中的新页面。");
        return false;
    }
    const SaveOrigin origin = TakeOrigin(library);
    const Utf8Text folder = library.contentRoot + selection->directory + "\\";
    std::optional<Utf8Text> name;
    {
        const QuestionHeld held(library);
        name = AskName(library, ui, kSaveAsNewPageTitle, kNewPagePrompt, NameKind::Page, folder);
    }
    if (!name || !StillTheSamePage(library, ui, origin)) return false;
    const Utf8Text path = folder + *name + kPageExtension;
    if (library.files.PathExists(path)) {
        ui.ShowMessage("页面“" + *name + "”已经存在，请换一个名称。");
        return false;
    }
    // Text typed before any page is GBK; edits whose page was deleted keep that page's encoding.
    if (state.encoding == PageEncoding::Gbk && !ui.EditorTextFitsGbk()) {
        const bool save = Confirm(library, ui, kNotGbkQuestion);
        if (!StillTheSamePage(library, ui, origin) || !save) return false;
    }
    const std::string bytes = PageBytesOf(origin.text, state.encoding);
    if (!library.files.ReplaceFileAtomically(path, bytes)) {
        ui.ShowMessage("保存失败：页面“" + PageLabel(library, path) + "”未能写入。");
        return false;
    }
    library.pageTexts.Forget(path);
    ++state.generation;
    state.pageLoaded = true;
    state.loadedPagePath = path;
    state.editsWithoutPage = false;
    state.loadedBytes = bytes;
    state.pageRead = true;
    state.baselineText = UpToFirstZero(bytes);
    state.shownAsRead = true;
    state.shownText = origin.text;
    state.outsideVersionTold.reset();
    state.vanishedTold = false;
    // Inside the selection handler the tree is rebuilt when the handler is done.
    if (library.handlingSelection) {
        library.rebuildAfterQuestion = true;
    } else {
        RebuildLibraryTree(library);
        ReselectLoadedPage(library);
    }
    return true;
}

}  // namespace

bool SavePage(Library& library, LibraryUserInterface& ui) {
    LibraryState& state = library.state;
    if (state.editsWithoutPage) return SaveAsNewPage(library, ui);
    // Before any page: what was typed or pasted is saved as a new page; an untouched editor
    // has nothing to save.
    if (!state.pageLoaded) return PageChanged(library) && SaveAsNewPage(library, ui);
    if (state.loadedPagePath.empty()) return false;
    if (!LiesInside(library.contentRoot, state.loadedPagePath)) return false;
    const SaveOrigin origin = TakeOrigin(library);
    const Utf8Text& path = origin.path;
    const bool edited = origin.text != state.shownText;
    if (!state.pageRead && library.files.PathExists(path)) {
        // A page that exists but could not be read showed empty; its content was never seen.
        if (edited)
            ui.ShowMessage("页面“" + PageLabel(library, path) +
                           "”打开时未能读取，为免覆盖它的内容，没有保存。");
        return false;
    }
    // The editor holds the page only up to its first zero byte: an edited text would lose the
    // rest.
    if (edited && state.baselineText.size() != state.loadedBytes.size()) {
        ui.ShowMessage("页面“" + PageLabel(library, path) +
                       "”含有零字节，编辑器只显示了它的一部分；为免丢失其余内容，修改没有保存。");
        return false;
    }
    if (edited && !state.shownAsRead) {
        const bool save = Confirm(library, ui,
                                  "页面“" + PageLabel(library, path) +
                                      "”中有编辑区无法显示的字节（显示为“?”）。保存修改会把它们"
                                      "也写成“?”。仍然保存吗？");
        if (!StillTheSamePage(library, ui, origin) || !save) return false;
    } else if (edited && state.encoding == PageEncoding::Gbk && !ui.EditorTextFitsGbk()) {
        const bool save = Confirm(library, ui, kNotGbkQuestion);
        if (!StillTheSamePage(library, ui, origin) || !save) return false;
    }
    // Another program may have changed or removed the page since it was loaded: overwriting
    // that is the user's decision, also when 自动保存 saves.
    if (state.pageRead) {
        const std::optional<std::string> onDisk = library.files.ReadWholeFile(path);
        if (!onDisk || *onDisk != state.loadedBytes) {
            const bool vanished = !onDisk && !library.files.PathExists(path);
            const Utf8Text question =
                vanished ? "页面“" + PageLabel(library, path) +
                               "”已在程序外被删除。是否按编辑器中的内容重新保存它？"
                         : "页面“" + PageLabel(library, path) +
                               "”在打开后被其他程序修改过。是否用编辑器中的内容覆盖它？";
            const bool overwrite = Confirm(library, ui, question);
            if (!StillTheSamePage(library, ui, origin)) return false;
            if (!overwrite) {
                // Declined: that version has been told about; coming back to the window does not
                // offer it for reloading in the same breath.
                if (onDisk) state.outsideVersionTold = onDisk;
                return false;
            }
        }
    }
    // An unedited page is written back byte for byte, whatever the editor made of its bytes.
    const std::string bytes =
        edited ? PageBytesOf(PageBytesFor(origin.text, state.baselineText), state.encoding)
               : state.loadedBytes;
    if (!library.files.ReplaceFileAtomically(path, bytes)) {
        ui.ShowMessage("保存失败：页面“" + PageLabel(library, path) +
                       "”未能写入，原来的内容保持不变。");
        return false;
    }
    library.pageTexts.Forget(path);
    state.loadedBytes = bytes;
    state.pageRead = true;
    state.baselineText = UpToFirstZero(bytes);
    state.shownText = origin.text;
    state.outsideVersionTold.reset();
    state.vanishedTold = false;
    return true;
}

bool PrepareForInsertedText(Library& library) {
    LibraryState& state = library.state;
    if (state.pageLoaded && state.editsWithoutPage) return false;
    if (state.pageLoaded && state.pageRead && !state.loadedPagePath.empty() &&
        state.baselineText.size() == state.loadedBytes.size() && state.shownAsRead &&
        library.files.PathExists(state.loadedPagePath))
        return true;
    ++state.generation;
    state.pageLoaded = true;
    state.editsWithoutPage = true;
    state.pageRead = false;
    state.loadedPagePath.clear();
    state.loadedBytes.clear();
    state.baselineText.clear();
    state.shownText.clear();
    state.shownAsRead = true;
    state.outsideVersionTold.reset();
    state.vanishedTold = false;
    return false;
}

void CheckPageOnDisk(Library& library, LibraryUserInterface& ui) {
    LibraryState& state = library.state;
    if (!state.pageLoaded || !state.pageRead || state.loadedPagePath.empty()) return;
    if (library.questionOpen || library.handlingSelection) return;
    const Utf8Text path = state.loadedPagePath;
    const std::optional<std::string> onDisk = library.files.ReadWholeFile(path);
    if (onDisk && *onDisk == state.loadedBytes) {
        state.outsideVersionTold.reset();
        state.vanishedTold = false;
        return;
    }
    if (!onDisk) {
        // Present but unreadable: another program is probably writing it; nothing to say yet.
        if (library.files.PathExists(path) || state.vanishedTold) return;
        state.vanishedTold = true;
        ui.ShowMessage("页面“" + PageLabel(library, path) +
                       "”已在程序外被删除。编辑器中的内容还在，保存时会询问是否重新创建它。");
        return;
    }
    if (state.outsideVersionTold == onDisk) return;
    state.outsideVersionTold = onDisk;
    const bool edited = PageChanged(library);
    const std::uint64_t generation = state.generation;
    bool reload = false;
    {
        const QuestionHeld held(library);
        // 确定 throws the edits and the undo history away: Enter keeps them.
        reload = ui.AskConfirmDefaultCancel("页面“" + PageLabel(library, path) +
                                            "”已被其他程序修改。是否重新载入？" +
                                            (edited ? "编辑器中没保存的修改将丢失。" : ""));
    }
    if (!reload || state.generation != generation || state.loadedPagePath != path) return;
    ShowPageBytes(library, *onDisk);
    state.outsideVersionTold.reset();
}

namespace {

// The rule shared by leaving a page and closing: false when saving was wanted and failed.
bool SaveOrAsk(Library& library, LibraryUserInterface& ui) {
    if (!PageChanged(library)) return true;
    if (library.state.pageLoaded && library.state.loadedPagePath.empty() &&
        !library.state.editsWithoutPage)
        return true;
    if (!library.autoSave && !Confirm(library, ui, kUnsavedQuestion)) return true;
    return SavePage(library, ui);
}

}  // namespace

bool LeavePageCheck(Library& library, LibraryUserInterface& ui) {
    return SaveOrAsk(library, ui);
}

bool ClosePageCheck(Library& library, LibraryUserInterface& ui) {
    return SaveOrAsk(library, ui);
}

namespace {

// Asks nothing: every question is answered no, messages go unseen. A save that would need a
// question (another program changed the page, characters GBK cannot hold) therefore does not
// happen, and the question is asked later in the open.
class NoQuestions : public LibraryUserInterface {
  public:
    explicit NoQuestions(LibraryUserInterface& real) : real_(real) {}
    std::optional<Utf8Text> AskText(const Utf8Text&, const Utf8Text&) override {
        return std::nullopt;
    }
    bool AskConfirm(const Utf8Text&) override { return false; }
    void ShowMessage(const Utf8Text&) override {}
    bool EditorTextFitsGbk() override { return real_.EditorTextFitsGbk(); }

  private:
    LibraryUserInterface& real_;
};

}  // namespace

bool SessionMayEnd(Library& library, LibraryUserInterface& ui) {
    if (!PageChanged(library)) return true;
    if (!library.autoSave || library.state.editsWithoutPage || !library.state.pageLoaded)
        return false;
    NoQuestions quiet(ui);
    return SavePage(library, quiet);
}

void AskAfterSessionEndHeld(Library& library, LibraryUserInterface& ui) {
    if (library.questionOpen || LeavePageCheck(library, ui)) return;
    ui.ShowMessage("修改没有保存，仍在编辑区中。请先保存，再注销或关机。");
}

}  // namespace kavo
