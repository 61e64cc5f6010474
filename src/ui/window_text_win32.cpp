#include "ui/window_text_win32.h"

#include <richedit.h>

#include <algorithm>

namespace kavo {

std::wstring ReadWindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        std::max(GetWindowTextW(window, text.data(), static_cast<int>(text.size())), 0)));
    return text;
}

std::wstring ReadWholeText(HWND window) {
    std::wstring text(static_cast<std::size_t>(std::max(GetWindowTextLengthW(window), 0)) * 2 + 2,
                      L'\0');
    for (;;) {
        const LRESULT copied =
            SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        const auto length = static_cast<std::size_t>(std::max<LRESULT>(copied, 0));
        if (length + 1 < text.size()) {
            text.resize(length);
            return text;
        }
        text.assign(text.size() * 2, L'\0');
    }
}

std::wstring ReadTextRange(HWND richEdit, LONG from, LONG to) {
    if (to <= from) return {};
    std::wstring text(static_cast<std::size_t>(to - from) + 1, L'\0');
    TEXTRANGEW range{{from, to}, text.data()};
    const LRESULT copied =
        SendMessageW(richEdit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, to - from)));
    return text;
}

}  // namespace kavo
