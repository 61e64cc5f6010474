#include "app/control_table_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <string>

#include "app/roll_up_panel_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/late_function_win32.h"
#include "text/wide.h"

namespace kavo {
namespace {

struct KindLook {
    layout::Kind kind;
    const wchar_t* windowClass;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS
};

// Labels without SS_NOTIFY let the mouse through, so the title bar drags.
const KindLook kLooks[] = {
    {layout::Kind::Label, WC_STATICW, SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX},
    {layout::Kind::Edit, WC_EDITW, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL},
    {layout::Kind::ReadOnlyText, WC_EDITW,
     WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL},
    {layout::Kind::ReadOnlyLine, WC_EDITW, WS_BORDER | ES_AUTOHSCROLL | ES_READONLY},
    {layout::Kind::Tree, WC_TREEVIEWW,
     WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS},
    {layout::Kind::RichEdit, MSFTEDIT_CLASS,
     WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL},
    {layout::Kind::FlatButton, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW},
    {layout::Kind::PictureButton, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW},
    {layout::Kind::PushButton, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON},
};

const KindLook* LookOf(layout::Kind kind) {
    for (const auto& look : kLooks)
        if (look.kind == kind) return &look;
    return nullptr;
}

HWND ParentOf(const layout::ControlPlace& place, HWND window, HWND helpPanel, HWND runPanel) {
    switch (place.parent) {
        case layout::Parent::HelpPanel:
            return helpPanel;
        case layout::Parent::RunPanel:
            return runPanel;
        default:
            return window;
    }
}

}  // namespace

const layout::ControlPlace* FindPlace(int id) {
    for (const auto& place : layout::kControls)
        if (place.id == id) return &place;
    return nullptr;
}

HWND FindMainWindowControl(HWND window, HWND helpPanel, HWND runPanel, int id) {
    const auto* place = FindPlace(id);
    if (place == nullptr) return nullptr;
    return GetDlgItem(ParentOf(*place, window, helpPanel, runPanel), id);
}

void CreateMainWindowControls(HWND window, RollUpPanel& helpPanel, RollUpPanel& runPanel,
                              const ControlFonts& fonts) {
    LoadSystemLibrary(L"Msftedit.dll");  // RICHEDIT50W
    // The table is the 96-DPI design; the window's monitor decides the pixels.
    const UINT dpi = WindowDpi(window);
    const auto s = [dpi](int value) { return ScaleToDpi(value, dpi); };
    for (const auto& place : layout::kControls) {
        HWND parent = ParentOf(place, window, helpPanel.Handle(), runPanel.Handle());
        HWND control = nullptr;
        if (place.kind == layout::Kind::Panel) {
            RollUpPanel& panel = place.id == layout::kHelpPanel ? helpPanel : runPanel;
            panel.Create(parent, place.id, place.x, place.y, place.width, place.height);
            control = panel.Handle();
        } else if (const KindLook* look = LookOf(place.kind)) {
            const std::wstring caption = Utf8ToWide(place.caption);
            control = CreateWindowExW(
                0, look->windowClass, caption.c_str(),
                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | look->style, s(place.x), s(place.y),
                s(place.width), s(place.height), parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), nullptr, nullptr);
        }
        if (control == nullptr) continue;
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(place.id == layout::kTitle ? fonts.title : fonts.ui),
                     FALSE);
    }
    // Stacking, bottom to top: the bars and the editor, the buttons on the bars, the picture
    // boxes over the caption buttons, 最大化 over 图片框3, the panels over the editor; in the help
    // panel the help box covers the coordinate rows until a shorter help text uncovers them.
    // 图片框1 and 退出 both close the window, so the picture box may cover all of it; 图片框3
    // hides to the tray as 最小化 does, and covering 最大化 would leave only a one-pixel column
    // to maximise and restore with, so 图片框3 keeps the one column 最大化 leaves it.
    for (int id : {layout::kTitle, layout::kMenuBar, layout::kTree, layout::kEditor, layout::kExit,
                   layout::kMinimize, layout::kMenuProgram, layout::kMenuEdit,
                   layout::kMenuSettings, layout::kCloseBox, layout::kHideBox, layout::kMaximize,
                   layout::kRunPanel, layout::kHelpPanel, layout::kHelpText})
        SetWindowPos(FindMainWindowControl(window, helpPanel.Handle(), runPanel.Handle(), id),
                     HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace kavo
