// Writing the library: the six page and directory commands, saving, and the unsaved-changes
// question (when another page is selected and when the program closes).
//
// Every command works on the item selected in the tree, asks through LibraryUserInterface,
// checks the typed name and the composed paths before the disk is touched, and ends by
// rebuilding the tree. Edits belong to the page that was loaded, found by its path whatever the
// tree shows since; page files are replaced atomically.
#pragma once

#include <optional>

#include "library/library_tree.h"
#include "platform/platform.h"

namespace kavo {

// What the library asks the user and tells them. Texts are UTF-8.
class LibraryUserInterface {
  public:
    virtual ~LibraryUserInterface() = default;
    // The InputDialog; nullopt when cancelled.
    virtual std::optional<Utf8Text> AskText(const Utf8Text& title, const Utf8Text& prompt) = 0;
    // The ConfirmDialog; true for 确定.
    virtual bool AskConfirm(const Utf8Text& message) = 0;
    // The same with 取消 as the answer Enter gives, for a question whose 确定 throws edits away.
    virtual bool AskConfirmDefaultCancel(const Utf8Text& message) { return AskConfirm(message); }
    // A refusal or a failure, shown until the user closes it.
    virtual void ShowMessage(const Utf8Text& message) = 0;
    // False when the editor holds characters GBK cannot store: its GBK text has '?' for them.
    virtual bool EditorTextFitsGbk() = 0;
};

// Dialog texts.
inline constexpr char kNewPageTitle[] = "新建页面";
inline constexpr char kNewPagePrompt[] = "请输入页面名称";
inline constexpr char kNewDirectoryTitle[] = "新建目录";
inline constexpr char kNewDirectoryPrompt[] = "请输入目录名称";
inline constexpr char kDeletePageQuestion[] = "是否删除此页面！注意：此操作不可恢复！";
inline constexpr char kDeleteDirectoryQuestion[] = "是否删除此目录！注意：目录下的文件会一并删除！";
inline constexpr char kRenamePageTitle[] = "重命名页面";
inline constexpr char kRenamePagePrompt[] = "请输入一个新的名称";
inline constexpr char kRenameDirectoryTitle[] = "重命名目录";
inline constexpr char kRenameDirectoryPrompt[] = "请输入一个新的目录";
inline constexpr char kUnsavedQuestion[] = "你还未保存数据，是否保存！";
inline constexpr char kSaveAsNewPageTitle[] = "保存为新页面";

// 新建脚本: an empty page in the selected directory (or the selected page's directory). Never
// overwrites a page; without a selection it does nothing.
void NewPage(Library& library, LibraryUserInterface& ui);
// 新建脚本目录: a folder directly in the content folder (created with it when missing).
void NewDirectory(Library& library, LibraryUserInterface& ui);
// 删除脚本: the selected page's file. When it is the loaded page, the editor is emptied if it
// held no edits; edits stay, belonging to no page, and the user is told.
void DeletePage(Library& library, LibraryUserInterface& ui);
// 删除脚本目录: the selected directory and everything in it, links removed but never followed;
// the loaded page inside it goes as with 删除脚本.
void DeleteDirectory(Library& library, LibraryUserInterface& ui);
// 重命名脚本 and 重命名脚本目录; a rename onto an existing name is refused.
void RenamePage(Library& library, LibraryUserInterface& ui);
void RenameDirectory(Library& library, LibraryUserInterface& ui);

// True when the editor's text differs from the loaded page as it was loaded or last saved.
bool PageChanged(Library& library);

// 保存: writes the editor's text to the loaded page (whatever is selected now). An unedited
// page gets its own bytes back; an edited one keeps the page's encoding and line-end style. When
// the file on disk is no longer what was loaded (another program changed or removed it), the
// user is asked before it is overwritten; a declined overwrite counts as told about that version.
// Text that belongs to no page (typed before any page was opened, or whose page was deleted) is
// stored as a new page in the selected directory, under a name the user gives. The page, its
// text and what it was loaded as are taken before the first question, no page loads while a
// question is open, and when the editor holds another page after one nothing is saved. A failure
// is reported naming the page. True when the page holds the editor's text afterwards.
bool SavePage(Library& library, LibraryUserInterface& ui);

// Text the program writes into the editor for the user (a recording) belongs to the loaded page
// when that page can be saved with it. Otherwise (no page loaded, one that could not be read or
// that shows only up to a zero byte, one no longer on disk) the editor's text is first made to
// belong to no page, keeping what it holds: 保存 then stores it as a new page, never over a page
// whose content was not seen. True when the loaded page takes the text.
bool PrepareForInsertedText(Library& library);

// When the main window comes back to the front: a loaded page changed by another program is
// offered for reloading (取消, keeping the edits, is the default answer), one that vanished is
// reported; each version once.
void CheckPageOnDisk(Library& library, LibraryUserInterface& ui);

// Runs before another page loads: a changed page is saved (自动保存), or the user is asked
// "你还未保存数据，是否保存！" (确定 saves, 取消 drops the edits). False when the user wanted the
// edits saved and they could not be: the editor then keeps them.
bool LeavePageCheck(Library& library, LibraryUserInterface& ui);

// Runs when the program closes: the same rule as leaving the page. False when the program must
// stay open: the user wanted the edits saved and they could not be (or a question of the save
// was answered 取消), so they stay in the editor.
bool ClosePageCheck(Library& library, LibraryUserInterface& ui);

// Logging off or shutting down, asked before the session ends, when no question may be shown:
// true when nothing unsaved stands in the way (no edits, or 自动保存 saved them, which it does
// only where it would ask nothing). False: the caller holds the session's end and asks the
// unsaved-changes question afterwards (LeavePageCheck's rule).
bool SessionMayEnd(Library& library, LibraryUserInterface& ui);

// Once the session's end was held for unsaved edits: the unsaved-changes question, asked now
// (unless a question is open already). A save the user wanted that fails keeps the edits in the
// editor, and the user is told so.
void AskAfterSessionEndHeld(Library& library, LibraryUserInterface& ui);

}  // namespace kavo
