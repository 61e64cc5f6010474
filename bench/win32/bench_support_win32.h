// What the benchmarks that start kavo.exe share: a clock and the folder of the bench itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace kavo_bench {

inline std::uint64_t NowMicroseconds() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart) * 1000000u /
           static_cast<std::uint64_t>(frequency.QuadPart);
}

inline std::wstring ModuleFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace kavo_bench
