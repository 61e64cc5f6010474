// How a page's bytes are kept: GBK, the program's own pages, or UTF-8 (with or without a
// byte-order mark) as other editors save them. The editor shows each in its own encoding and a
// save writes the same encoding back; scripts always run as GBK.
#pragma once

#include <string>
#include <string_view>

#include "text/runtime_text.h"

namespace kavo {

enum class PageEncoding { Gbk, Utf8, Utf8WithBom };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Well-formed UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF, nothing cut off.
bool IsWellFormedUtf8(std::string_view bytes);

// The encoding of a page's text (its bytes up to the first zero byte). A byte-order mark before
// well-formed UTF-8 says UTF-8. Without one, text that has bytes above 0x7F and is well-formed
// UTF-8 is taken as UTF-8: Chinese in UTF-8 often reads as valid GBK too, while GBK text with
// Chinese characters is almost never well-formed UTF-8 (the command words alone are not).
// Anything else is GBK, the program's own pages included.
PageEncoding DetectPageEncoding(std::string_view text);

// The page's text as the editor takes it: UTF-8 without the mark, or the GBK bytes as they are.
std::string_view PageTextOf(std::string_view text, PageEncoding encoding);
// And back: the mark put in front again where the page had one.
std::string PageBytesOf(std::string_view text, PageEncoding encoding);

// A page's text for running (GBK): a UTF-8 page converted, '?' for characters GBK cannot hold;
// the text ends at the first zero byte, as the editor shows it.
RuntimeText PageTextForRunning(std::string_view bytes);

// Equal when read with every line break (CR LF, CR, LF) taken as the same.
bool SameIgnoringLineEnds(std::string_view a, std::string_view b);

}  // namespace kavo
