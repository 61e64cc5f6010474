// The soft shadow band around a frameless window: a layered window with per-pixel alpha that
// surrounds its owner, follows it, and hides while the owner is minimised, maximised or hidden.
// Its middle is cut out of its shape, so the owner shows through and takes the mouse there.
#pragma once

#include <windows.h>

#include "ui/window_base_win32.h"

namespace kavo {

class BorderWindow : public WindowBase<BorderWindow> {
  public:
    static constexpr int kDefaultBand = 15;

    BorderWindow() = default;
    ~BorderWindow();

    // The band is given in pixels at 96 DPI. Owned by the owner, so it stays just above it and
    // leaves the taskbar alone.
    bool Create(HWND owner, int band = kDefaultBand);
    // Around the owner and shown, or hidden while the owner is minimised, maximised or hidden.
    void FollowOwner();
    void Raise();
    // The band's width in pixels as drawn now.
    int BandPixels() const { return bandPixels_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    bool DrawFor(int ownerWidth, int ownerHeight, int band, POINT where);

    HWND owner_ = nullptr;
    int designBand_ = kDefaultBand;
    int bandPixels_ = 0;
    SIZE drawnFor_{};
};

}  // namespace kavo
