#include "library/library_view_win32.h"

#include <commctrl.h>

#include "library/library_tree.h"
#include "library/recovery.h"
#include "library/tree_widget_win32.h"
#include "platform/win32/dpi_win32.h"
#include "shell/command_ids.h"
#include "shell/main_window_layout.h"

namespace kavo {

// The caption tells what the next click does: 隐藏菜单 hides the tree and gives its width to the
// editor, 显示菜单 gives it back.
void LibraryView::ToggleTree() {
    HWND window = services_.Window();
    HWND tree = services_.Control(layout::kTree);
    HWND editor = services_.Control(layout::kEditor);
    HMENU program = services_.Menu(MainMenu::Program);
    wchar_t caption[16] = {};
    GetMenuStringW(program, kCmdToggleTree, caption, 16, MF_BYCOMMAND);
    const bool hide = lstrcmpW(caption, L"显示菜单") != 0;
    RECT editorRect{};
    GetWindowRect(editor, &editorRect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&editorRect), 2);
    RECT treeRect{};
    GetWindowRect(tree, &treeRect);
    const int treeWidth = treeRect.right - treeRect.left;
    const int width = editorRect.right - editorRect.left;
    const int height = editorRect.bottom - editorRect.top;
    ModifyMenuW(program, kCmdToggleTree, MF_BYCOMMAND | MF_STRING, kCmdToggleTree,
                hide ? L"显示菜单" : L"隐藏菜单");
    if (hide) {
        ShowWindow(tree, SW_HIDE);
        MoveWindow(editor, ScaleToDpi(2, WindowDpi(window)), editorRect.top, width + treeWidth,
                   height, TRUE);
    } else {
        ShowWindow(tree, SW_SHOW);
        MoveWindow(editor, treeWidth, editorRect.top, width - treeWidth, height, TRUE);
    }
}

void LibraryView::PopUpProgramMenuAtCursor() {
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(services_.Menu(MainMenu::Program),
                   TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                   services_.Window(), nullptr);
}

std::optional<LRESULT> LibraryView::OnNotify(const NMHDR& header) {
    if (services_.Tree().IsSelectionChange(header)) {
        OnTreeSelectionChanged(services_.TheLibrary());
        // Edits saved or dropped on the way take their recovery file with them.
        KeepRecovery(services_.TheLibrary());
        return 0;
    }
    if (header.idFrom == layout::kTree && header.code == NM_RCLICK) {
        PopUpProgramMenuAtCursor();
        return 1;
    }
    return std::nullopt;
}

LibraryView::LibraryView(MainWindowServices& services) : services_(services) {
    services.Commands().Register(kCmdToggleTree, [this] { ToggleTree(); });
    services.OnControlNotify(layout::kTree,
                             [this](const NMHDR& header) { return OnNotify(header); });
}

}  // namespace kavo
