#include "platform/win32/dpi_win32.h"

namespace kavo {

namespace {

// Looked up at run time: each exists only from a later Windows than the oldest one supported.
template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) handle = LoadLibraryW(module);
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

}  // namespace

UINT WindowDpi(HWND window) {
    // GetDpiForWindow exists from Windows 10 1607; older systems have one DPI for all screens.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace kavo
