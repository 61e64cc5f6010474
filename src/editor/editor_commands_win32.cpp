#include "editor/editor_commands_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/command_ids.h"
#include "app/main_window_layout.h"
#include "app/editor_widget_win32.h"
#include "appearance/rich_text_helper_win32.h"
#include "editor/find_text_window_win32.h"
#include "editor/global_search_window_win32.h"
#include "editor/links.h"
#include "editor/small_windows_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/win32_platform.h"
#include "text/wide.h"

namespace kavo {
namespace {

// What the commands keep for the whole run. The helper must outlive the editor, which holds
// its OLE callback until it is destroyed.
struct EditorRoom {
    RichTextHelper helper;
    std::unique_ptr<FindTextWindow> findText;
    std::unique_ptr<GlobalSearchWindow> globalSearch;
};

EditorRoom& Room() {
    static EditorRoom room;
    return room;
}

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
    if (!ChooseFontW(&choose)) return;  // cancelled: nothing changes
    helper.SetFontSize((choose.iPointSize + 5) / 10);
    helper.SetFontFace(WideToUtf8(font.lfFaceName));
    helper.SetBold(font.lfWeight >= FW_BOLD);
    helper.SetItalic(font.lfItalic != FALSE);
    helper.SetStrikeout(font.lfStrikeOut != FALSE);
    helper.SetUnderline(font.lfUnderline != FALSE);
}

// The text of the link's whole range, however long.
std::wstring LinkText(HWND editor, const CHARRANGE& range) {
    if (range.cpMax <= range.cpMin) return {};
    std::wstring text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
    TEXTRANGEW request{range, text.data()};
    const auto copied = static_cast<std::size_t>(
        SendMessageW(editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request)));
    text.resize(std::min(copied, text.size() - 1));
    return text;
}

void OnLink(HWND editor, const ENLINK& link) {
    const bool doubleClick = link.msg == WM_LBUTTONDBLCLK;
    const bool controlClick = link.msg == WM_LBUTTONUP && (link.wParam & MK_CONTROL) != 0;
    if (!doubleClick && !controlClick) return;  // a plain click only places the caret
    const auto target = ShellTargetForLink(WideToUtf8(LinkText(editor, link.chrg)));
    if (!target) return;
    ShellExecuteW(GetAncestor(editor, GA_ROOT), L"open", Utf8ToWide(*target).c_str(), nullptr,
                  nullptr, SW_SHOWNORMAL);
}

}  // namespace

void InstallEditorCommands(MainWindowServices& services) {
    EditorRoom& room = Room();
    HWND window = services.Window();
    HWND editor = services.Control(layout::kEditor);
    room.helper.Attach(window, layout::kEditor);

    // Links: the editor reports clicks on the web addresses it detects.
    const auto mask = static_cast<LPARAM>(SendMessageW(editor, EM_GETEVENTMASK, 0, 0));
    SendMessageW(editor, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    SendMessageW(editor, EM_AUTOURLDETECT, TRUE, 0);
    services.AddMessageHook(
        [editor](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (message != WM_NOTIFY) return std::nullopt;
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == editor && header.code == EN_LINK)
                OnLink(editor, *reinterpret_cast<const ENLINK*>(lParam));
            return std::nullopt;  // the main window sees every message as before
        });

    MenuCommands& commands = services.Commands();
    auto send = [editor](UINT message, WPARAM wParam, LPARAM lParam) {
        return [=] { SendMessageW(editor, message, wParam, lParam); };
    };
    commands.Register(kCmdUndo, send(EM_UNDO, 0, 0));
    commands.Register(kCmdCopy, send(WM_COPY, 0, 0));
    commands.Register(kCmdPaste, send(WM_PASTE, 0, 0));
    commands.Register(kCmdCut, send(WM_CUT, 0, 0));
    commands.Register(kCmdSelectAll, send(EM_SETSEL, 0, -1));

    RichTextHelper& helper = room.helper;
    commands.Register(kCmdPlain, [&helper] {
        helper.SetBold(false);
        helper.SetItalic(false);
        helper.SetUnderline(false);
    });
    commands.Register(kCmdBold, [&helper] { helper.SetBold(true); });
    commands.Register(kCmdItalic, [&helper] { helper.SetItalic(true); });
    commands.Register(kCmdUnderline, [&helper] { helper.SetUnderline(true); });
    commands.Register(kCmdChooseFont, [&helper, window, editor] {
        ChooseFontForSelection(window, editor, helper);
    });
    const std::pair<int, ColorRef> colors[] = {
        {kCmdWhite, 0xFFFFFF}, {kCmdBlack, 0x000000},  {kCmdRed, 0x0000FF},
        {kCmdBlue, 0xFF0000},  {kCmdYellow, 0x00FFFF},
    };
    for (const auto& [id, color] : colors)
        commands.Register(id, [&helper, color] { helper.SetTextColor(color); });
    commands.Register(kCmdChooseColor, [&helper, window] {
        const ColorAnswer answer = ColorPickDialog(window);
        if (!answer.cancelled) helper.SetTextColor(answer.color);
    });

    room.findText = std::make_unique<FindTextWindow>(window, editor);
    commands.Register(kCmdFindText, [&room] { room.findText->Open(); });
    room.globalSearch = std::make_unique<GlobalSearchWindow>(window, editor, services.TheLibrary(),
                                                             services.Platform());
    commands.Register(kCmdGlobalSearch, [&room] { room.globalSearch->Open(); });
}

}  // namespace kavo
