#include "app/library_view_win32.h"

#include <commctrl.h>

#include "app/command_ids.h"
#include "app/main_window_layout.h"
#include "app/tree_widget_win32.h"
#include "library/library_tree.h"
#include "platform/win32/dpi_win32.h"

namespace kavo {
namespace {

// The caption tells what the next click does: 隐藏菜单 hides the tree and gives its width to the
// editor, 显示菜单 gives it back.
void ToggleTree(MainWindowServices& services) {
    HWND window = services.Window();
    HWND tree = services.Control(layout::kTree);
    HWND editor = services.Control(layout::kEditor);
    HMENU program = services.Menu(MainMenu::Program);
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

void PopUpProgramMenuAtCursor(MainWindowServices& services) {
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(services.Menu(MainMenu::Program), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                   cursor.x, cursor.y, 0, services.Window(), nullptr);
}

}  // namespace

void InstallLibraryView(MainWindowServices& services) {
    services.Commands().Register(kCmdToggleTree, [&services] { ToggleTree(services); });
    services.AddMessageHook(
        [&services](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (message != WM_NOTIFY) return std::nullopt;
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (services.Tree().IsSelectionChange(header)) {
                OnTreeSelectionChanged(services.TheLibrary());
                return 0;
            }
            if (header.idFrom == layout::kTree && header.code == NM_RCLICK) {
                PopUpProgramMenuAtCursor(services);
                return 1;
            }
            return std::nullopt;
        });
}

}  // namespace kavo
