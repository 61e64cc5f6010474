#include "ui/caption_button_win32.h"

#include <commctrl.h>

#include <utility>

#include "ui/caption_fade.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"
#include "ui/gdi_win32.h"

namespace kavo {
namespace {

constexpr UINT_PTR kFadeTimer = 1;

constexpr COLORREF kCloseHighlight = RGB(232, 17, 35);

int Luminance(COLORREF color) {
    return (GetRValue(color) * 299 + GetGValue(color) * 587 + GetBValue(color) * 114) / 1000;
}

// Part of the way from one colour to another, in 1/100.
COLORREF Mix(COLORREF from, COLORREF to, int percent) {
    const auto channel = [percent](int a, int b) { return a + (b - a) * percent / 100; };
    return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
               channel(GetBValue(from), GetBValue(to)));
}

// A glyph must stay readable on whatever colour the user chose for a hover background.
COLORREF GlyphColorOn(COLORREF background, COLORREF preferred) {
    const int difference = Luminance(background) - Luminance(preferred);
    if (difference > 90 || difference < -90) return preferred;
    return Luminance(background) < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

COLORREF InverseOf(COLORREF color) {
    return 0xFFFFFFu - (color & 0xFFFFFFu);
}

// Where a sibling stacked above the button covers it (最大化 over most of 图片框3), the pointer
// is over that sibling, whatever the button's own rectangle says.
bool CoveredBySiblingAbove(HWND button, POINT screen) {
    for (HWND above = GetWindow(button, GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        RECT rect{};
        if (IsWindowVisible(above) && GetWindowRect(above, &rect) && PtInRect(&rect, screen))
            return true;
    }
    return false;
}

}  // namespace

void DrawTitleGlyph(HDC dc, const RECT& rect, TitleGlyph glyph, COLORREF color, UINT dpi) {
    const auto s = [dpi](int value) { return ScaleToDpi(value, dpi); };
    const UniqueGdiObject pen(CreatePen(PS_SOLID, s(2), color));
    const ScopedSelection penSelection(dc, pen.get());
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    switch (glyph) {
        case TitleGlyph::Close:
            MoveToEx(dc, cx - s(5), cy - s(5), nullptr);
            LineTo(dc, cx + s(6), cy + s(6));
            MoveToEx(dc, cx + s(5), cy - s(5), nullptr);
            LineTo(dc, cx - s(6), cy + s(6));
            break;
        case TitleGlyph::Maximize: {
            const ScopedSelection hollow(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, cx - s(5), cy - s(5), cx + s(6), cy + s(6));
            break;
        }
        case TitleGlyph::HideToTray:
            // An arrow down onto a tray line.
            MoveToEx(dc, cx - s(5), cy - s(4), nullptr);
            LineTo(dc, cx, cy + s(1));
            LineTo(dc, cx + s(6), cy - s(5));
            MoveToEx(dc, cx - s(6), cy + s(5), nullptr);
            LineTo(dc, cx + s(7), cy + s(5));
            break;
        case TitleGlyph::Minimize:
            MoveToEx(dc, cx - s(6), cy + s(4), nullptr);
            LineTo(dc, cx + s(7), cy + s(4));
            break;
    }
}

CaptionButton::CaptionButton(HWND button, std::function<TitleColors()> colors, TitleGlyph glyph,
                             Reaction reaction, std::function<COLORREF()> hoverBackground)
    : button_(button),
      colors_(std::move(colors)),
      glyph_(glyph),
      reaction_(reaction),
      hoverBackground_(std::move(hoverBackground)) {
    Subclass(button_);
}

CaptionButton::~CaptionButton() {
    if (button_ == nullptr || !IsWindow(button_)) return;
    KillTimer(button_, kFadeTimer);
    if (GetCapture() == button_) ReleaseCapture();
}

LRESULT CaptionButton::HandleSubclassMessage(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove();
            break;
        case WM_TIMER:
            if (wParam == kFadeTimer) {
                OnTimer();
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            return OnLeftButtonUp(wParam, lParam);
        case WM_CAPTURECHANGED:
            OnCaptureChanged(reinterpret_cast<HWND>(lParam));
            break;
        case WM_NCDESTROY:
            KillTimer(window, kFadeTimer);
            button_ = nullptr;
            break;
        default:
            break;
    }
    return DefaultSubclassProcedure(window, message, wParam, lParam);
}

bool CaptionButton::CursorInside() const {
    RECT rect{};
    POINT cursor{};
    if (!GetWindowRect(button_, &rect) || !GetCursorPos(&cursor)) return false;
    return PointerInside({rect.left, rect.top, rect.right, rect.bottom}, cursor.x, cursor.y) &&
           !CoveredBySiblingAbove(button_, cursor);
}

void CaptionButton::OnMouseMove() {
    if (!inside_) {
        Enter();
        return;
    }
    if (!CursorInside()) {
        Leave();
    } else if (GetCapture() != button_) {
        // Something took the capture without telling (a click's own handling): take it back so
        // the leaving move still arrives here.
        SetCapture(button_);
    }
}

void CaptionButton::Enter() {
    SetCapture(button_);
    inside_ = true;
    if (reaction_ == Reaction::Fade) {
        FadeTo(kOpaque);
    } else {
        // Taken on entry: a title colour changed meanwhile shows at the next entry.
        hoverColor_ = hoverBackground_ ? hoverBackground_() : InverseOf(colors_().background);
        Redraw();
    }
}

void CaptionButton::Leave() {
    inside_ = false;
    if (GetCapture() == button_) ReleaseCapture();
    if (reaction_ == Reaction::Fade) {
        FadeTo(kInvisible);
    } else {
        Redraw();
    }
}

void CaptionButton::FadeTo(int target) {
    fadeTarget_ = target;
    if (transparency_ == target) {
        KillTimer(button_, kFadeTimer);
        return;
    }
    // A timer rather than a waiting loop: a fade reversed half way continues from where it is
    // and can never leave a highlight behind.
    SetTimer(button_, kFadeTimer, kFadeIntervalMs, nullptr);
}

void CaptionButton::OnTimer() {
    transparency_ = FadeStepTowards(transparency_, fadeTarget_);
    if (transparency_ == fadeTarget_) KillTimer(button_, kFadeTimer);
    Redraw();
}

LRESULT CaptionButton::OnLeftButtonUp(WPARAM wParam, LPARAM lParam) {
    clicking_ = true;
    const LRESULT result = DefaultSubclassProcedure(button_, WM_LBUTTONUP, wParam, lParam);
    clicking_ = false;
    // The click may have closed, hidden or moved the window.
    if (button_ == nullptr || !IsWindow(button_)) return result;
    if (!IsWindowVisible(button_)) {
        Reset();
        HideHighlight();
    } else if (CursorInside()) {
        if (!inside_) {
            Enter();
        } else if (GetCapture() != button_) {
            SetCapture(button_);
        }
    } else if (inside_) {
        Leave();
    }
    return result;
}

void CaptionButton::OnCaptureChanged(HWND newOwner) {
    if (clicking_ || newOwner == button_ || !inside_) return;
    // Another window took the mouse (a menu, a dialog): the pointer no longer counts as here.
    inside_ = false;
    if (reaction_ == Reaction::Fade) {
        FadeTo(kInvisible);
    } else {
        Redraw();
    }
}

void CaptionButton::HideHighlight() {
    if (button_ != nullptr) KillTimer(button_, kFadeTimer);
    transparency_ = kInvisible;
    fadeTarget_ = kInvisible;
    Redraw();
}

void CaptionButton::Reset() {
    const bool wasInside = std::exchange(inside_, false);
    if (wasInside && button_ != nullptr && GetCapture() == button_) ReleaseCapture();
    if (reaction_ == Reaction::Fade) {
        FadeTo(kInvisible);
    } else {
        Redraw();
    }
}

void CaptionButton::Redraw() const {
    if (button_ != nullptr) InvalidateRect(button_, nullptr, FALSE);
}

void CaptionButton::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT rect = item.rcItem;
    const UINT dpi = WindowDpi(item.hwndItem);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const TitleColors colors = colors_();
    if (reaction_ == Reaction::HoverBackground) {
        const bool hovered = inside_;
        const COLORREF background = hovered ? hoverColor_ : colors.background;
        FillColor(dc, rect, background);
        DrawTitleGlyph(dc, rect, glyph_,
                       hovered ? GlyphColorOn(background, colors.text) : colors.text, dpi);
        return;
    }

    // The normal picture, then the highlighted one over it at its transparency.
    FillColor(dc, rect, colors.background);
    DrawTitleGlyph(dc, rect, glyph_, colors.text, dpi);
    const int transparency = pressed ? kOpaque : transparency_;
    if (transparency >= kInvisible) return;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const UniqueMemoryDc memory(CreateCompatibleDC(dc));
    const UniqueGdiObject picture(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !picture) return;
    const ScopedSelection pictureSelection(memory.get(), picture.get());
    const RECT local{0, 0, width, height};
    const bool close = glyph_ == TitleGlyph::Close;
    const COLORREF title = colors.background;
    // Close turns red; the others a shade darker (or lighter, on a dark title bar).
    const COLORREF highlight =
        close ? kCloseHighlight
              : Mix(title, Luminance(title) > 128 ? RGB(0, 0, 0) : RGB(255, 255, 255), 16);
    FillColor(memory.get(), local, highlight);
    DrawTitleGlyph(memory.get(), local, glyph_,
                   close ? RGB(255, 255, 255) : GlyphColorOn(highlight, colors.text), dpi);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(255 * (kInvisible - transparency) / 100),
                        0};
    // gdi32's own form: msimg32, where AlphaBlend lives, is not loaded for it.
    GdiAlphaBlend(dc, rect.left, rect.top, width, height, memory.get(), 0, 0, width, height, blend);
}

}  // namespace kavo
