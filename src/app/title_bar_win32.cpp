#include "app/title_bar_win32.h"

#include <windowsx.h>

#include "shell/main_window_layout.h"

namespace kavo {
TitleBar::TitleBar(MainWindowServices& services, std::function<void()> close)
    : services_(services), close_(std::move(close)) {}

void TitleBar::Install() {
    MenuCommands& commands = services_.Commands();
    commands.Register(layout::kExit, [this] { close_(); });
    commands.Register(layout::kCloseBox, [this] { close_(); });
    commands.Register(layout::kMaximize, [this] { ToggleMaximized(); });
    commands.Register(layout::kMinimize, [this] { HideToTray(); });
    commands.Register(layout::kHideBox, [this] { HideToTray(); });
}

LRESULT TitleBar::HitTest(LRESULT defaultHit, LPARAM screenPoint) const {
    HWND window = services_.Window();
    // Maximised too: otherwise the double click that restores the window never arrives.
    if (defaultHit != HTCLIENT) return defaultHit;
    POINT point{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    ScreenToClient(window, &point);
    RECT title{};
    GetWindowRect(services_.Control(layout::kTitle), &title);
    return point.y < title.bottom - title.top ? HTCAPTION : defaultHit;
}

void TitleBar::ToggleMaximized() {
    HWND window = services_.Window();
    ShowWindow(window, IsZoomed(window) ? SW_RESTORE : SW_MAXIMIZE);
}

void TitleBar::HideToTray() {
    HWND window = services_.Window();
    // Already minimised and hidden (a run before hid it): showing it minimised only to hide it
    // again would cost a round trip to the window manager on every hotkey press.
    if (!IsWindowVisible(window) && IsIconic(window)) return;
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_HIDE);
}

void TitleBar::RestoreFromTray() {
    HWND window = services_.Window();
    ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_SHOWNORMAL);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    InvalidateRect(services_.Control(layout::kHideBox), nullptr, TRUE);
}

}  // namespace kavo
