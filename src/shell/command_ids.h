// Ids of the main window's menu items. Features register their handlers for these ids with the
// main window's MenuCommands.
#pragma once

namespace kavo {

enum MenuCommand : int {
    // 程序
    kCmdAbout = 2001,
    kCmdNewPage,
    kCmdNewDirectory,
    kCmdDeletePage,
    kCmdDeleteDirectory,
    kCmdRenamePage,
    kCmdRenameDirectory,
    kCmdToggleTree,
    kCmdGlobalSearch,
    kCmdKeyCodeLookup,
    // 操作
    kCmdUndo = 2101,
    kCmdCopy,
    kCmdPaste,
    kCmdCut,
    kCmdSelectAll,
    kCmdSave,
    kCmdAutoSave,
    kCmdPlain,
    kCmdBold,
    kCmdItalic,
    kCmdUnderline,
    kCmdChooseFont,
    kCmdWhite,
    kCmdBlack,
    kCmdRed,
    kCmdBlue,
    kCmdYellow,
    kCmdChooseColor,
    kCmdFindText,
    kCmdRecord,
    kCmdRecordOptions,
    // 设置
    kCmdSoftwareSettings = 2201,
    kCmdShowKeyCodes,
};

}  // namespace kavo
