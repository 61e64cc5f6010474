// Which links in the script editor may be opened. The editor detects more than web addresses
// (file: and other schemes), and opening those with the shell could start a program, so only
// web and mail addresses are handed on.
#pragma once

#include <optional>
#include <string_view>

#include "platform/platform.h"

namespace kavo {

// What to hand to the shell for a link's text: the text itself for http:, https:, ftp: and
// mailto: addresses, "http://" before a www. address, nothing for anything else (letter case
// ignored in the scheme). Texts with spaces or control characters are refused as well.
std::optional<Utf8Text> ShellTargetForLink(std::string_view linkText);

}  // namespace kavo
