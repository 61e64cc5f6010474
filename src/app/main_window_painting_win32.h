// The main window's colours: the brushes of the bars and panels, the flat menu buttons (with
// their look under the pointer and when pressed) and the colours of labels and edit boxes.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>

#include "platform/win32/unique_handle.h"
#include "shell/main_window_colors.h"
#include "ui/hover_tracker_win32.h"

namespace kavo {

class RollUpPanel;

class MainWindowPainter {
  public:
    MainWindowColors& Colors() { return colors_; }
    const MainWindowColors& Colors() const { return colors_; }

    // Makes the brushes for the current colours and repaints the window, tree, editor and panels.
    void Apply(HWND window, HWND tree, HWND editor, RollUpPanel& helpPanel, RollUpPanel& runPanel);
    // The menu bar's buttons light up while the pointer is over them.
    void TrackMenuButtons(std::initializer_list<HWND> buttons);
    // Draws a flat button (the menu-bar buttons and the panel headers); false for other controls.
    bool DrawFlatButton(const DRAWITEMSTRUCT& item, HFONT font) const;
    // WM_CTLCOLOR* for the labels the window colours itself; nullopt for the rest.
    std::optional<LRESULT> ControlColor(HDC dc, HWND control) const;
    void EraseBackground(HWND window, HDC dc) const;

  private:
    MainWindowColors colors_;
    HoverTracker menuHover_;
    UniqueGdiObject titleBrush_;
    UniqueGdiObject menuBrush_;
    UniqueGdiObject windowBrush_;
};

}  // namespace kavo
