// The temporary file an atomic replace writes before it takes the target's name.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace kavo {

// Length of every temporary file's name: ".kavo-" and eight hexadecimal digits and ".tmp".
inline constexpr std::size_t kTemporaryNameLength = 18;

// The temporary file beside target (same folder, so that the replace is one rename on one
// volume). Its name has the same short length whatever the target's: a page whose name takes
// all the 255 units a name may have is replaced as well as any other. unique tells tries apart
// (a process's id and a count): a name that is taken is tried again with the next one.
inline Utf8Text TemporaryFileBeside(const Utf8Text& target, std::uint32_t unique) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t slash = target.find_last_of("\\/");
    Utf8Text name = slash == Utf8Text::npos ? Utf8Text() : target.substr(0, slash + 1);
    name += ".kavo-";
    for (int shift = 28; shift >= 0; shift -= 4) name += kDigits[(unique >> shift) & 0xFu];
    name += ".tmp";
    return name;
}

}  // namespace kavo
