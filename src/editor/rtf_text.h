// The text an RTF document shows, for searching pages stored as RTF.
#pragma once

#include <string_view>

#include "text/runtime_text.h"

namespace kavo {

// True when the text begins as an RTF document does ("{\rtf").
bool IsRtfDocument(std::string_view text);

// The document's visible characters in GBK: groups of fonts, colours, styles, pictures and
// other hidden destinations are left out, escapes (\'hh, \uN, \\, \{, \}) become their
// characters, \par and \line become CR LF and \tab a tab. Characters GBK cannot hold become '?'.
RuntimeText RtfDisplayText(std::string_view rtf);

}  // namespace kavo
