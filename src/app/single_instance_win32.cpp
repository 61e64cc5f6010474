#include "app/single_instance_win32.h"

#include <string>
#include <vector>

namespace kavo {
namespace {
BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM context) {
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE)
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}
}  // namespace

bool VisibleWindowTitled(const wchar_t* title) {
    std::vector<HWND> visible;
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&visible));
    const std::wstring wanted = title;
    for (HWND window : visible) {
        // Compared as a whole: the same name without the trailing space, or with more text
        // after it, is another program.
        const int length = GetWindowTextLengthW(window);
        if (length != static_cast<int>(wanted.size())) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
        if (text == wanted) return true;
    }
    return false;
}

}  // namespace kavo
