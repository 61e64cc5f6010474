#include "app/title_bar_win32.h"

#include <windowsx.h>

#include "app/caption_button_win32.h"
#include "app/main_window_layout.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

bool IsTitleBarPicture(int id) {
    return id == layout::kExit || id == layout::kMaximize || id == layout::kMinimize ||
           id == layout::kPicture1 || id == layout::kPicture3;
}

}  // namespace

TitleBar::TitleBar(MainWindowServices& services, std::function<void()> close)
    : services_(services), close_(std::move(close)) {}

void TitleBar::Install() {
    MenuCommands& commands = services_.Commands();
    commands.Register(layout::kExit, [this] { close_(); });
    commands.Register(layout::kPicture1, [this] { close_(); });
    commands.Register(layout::kMaximize, [this] { ToggleMaximized(); });
    commands.Register(layout::kMinimize, [this] { HideToTray(); });
    commands.Register(layout::kPicture3, [this] { HideToTray(); });
}

bool TitleBar::Draw(const DRAWITEMSTRUCT& item, const MainWindowColors& colors) const {
    const int id = static_cast<int>(item.CtlID);
    if (!IsTitleBarPicture(id)) return false;
    // The plain look, until the appearance takes the buttons over with their hover reactions.
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const UniqueGdiObject brush(CreateSolidBrush(pressed ? 0xD0D0D0 : colors.titleBackground));
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(brush.get()));
    const TitleGlyph glyph = id == layout::kExit || id == layout::kPicture1 ? TitleGlyph::Close
                             : id == layout::kMaximize                      ? TitleGlyph::Maximize
                             : id == layout::kPicture3                      ? TitleGlyph::HideToTray
                                                                            : TitleGlyph::Minimize;
    DrawTitleGlyph(item.hDC, item.rcItem, glyph, colors.titleText, WindowDpi(item.hwndItem));
    return true;
}

LRESULT TitleBar::HitTest(LRESULT defaultHit, LPARAM screenPoint) const {
    HWND window = services_.Window();
    if (defaultHit != HTCLIENT || IsZoomed(window)) return defaultHit;
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
    InvalidateRect(services_.Control(layout::kPicture3), nullptr, TRUE);
}

}  // namespace kavo
