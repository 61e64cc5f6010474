// The soft shadow around a frameless window: an alpha plane of (width + 2·band) × (height +
// 2·band) pixels whose middle is the window itself and whose edge fades out over `band` pixels.
// Drawn by the program itself, because the platform's blur effect is missing on many systems.
#pragma once

#include <cstdint>
#include <vector>

namespace kavo {

struct ShadowPlane {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;  // row by row, top row first
    std::uint8_t At(int x, int y) const {
        return alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)];
    }
};

// The window's rectangle filled opaque and blurred by a separable Gaussian that reaches `band`
// pixels; the window's own rectangle is opaque again afterwards.
ShadowPlane ShadowBand(int ownerWidth, int ownerHeight, int band);

}  // namespace kavo
