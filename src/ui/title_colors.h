// The colours of a title strip: the main window's title bar colours, which its caption buttons
// and the small windows' title strips take (Windows colour values, red in the low byte).
#pragma once

#include <cstdint>

namespace kavo {

struct TitleColors {
    std::uint32_t background = 0xECECEC;
    std::uint32_t text = 0x353535;
};

}  // namespace kavo
