// What the small windows share: the title strip's colours and dragging, fonts and controls laid
// out at the window's DPI, and the modal loop of the asking windows.
#pragma once

#include <windows.h>

#include <optional>

#include "app/main_window_colors.h"
#include "platform/win32/unique_handle.h"

namespace kavo::small_window {

inline constexpr int kTitleStripHeight = 30;
// Every small window is first placed here; the animated ones then fall towards the centre.
inline constexpr int kStartLeft = 50;
inline constexpr int kStartTop = 50;

// The main window's title colours when it is known, else the default ones.
MainWindowColors TitleColors();

// 微软雅黑 at the given design height (pixels at 96 DPI).
UniqueGdiObject MakeFont(UINT dpi, int designHeight, bool bold);

// What a small window with a title strip draws with: the title colours, the strip's brush, the
// text font (12 pixels) and the strip's bold font (13 pixels), made at the window's DPI.
struct Look {
    MainWindowColors colors;
    UniqueGdiObject titleBrush;
    UniqueGdiObject font;
    UniqueGdiObject titleFont;
};
Look MakeLook(UINT dpi);

// A child control at its 96-DPI design place, scaled to dpi, with font.
HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                int y, int width, int height, int id, UINT dpi, HGDIOBJ font);

// The title strip across the top of a window designWidth pixels wide: the title, indented.
HWND AddTitleStrip(HWND window, const wchar_t* title, int designWidth, int id, UINT dpi,
                   HGDIOBJ font);

// The prompt and the one-line rich edit box of the two search windows, at the same places in
// both. The box reports its keys (Enter and Escape) to the window.
HWND AddSearchRow(HWND window, int promptId, int boxId, UINT dpi, HGDIOBJ promptFont,
                  HGDIOBJ boxFont);

// Shows the window (ShowWindow's showCommand), brings it to the front and gives the focus to the
// control focusId.
void BringForward(HWND window, int showCommand, int focusId);

// A borderless pop-up window of the design size at the start place, owned by owner. Nothing is
// shown yet.
struct PopupPlace {
    int width = 0;
    int height = 0;
    UINT dpi = 96;
};
PopupPlace PlaceFor(HWND owner, int designWidth, int designHeight);

// The title strip (the top 30 design pixels) drags the window.
LRESULT HitTest(HWND window, LRESULT defaultHit, LPARAM lParam);

// Colours of the title strip label; nullopt for any other control.
std::optional<LRESULT> TitleStripColor(HDC dc, HWND control, int titleId, const Look& look);

// The title strip's share of a small window's messages: dragging by the strip (WM_NCHITTEST) and
// the strip label's colours (WM_CTLCOLORSTATIC). nullopt for everything else.
std::optional<LRESULT> TitleStripMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         int titleId, const Look& look);

// Shows window and pumps messages until finished is set or the window is gone; the owner takes
// no input meanwhile. Enter means 确定 and Escape 取消 (IDOK and IDCANCEL commands). Destroys the
// window at the end and gives the owner back its activation. A WM_QUIT is passed on.
void RunModal(HWND window, HWND owner, const bool& finished);

}  // namespace kavo::small_window
