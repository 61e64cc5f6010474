// The opening animation of the small windows: a window placed near the top left falls towards
// the screen's centre on a damped spring with a constant pull downwards, and settles below the
// centre. Portable maths; the Win32 layer moves the window with what a step returns.
#pragma once

#include <array>
#include <cstddef>

namespace kavo {

// Each kind of window counts its own steps; the velocities are shared by all of them.
enum class BounceWindowKind : std::size_t {
    InputDialog,
    ConfirmDialog,
    ColorPickDialog,
    FindTextWindow,
    GlobalSearchWindow,
    SettingsWindow,
};
inline constexpr std::size_t kBounceWindowKinds = 6;

// Steps per opening: the animation stops when a kind's counter passes 50.
inline constexpr int kBounceLastStep = 50;
// Interval of the animating timer, in milliseconds.
inline constexpr unsigned kBounceIntervalMs = 10;

// 32-bit floats on purpose: every value is rounded to that precision when stored, and the
// velocities are never reset, so a window opened right after another starts with what is left.
struct BounceMotion {
    float vx = 0.0f;
    float vy = 0.0f;
    std::array<int, kBounceWindowKinds> steps{};
};

struct BounceRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct BounceStepResult {
    int left = 0;
    int top = 0;
    // The kind's counter passed 50 and was set back to 0: stop the timer.
    bool finished = false;
};

// One tick of the animation for a window of the given kind at window, on a screen of
// screenWidth x screenHeight pixels.
BounceStepResult BounceStep(BounceMotion& motion, BounceWindowKind kind, const BounceRect& window,
                            int screenWidth, int screenHeight);

// The program's one motion state, shared by every animated window.
BounceMotion& SharedBounceMotion();

}  // namespace kavo
