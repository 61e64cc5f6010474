// The title bar's buttons: when the pointer counts as over one, and the steps of a highlight
// fading in or out.
#pragma once

namespace kavo {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The edges count as inside: a button that holds the capture lets go only when the pointer is
// past its rectangle.
constexpr bool PointerInside(const ScreenRect& rect, int x, int y) {
    return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

// A highlight's transparency runs from 0 (opaque) to 100 (invisible) in ten steps.
inline constexpr int kFadeStep = 10;
inline constexpr int kFadeIntervalMs = 10;
inline constexpr int kInvisible = 100;
inline constexpr int kOpaque = 0;

// One step from `transparency` towards `target`; a reversed fade continues from where it is.
constexpr int FadeStepTowards(int transparency, int target) {
    if (transparency < target)
        return transparency + kFadeStep > target ? target : transparency + kFadeStep;
    if (transparency > target)
        return transparency - kFadeStep < target ? target : transparency - kFadeStep;
    return target;
}

}  // namespace kavo
