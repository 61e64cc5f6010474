// The soft shadow band around a frameless window: layered windows with per-pixel alpha that
// surround their owner, follow it, and hide while the owner is minimised, maximised or hidden.
//
// The band is four windows, one per side. A window that surrounded the owner whole would carry
// a picture of the owner's whole size (the system keeps one per layered window; under Wine in
// the program's own memory) with only its edge drawn.
#pragma once

#include <windows.h>

#include <array>

#include "ui/window_base_win32.h"

namespace kavo {

class BorderWindow {
  public:
    static constexpr int kDefaultBand = 15;

    BorderWindow() = default;
    BorderWindow(const BorderWindow&) = delete;
    BorderWindow& operator=(const BorderWindow&) = delete;

    // The band is given in pixels at 96 DPI. Owned by the owner, so it stays just above it and
    // leaves the taskbar alone.
    bool Create(HWND owner, int band = kDefaultBand);
    // Around the owner and shown, or hidden while the owner is minimised, maximised or hidden.
    void FollowOwner();
    void Raise();
    // The band's width in pixels as drawn now.
    int BandPixels() const { return bandPixels_; }

  private:
    // One side of the band; the mouse passes through to nothing, and it never takes the focus.
    class Side : public WindowBase<Side> {
      public:
        ~Side();
        bool Create(HWND owner);
        LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    };
    // Where each side stands in the band's picture of (width + 2·band) × (height + 2·band).
    static std::array<RECT, 4> SidesOf(int ownerWidth, int ownerHeight, int band);
    bool DrawFor(int ownerWidth, int ownerHeight, int band, POINT where);
    void HideSides();

    HWND owner_ = nullptr;
    int designBand_ = kDefaultBand;
    int bandPixels_ = 0;
    SIZE drawnFor_{};
    std::array<Side, 4> sides_;
};

}  // namespace kavo
