#include "ui/message_loop_win32.h"

#include <algorithm>
#include <vector>

namespace kavo {
namespace {

// User-interface thread only, like the windows themselves.
std::vector<HWND>& DialogWindows() {
    static std::vector<HWND> windows;
    return windows;
}

}  // namespace

bool TranslateDialogKeys(MSG& message) {
    if (message.hwnd == nullptr) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    const auto& windows = DialogWindows();
    if (std::find(windows.begin(), windows.end(), root) == windows.end()) return false;
    return IsDialogMessageW(root, &message) != 0;
}

void AddDialogWindow(HWND window) {
    auto& windows = DialogWindows();
    if (std::find(windows.begin(), windows.end(), window) == windows.end())
        windows.push_back(window);
}

void RemoveDialogWindow(HWND window) {
    auto& windows = DialogWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

int RunMessageLoop(const std::function<bool(MSG&)>& translateShortcut) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (translateShortcut && translateShortcut(message)) continue;
        if (TranslateDialogKeys(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

bool WaitServingSentMessages(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD deadline = GetTickCount() + milliseconds;
    while (!done()) {
        if (static_cast<LONG>(deadline - GetTickCount()) <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

}  // namespace kavo
