// Native build: glibc's iconv with its CP936 table.
#include <iconv.h>

#include <cerrno>
#include <memory>

#include "text/encoding.h"

namespace kavo {
namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

std::string Convert(std::string_view input, const char* to, const char* from,
                    std::string_view replacement) {
    const iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) return std::string(input);
    const std::unique_ptr<void, IconvCloser> cd(raw);
    std::string output;
    std::string buffer(4 * input.size() + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(raw, &in, &inLeft, &out, &outLeft);
        output.append(buffer.data(), buffer.size() - outLeft);
        if (result == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // Invalid or incomplete sequence: replace one source character and go on.
            output.append(replacement);
            std::size_t skip = 1;
            if (std::string_view(from) == "UTF-8") {
                const auto lead = static_cast<unsigned char>(*in);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            } else if (IsLeadByte(static_cast<unsigned char>(*in)) && inLeft >= 2) {
                skip = 2;
            }
            if (skip > inLeft) skip = inLeft;
            in += skip;
            inLeft -= skip;
        }
    }
    return output;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    return Convert(gbk, "UTF-8", "CP936", "\xEF\xBF\xBD");
}

RuntimeText Utf8ToGbk(std::string_view utf8) {
    return Convert(utf8, "CP936", "UTF-8", "?");
}

}  // namespace kavo
