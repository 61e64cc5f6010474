// A program run as administrator from a folder that others can change is a way in: whoever
// writes there (a page, a DLL beside kavo.exe) makes the elevated runs do what they like. The
// program says so once when it starts that way.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace kavo {

// The warning for this process and its folder, or nothing: not elevated, or only the system,
// the administrators and this account may add or remove files in the folder.
std::optional<Utf8Text> ElevatedFolderWarning(const Utf8Text& programFolder);

}  // namespace kavo
