// One program per library: the name of the object a running program holds for its folder (the
// library is the content folder beside the program), so that a second start from the same folder
// finds the first, shown or hidden in the notification area. A start from another folder is
// another library and goes on.
#pragma once

#include <string>
#include <string_view>

namespace kavo {

// The object's name for the program folder (UTF-8): folders that differ only in letter case or
// a trailing separator name the same library, and so the same object. At most 64 characters,
// the characters names of kernel objects allow.
std::string ProgramInstanceName(std::string_view programFolder);

}  // namespace kavo
