#include "editor/links.h"

#include <array>

#include "text/runtime_text.h"

namespace kavo {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return StartsWithIgnoringAsciiCase(text, prefix);
}

}  // namespace

std::optional<Utf8Text> ShellTargetForLink(std::string_view linkText) {
    for (const char c : linkText) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return std::nullopt;
    }
    constexpr std::array<std::string_view, 4> kSchemes = {"http:", "https:", "ftp:", "mailto:"};
    for (const auto scheme : kSchemes) {
        // A scheme alone opens nothing useful.
        if (StartsWithIgnoringCase(linkText, scheme) && linkText.size() > scheme.size())
            return Utf8Text(linkText);
    }
    // The shell takes "www.example.com" for a file name; the scheme makes it a web address.
    if (StartsWithIgnoringCase(linkText, "www.") && linkText.size() > 4)
        return "http://" + Utf8Text(linkText);
    return std::nullopt;
}

}  // namespace kavo
