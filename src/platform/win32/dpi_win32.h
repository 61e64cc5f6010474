// Windows are designed at 96 pixels per inch and laid out scaled to the DPI of their monitor.
#pragma once

#include <windows.h>

namespace kavo {

// Pixels per inch of the window's monitor (of the primary screen for nullptr).
UINT WindowDpi(HWND window);
// A length of the 96-DPI design at the given DPI, rounded to the nearest pixel.
inline int ScaleToDpi(int designPixels, UINT dpi) {
    return MulDiv(designPixels, static_cast<int>(dpi), 96);
}
// A length laid out at one DPI, at another (a window moved to a monitor of another DPI).
inline int RescaleForDpi(int pixels, UINT fromDpi, UINT toDpi) {
    return fromDpi == 0 ? pixels
                        : MulDiv(pixels, static_cast<int>(toDpi), static_cast<int>(fromDpi));
}

}  // namespace kavo
