#include "library/page_encoding.h"

#include "text/encoding.h"

namespace kavo {

bool IsWellFormedUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
        } else {
            return false;
        }
        if (bytes.size() - i < length) return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80 || next > 0xBF) return false;
        }
        i += length;
    }
    return true;
}

PageEncoding DetectPageEncoding(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom &&
        IsWellFormedUtf8(text.substr(kUtf8Bom.size())))
        return PageEncoding::Utf8WithBom;
    bool beyondAscii = false;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            beyondAscii = true;
            break;
        }
    return beyondAscii && IsWellFormedUtf8(text) ? PageEncoding::Utf8 : PageEncoding::Gbk;
}

std::string_view PageTextOf(std::string_view text, PageEncoding encoding) {
    return encoding == PageEncoding::Utf8WithBom ? text.substr(kUtf8Bom.size()) : text;
}

std::string PageBytesOf(std::string_view text, PageEncoding encoding) {
    if (encoding != PageEncoding::Utf8WithBom) return std::string(text);
    std::string bytes(kUtf8Bom);
    bytes.append(text);
    return bytes;
}

RuntimeText PageTextForRunning(std::string_view bytes) {
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    const PageEncoding encoding = DetectPageEncoding(text);
    if (encoding == PageEncoding::Gbk) return RuntimeText(text);
    return Utf8ToGbk(PageTextOf(text, encoding));
}

namespace {

// The text with every line break written as LF.
std::string LineFeedsOnly(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

}  // namespace

bool SameIgnoringLineEnds(std::string_view a, std::string_view b) {
    return a == b || LineFeedsOnly(a) == LineFeedsOnly(b);
}

}  // namespace kavo
