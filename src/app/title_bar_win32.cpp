#include "app/title_bar_win32.h"

#include <windowsx.h>

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
    HDC dc = item.hDC;
    const RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    // A plain glyph on the title bar's colour.
    const UniqueGdiObject brush(CreateSolidBrush(pressed ? 0xD0D0D0 : colors.titleBackground));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
    const UINT dpi = WindowDpi(item.hwndItem);
    const auto s = [dpi](int value) { return ScaleToDpi(value, dpi); };
    const UniqueGdiObject pen(CreatePen(PS_SOLID, s(2), colors.titleText));
    const HGDIOBJ oldPen = SelectObject(dc, pen.get());
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    switch (id) {
        case layout::kExit:
        case layout::kPicture1:
            MoveToEx(dc, cx - s(5), cy - s(5), nullptr);
            LineTo(dc, cx + s(6), cy + s(6));
            MoveToEx(dc, cx + s(5), cy - s(5), nullptr);
            LineTo(dc, cx - s(6), cy + s(6));
            break;
        case layout::kMaximize: {
            const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, cx - s(5), cy - s(5), cx + s(6), cy + s(6));
            SelectObject(dc, oldBrush);
            break;
        }
        case layout::kPicture3:
            // Hide to the notification area: an arrow down onto a tray line.
            MoveToEx(dc, cx - s(5), cy - s(4), nullptr);
            LineTo(dc, cx, cy + s(1));
            LineTo(dc, cx + s(6), cy - s(5));
            MoveToEx(dc, cx - s(6), cy + s(5), nullptr);
            LineTo(dc, cx + s(7), cy + s(5));
            break;
        default:
            MoveToEx(dc, cx - s(6), cy + s(4), nullptr);
            LineTo(dc, cx + s(7), cy + s(4));
            break;
    }
    SelectObject(dc, oldPen);
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
