// The balloon that 气球提示框 shows at the cursor: a tracking tooltip control owned by a window.
//
// Thread rule: create, use and destroy a BalloonTip on the thread of its owner window (the
// user-interface thread). Scripts started by a hotkey run on threads of their own; their requests
// must be marshalled to the owner's thread (the main window sends itself a message) and never
// call Show directly.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"

namespace kavo {

// How long a balloon stays before it hides itself, like the system's own balloons.
constexpr UINT kBalloonTipVisibleMs = 4000;

class BalloonTip {
  public:
    // owner: a top-level window (or nullptr). Destroy the BalloonTip before its owner.
    explicit BalloonTip(HWND owner);
    ~BalloonTip();
    BalloonTip(const BalloonTip&) = delete;
    BalloonTip& operator=(const BalloonTip&) = delete;

    // Shows text exactly as written (no markup, '&' kept) at a screen point, replacing a balloon
    // that is still showing, and hides it kBalloonTipVisibleMs later. An empty text shows nothing.
    void Show(POINT screenPoint, const std::wstring& text);
    void Hide();

    // The tooltip control; nullptr when it could not be created.
    HWND Window() const { return tip_.get(); }

  private:
    UniqueWindow tip_;
};

}  // namespace kavo
