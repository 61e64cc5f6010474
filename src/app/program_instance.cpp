#include "app/program_instance.h"

#include <cstdint>
#include <cstdio>

namespace kavo {

std::string ProgramInstanceName(std::string_view programFolder) {
    while (!programFolder.empty() &&
           (programFolder.back() == '\\' || programFolder.back() == '/'))
        programFolder.remove_suffix(1);
    // FNV-1a over the folder with ASCII letters folded and both separators alike; the caller
    // folds other letters (Windows compares paths without regard to case).
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : programFolder) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '/') c = '\\';
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\KavoScriptHelper-%016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace kavo
