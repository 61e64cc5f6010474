#include "platform/win32/dpi_win32.h"

#include "platform/win32/late_function_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

UINT WindowDpi(HWND window) {
    // GetDpiForWindow exists from Windows 10 1607; older systems have one DPI for all screens.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        LateFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    const UniqueScreenDc screen(GetDC(nullptr));
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace kavo
