#include "ui/shadow_band.h"

#include <algorithm>
#include <cmath>

namespace kavo {
namespace {

// Weights of a Gaussian whose tail ends at `radius` (sigma = radius / 2), in 1/65536 units.
std::vector<std::uint32_t> Kernel(int radius) {
    radius = std::max(radius, 0);
    const double sigma = std::max(0.5, radius / 2.0);
    const auto weight = [sigma](int i) { return std::exp(-(i * i) / (2.0 * sigma * sigma)); };
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += weight(i);
    std::vector<std::uint32_t> fixed;
    fixed.reserve(static_cast<std::size_t>(radius) * 2 + 1);
    for (int i = -radius; i <= radius; ++i)
        fixed.push_back(static_cast<std::uint32_t>(std::lround(weight(i) / sum * 65536.0)));
    return fixed;
}

// One pass along rows (step 1) or columns (step width); pixels beyond the edge count as clear.
void BlurPass(const std::vector<std::uint8_t>& from, std::vector<std::uint8_t>& to, int width,
              int height, int radius, bool alongRows, const std::vector<std::uint32_t>& kernel) {
    const int length = alongRows ? width : height;
    const int lines = alongRows ? height : width;
    for (int line = 0; line < lines; ++line) {
        for (int pos = 0; pos < length; ++pos) {
            std::uint64_t sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int at = pos + k;
                if (at < 0 || at >= length) continue;
                const int x = alongRows ? at : line;
                const int y = alongRows ? line : at;
                sum += std::uint64_t{from[static_cast<std::size_t>(y * width + x)]} *
                       kernel[static_cast<std::size_t>(k + radius)];
            }
            const int x = alongRows ? pos : line;
            const int y = alongRows ? line : pos;
            to[static_cast<std::size_t>(y * width + x)] =
                static_cast<std::uint8_t>(std::min<std::uint64_t>(255, (sum + 32768) >> 16));
        }
    }
}

}  // namespace

ShadowPlane ShadowBand(int ownerWidth, int ownerHeight, int band) {
    ShadowPlane plane;
    if (ownerWidth <= 0 || ownerHeight <= 0 || band < 0) return plane;
    plane.width = ownerWidth + 2 * band;
    plane.height = ownerHeight + 2 * band;
    const auto size =
        static_cast<std::size_t>(plane.width) * static_cast<std::size_t>(plane.height);
    plane.alpha.assign(size, 0);
    const auto fillOwner = [&plane, band, ownerWidth, ownerHeight] {
        for (int y = band; y < band + ownerHeight; ++y)
            std::fill_n(plane.alpha.begin() + static_cast<std::ptrdiff_t>(y) * plane.width + band,
                        ownerWidth, std::uint8_t{255});
    };
    fillOwner();
    if (band > 0) {
        const auto kernel = Kernel(band);
        std::vector<std::uint8_t> across(size, 0);
        BlurPass(plane.alpha, across, plane.width, plane.height, band, true, kernel);
        BlurPass(across, plane.alpha, plane.width, plane.height, band, false, kernel);
    }
    fillOwner();
    return plane;
}

}  // namespace kavo
