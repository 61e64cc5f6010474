// The buttons of the main window's own title bar. Each is a drawn button of the main window that
// follows the pointer with the mouse captured while the pointer is over it:
// - the caption buttons 退出, 最大化 and 最小化 fade a highlighted picture in over ten steps of
//   10 ms when the pointer arrives and out again when it leaves;
// - the picture boxes 图片框1 and 图片框3 take a hover background at once.
// Clicks stay ordinary button clicks that reach the main window's command table.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/subclass_win32.h"
#include "ui/title_colors.h"

namespace kavo {

enum class TitleGlyph { Close, Maximize, Minimize, HideToTray };

class CaptionButton : private WindowSubclass<CaptionButton> {
  public:
    enum class Reaction {
        Fade,             // a caption button: the highlighted picture fades in and out
        HoverBackground,  // a picture box: the background switches to hoverBackground()
    };

    // colors: the title bar's colours as they are now, asked whenever the button is drawn.
    CaptionButton(HWND button, std::function<TitleColors()> colors, TitleGlyph glyph,
                  Reaction reaction, std::function<COLORREF()> hoverBackground = {});
    ~CaptionButton();
    CaptionButton(const CaptionButton&) = delete;
    CaptionButton& operator=(const CaptionButton&) = delete;

    HWND Handle() const { return button_; }
    // For the main window's WM_DRAWITEM of this button.
    void Draw(const DRAWITEMSTRUCT& item) const;
    // The highlight disappears at once; whether the pointer counts as inside is left alone.
    void HideHighlight();
    // Back at rest: capture released, pointer outside, title background.
    void Reset();

    bool PointerIsInside() const { return inside_; }
    // 0 (opaque) to 100 (invisible).
    int HighlightTransparency() const { return transparency_; }

  private:
    friend WindowSubclass<CaptionButton>;
    LRESULT HandleSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnMouseMove();
    void OnTimer();
    LRESULT OnLeftButtonUp(WPARAM wParam, LPARAM lParam);
    void OnCaptureChanged(HWND newOwner);
    void Enter();
    void Leave();
    void FadeTo(int target);
    bool CursorInside() const;
    void Redraw() const;

    HWND button_;
    std::function<TitleColors()> colors_;
    TitleGlyph glyph_;
    Reaction reaction_;
    std::function<COLORREF()> hoverBackground_;
    bool inside_ = false;
    bool clicking_ = false;  // the button's own click handling moves the capture meanwhile
    COLORREF hoverColor_ = 0;
    int transparency_ = 100;
    int fadeTarget_ = 100;
};

// A 25 × 25 or 30 × 30 glyph of the title bar drawn centred in rect, in the given colour.
void DrawTitleGlyph(HDC dc, const RECT& rect, TitleGlyph glyph, COLORREF color, UINT dpi);

}  // namespace kavo
