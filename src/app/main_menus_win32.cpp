#include "app/main_menus_win32.h"

#include "shell/command_ids.h"

namespace kavo {
namespace {

void AppendItem(HMENU menu, int id, const wchar_t* text) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text);
}

void AppendSeparator(HMENU menu) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

bool IsEditBox(HWND control) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    return lstrcmpiW(className, L"Edit") == 0 || lstrcmpiW(className, L"RICHEDIT50W") == 0 ||
           lstrcmpiW(className, L"RichEdit20W") == 0;
}

}  // namespace

MainMenus::MainMenus() {
    program_.reset(CreatePopupMenu());
    HMENU program = program_.get();
    AppendItem(program, kCmdAbout, L"关于");
    AppendSeparator(program);
    AppendItem(program, kCmdNewPage, L"新建脚本");
    AppendItem(program, kCmdNewDirectory, L"新建脚本目录");
    AppendSeparator(program);
    AppendItem(program, kCmdDeletePage, L"删除脚本");
    AppendItem(program, kCmdDeleteDirectory, L"删除脚本目录");
    AppendSeparator(program);
    AppendItem(program, kCmdRenamePage, L"重命名脚本");
    AppendItem(program, kCmdRenameDirectory, L"重命名脚本目录");
    AppendSeparator(program);
    AppendItem(program, kCmdToggleTree, L"隐藏菜单");
    AppendSeparator(program);
    AppendItem(program, kCmdGlobalSearch, L"全局搜索");
    AppendSeparator(program);
    AppendItem(program, kCmdKeyCodeLookup, L"键代码查询");

    edit_.reset(CreatePopupMenu());
    HMENU edit = edit_.get();
    AppendItem(edit, kCmdUndo, L"撤销\tCtrl+Z");
    AppendItem(edit, kCmdCopy, L"复制\tCtrl+C");
    AppendItem(edit, kCmdPaste, L"粘贴\tCtrl+V");
    AppendItem(edit, kCmdCut, L"剪切\tCtrl+X");
    AppendItem(edit, kCmdSelectAll, L"全选\tCtrl+A");
    AppendItem(edit, kCmdSave, L"保存\tCtrl+S");
    AppendItem(edit, kCmdAutoSave, L"自动保存");
    AppendSeparator(edit);
    // Sub-menus belong to their parent menu and go with it.
    HMENU font = CreatePopupMenu();
    AppendItem(font, kCmdPlain, L"置普通");
    AppendItem(font, kCmdBold, L"置粗体");
    AppendItem(font, kCmdItalic, L"置斜体");
    AppendItem(font, kCmdUnderline, L"置下划线");
    AppendItem(font, kCmdChooseFont, L"选择字体");
    AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(font), L"设置字体");
    HMENU color = CreatePopupMenu();
    AppendItem(color, kCmdWhite, L"白色");
    AppendItem(color, kCmdBlack, L"黑色");
    AppendItem(color, kCmdRed, L"红色");
    AppendItem(color, kCmdBlue, L"蓝色");
    AppendItem(color, kCmdYellow, L"黄色");
    AppendItem(color, kCmdChooseColor, L"选择颜色");
    AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(color), L"设置颜色");
    AppendSeparator(edit);
    AppendItem(edit, kCmdFindText, L"搜索文本\tCtrl+F");
    AppendSeparator(edit);
    AppendItem(edit, kCmdRecord, L"录制脚本\tF9");
    AppendItem(edit, kCmdRecordOptions, L"录制选项");

    settings_.reset(CreatePopupMenu());
    AppendItem(settings_.get(), kCmdSoftwareSettings, L"软件设置");
    AppendItem(settings_.get(), kCmdShowKeyCodes, L"查看键代码");

    // The editing keys act on the editor unless another box has the focus (it keeps its own);
    // 保存 and 搜索文本 act whichever control has it.
    ACCEL editing[] = {
        {FVIRTKEY | FCONTROL, 'Z', kCmdUndo},  {FVIRTKEY | FCONTROL, 'C', kCmdCopy},
        {FVIRTKEY | FCONTROL, 'V', kCmdPaste}, {FVIRTKEY | FCONTROL, 'X', kCmdCut},
        {FVIRTKEY | FCONTROL, 'A', kCmdSelectAll},
    };
    shortcuts_.reset(CreateAcceleratorTableW(editing, ARRAYSIZE(editing)));
    ACCEL everywhere[] = {
        {FVIRTKEY | FCONTROL, 'S', kCmdSave},
        {FVIRTKEY | FCONTROL, 'F', kCmdFindText},
    };
    windowShortcuts_.reset(CreateAcceleratorTableW(everywhere, ARRAYSIZE(everywhere)));
}

HMENU MainMenus::Get(MainMenu which) const {
    switch (which) {
        case MainMenu::Program:
            return program_.get();
        case MainMenu::Edit:
            return edit_.get();
        default:
            return settings_.get();
    }
}

void MainMenus::PopUpBelow(MainMenu which, HWND window, int buttonId) const {
    // Just below the button: the window's left edge plus the button's left, the window's top
    // plus the button's top and height; read from the button itself, so it holds at any DPI.
    HWND button = GetDlgItem(window, buttonId);
    if (button == nullptr) return;
    RECT buttonRect{};
    GetWindowRect(button, &buttonRect);
    TrackPopupMenu(Get(which), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, buttonRect.left,
                   buttonRect.bottom, 0, window, nullptr);
}

bool MainMenus::TranslateShortcut(HWND window, HWND editor, MSG& message) const {
    if (!shortcuts_ || window == nullptr || message.hwnd == nullptr) return false;
    if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
    if (windowShortcuts_ && TranslateAcceleratorW(window, windowShortcuts_.get(), &message) != 0)
        return true;
    HWND focus = GetFocus();
    if (focus != nullptr && focus != editor && IsEditBox(focus)) return false;
    return TranslateAcceleratorW(window, shortcuts_.get(), &message) != 0;
}

}  // namespace kavo
