// Knows which of a set of controls the pointer is over, and repaints a control when the pointer
// arrives or leaves, so that owner-drawn buttons can light up under the pointer.
#pragma once

#include <windows.h>

#include "ui/subclass_win32.h"

namespace kavo {

class HoverTracker : private WindowSubclass<HoverTracker> {
  public:
    HoverTracker() = default;

    void Track(HWND control) { Subclass(control); }
    // The control under the pointer; nullptr when the pointer is over none of them.
    HWND Hot() const { return hot_; }

  private:
    friend WindowSubclass<HoverTracker>;
    LRESULT HandleSubclassMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void SetHot(HWND control);

    HWND hot_ = nullptr;
};

}  // namespace kavo
