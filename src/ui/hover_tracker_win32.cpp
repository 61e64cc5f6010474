#include "ui/hover_tracker_win32.h"

namespace kavo {

LRESULT HoverTracker::HandleSubclassMessage(HWND control, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (hot_ != control) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
                TrackMouseEvent(&track);
                SetHot(control);
            }
            break;
        case WM_MOUSELEAVE:
            if (hot_ == control) SetHot(nullptr);
            break;
        case WM_NCDESTROY:
            if (hot_ == control) hot_ = nullptr;
            break;
        default:
            break;
    }
    return DefaultSubclassProcedure(control, message, wParam, lParam);
}

void HoverTracker::SetHot(HWND control) {
    HWND previous = hot_;
    hot_ = control;
    if (previous != nullptr) InvalidateRect(previous, nullptr, FALSE);
    if (hot_ != nullptr) InvalidateRect(hot_, nullptr, FALSE);
}

}  // namespace kavo
