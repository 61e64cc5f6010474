#include "editor/editor_commands_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "editor/links.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/late_function_win32.h"
#include "platform/win32/win32_platform.h"
#include "shell/command_ids.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"
#include "ui/small_windows_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

void ChooseFontForSelection(HWND owner, HWND editor, RichTextHelper& helper) {
    // Start from the selection's current font.
    CHARFORMATW current{};
    current.cbSize = sizeof current;
    SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&current));
    LOGFONTW font{};
    const int pixelsPerInch = static_cast<int>(WindowDpi(owner));
    if (current.dwMask & CFM_SIZE) font.lfHeight = -MulDiv(current.yHeight, pixelsPerInch, 1440);
    if (current.dwMask & CFM_FACE) lstrcpynW(font.lfFaceName, current.szFaceName, LF_FACESIZE);
    font.lfWeight = (current.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (current.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    font.lfUnderline = (current.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
    font.lfStrikeOut = (current.dwEffects & CFE_STRIKEOUT) ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;

    CHOOSEFONTW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (!ShowFontDialog(choose)) return;  // cancelled: nothing changes
    helper.SetFontSize((choose.iPointSize + 5) / 10);
    helper.SetFontFace(WideToUtf8(font.lfFaceName));
    helper.SetBold(font.lfWeight >= FW_BOLD);
    helper.SetItalic(font.lfItalic != FALSE);
    helper.SetStrikeout(font.lfStrikeOut != FALSE);
    helper.SetUnderline(font.lfUnderline != FALSE);
}

void OnLink(HWND editor, const ENLINK& link) {
    const bool doubleClick = link.msg == WM_LBUTTONDBLCLK;
    const bool controlClick = link.msg == WM_LBUTTONUP && (link.wParam & MK_CONTROL) != 0;
    if (!doubleClick && !controlClick) return;  // a plain click only places the caret
    const auto target =
        ShellTargetForLink(WideToUtf8(ReadTextRange(editor, link.chrg.cpMin, link.chrg.cpMax)));
    if (!target) return;
    ShellExecuteW(GetAncestor(editor, GA_ROOT), L"open", Utf8ToWide(*target).c_str(), nullptr,
                  nullptr, SW_SHOWNORMAL);
}

}  // namespace

EditorCommands::EditorCommands(MainWindowServices& services)
    : services_(services), window_(services.Window()), editor_(services.Control(layout::kEditor)) {
    helper_.Attach(window_, layout::kEditor);

    // Links: the editor reports clicks on the web addresses it detects.
    services.Editor().Events().linkActed.Subscribe(
        [editor = editor_](const ENLINK& link) { OnLink(editor, link); });

    MenuCommands& commands = services.Commands();
    auto send = [editor = editor_](UINT message, WPARAM wParam, LPARAM lParam) {
        return [=] { SendMessageW(editor, message, wParam, lParam); };
    };
    commands.Register(kCmdUndo, send(EM_UNDO, 0, 0));
    commands.Register(kCmdCopy, send(WM_COPY, 0, 0));
    commands.Register(kCmdPaste, send(WM_PASTE, 0, 0));
    commands.Register(kCmdCut, send(WM_CUT, 0, 0));
    commands.Register(kCmdSelectAll, send(EM_SETSEL, 0, -1));
    RegisterFormatCommands();

    commands.Register(kCmdFindText, [this] { findText_.Show(window_, editor_); });
    commands.Register(kCmdAbout, [this] { about_.Show(window_, services_.Platform()); });
    commands.Register(kCmdShowKeyCodes, [this] { keyCodes_.Show(window_); });
}

void EditorCommands::RegisterFormatCommands() {
    MenuCommands& commands = services_.Commands();
    commands.Register(kCmdPlain, [this] {
        helper_.SetBold(false);
        helper_.SetItalic(false);
        helper_.SetUnderline(false);
    });
    commands.Register(kCmdBold, [this] { helper_.SetBold(true); });
    commands.Register(kCmdItalic, [this] { helper_.SetItalic(true); });
    commands.Register(kCmdUnderline, [this] { helper_.SetUnderline(true); });
    commands.Register(kCmdChooseFont,
                      [this] { ChooseFontForSelection(window_, editor_, helper_); });
    const std::pair<int, ColorRef> colors[] = {
        {kCmdWhite, 0xFFFFFF}, {kCmdBlack, 0x000000},  {kCmdRed, 0x0000FF},
        {kCmdBlue, 0xFF0000},  {kCmdYellow, 0x00FFFF},
    };
    for (const auto& [id, color] : colors)
        commands.Register(id, [this, color = color] { helper_.SetTextColor(color); });
    commands.Register(kCmdChooseColor, [this] {
        const ColorAnswer answer = ColorPickDialog(window_);
        if (!answer.cancelled) helper_.SetTextColor(answer.color);
    });
}

}  // namespace kavo
