#include "app/main_window_painting_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include "app/roll_up_panel_win32.h"
#include "shell/main_window_layout.h"
#include "ui/gdi_win32.h"

namespace kavo {
namespace {

bool IsMenuBarButton(int id) {
    return id == layout::kMenuProgram || id == layout::kMenuEdit || id == layout::kMenuSettings;
}

bool IsFlatButton(int id) {
    return IsMenuBarButton(id) || id == layout::kHelpToggle || id == layout::kRunToggle;
}

// The design's looks of a flat button under the pointer and pressed; only the menu buttons' look
// at rest follows the settings.
constexpr COLORREF kPointerOverBackground = 0xC0C0C0;
constexpr COLORREF kPressedBackground = 0xE9E9E9;
constexpr COLORREF kLitText = RGB(0, 0, 0);

}  // namespace

void MainWindowPainter::Apply(HWND window, HWND tree, HWND editor, RollUpPanel& helpPanel,
                              RollUpPanel& runPanel) {
    titleBrush_.reset(CreateSolidBrush(colors_.titleBackground));
    menuBrush_.reset(CreateSolidBrush(colors_.menuBackground));
    windowBrush_.reset(CreateSolidBrush(colors_.windowBackground));
    TreeView_SetBkColor(tree, colors_.treeBackground);
    TreeView_SetTextColor(tree, colors_.treeText);
    SendMessageW(editor, EM_SETBKGNDCOLOR, 0, colors_.editorBackground);
    helpPanel.SetBackground(colors_.windowBackground);
    runPanel.SetBackground(colors_.windowBackground);
    // The bars and picture boxes are child windows: they repaint with the new colours too.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindowPainter::TrackMenuButtons(std::initializer_list<HWND> buttons) {
    for (HWND button : buttons) menuHover_.Track(button);
}

bool MainWindowPainter::DrawFlatButton(const DRAWITEMSTRUCT& item, HFONT font) const {
    const int id = static_cast<int>(item.CtlID);
    if (!IsFlatButton(id)) return false;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    COLORREF background = kPressedBackground;  // the panel headers' look, always
    COLORREF text = kLitText;
    if (IsMenuBarButton(id) && !pressed) {
        const bool pointerOver = menuHover_.Hot() == item.hwndItem;
        background = pointerOver ? kPointerOverBackground : colors_.menuBackground;
        text = pointerOver ? kLitText : colors_.menuText;
    }
    const UniqueGdiObject brush(CreateSolidBrush(background));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
    wchar_t caption[64] = {};
    GetWindowTextW(item.hwndItem, caption, 64);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    const ScopedSelection selected(dc, font);
    DrawTextW(dc, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return true;
}

std::optional<LRESULT> MainWindowPainter::ControlColor(HDC dc, HWND control) const {
    const int id = GetDlgCtrlID(control);
    if (id == layout::kTitle) {
        SetTextColor(dc, colors_.titleText);
        SetBkColor(dc, colors_.titleBackground);
        return reinterpret_cast<LRESULT>(titleBrush_.get());
    }
    if (id == layout::kMenuBar) {
        SetBkColor(dc, colors_.menuBackground);
        return reinterpret_cast<LRESULT>(menuBrush_.get());
    }
    if (id == layout::kSeparator) {
        SetBkColor(dc, RGB(0xA0, 0xA0, 0xA0));
        return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    }
    if (id == layout::kProcessLabel || id == layout::kXLabel || id == layout::kYLabel ||
        id == layout::kSpyHandleLabel || id == layout::kSpyProcessLabel ||
        id == layout::kSpyClassLabel || id == layout::kSpyTitleLabel ||
        id == layout::kSpyColorLabel) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(windowBrush_.get());
    }
    // F1's read-only lines look like the coordinate edits beside them.
    if (id == layout::kSpyHandle || id == layout::kSpyProcess || id == layout::kSpyClass ||
        id == layout::kSpyTitle || id == layout::kSpyColor) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    return std::nullopt;
}

void MainWindowPainter::EraseBackground(HWND window, HDC dc) const {
    RECT rect{};
    GetClientRect(window, &rect);
    FillRect(dc, &rect, static_cast<HBRUSH>(windowBrush_.get()));
}

}  // namespace kavo
