#include "app/roll_up_panel_win32.h"

#include "platform/win32/dpi_win32.h"

namespace kavo {
namespace {
constexpr wchar_t kClassName[] = L"KavoRollUpPanel";
}

bool RollUpPanel::Create(HWND parent, int id, int x, int y, int width, int fullHeight) {
    designFullHeight_ = fullHeight;
    if (!RegisterClassOnce(kClassName, nullptr, nullptr)) return false;
    const UINT dpi = WindowDpi(parent);
    return CreateWindowFor(WS_EX_CONTROLPARENT, kClassName, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                           ScaleToDpi(x, dpi), ScaleToDpi(y, dpi), ScaleToDpi(width, dpi),
                           ScaleToDpi(fullHeight, dpi), parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

int RollUpPanel::FullHeight() const {
    return ScaleToDpi(designFullHeight_, WindowDpi(Handle()));
}

int RollUpPanel::CurrentHeight() const {
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    return rect.bottom - rect.top;
}

void RollUpPanel::Toggle() {
    // Open is anything taller than the header: a move to a monitor of another DPI rescales the
    // panel with its own rounding.
    const int header = ScaleToDpi(kHeaderHeight, WindowDpi(Handle()));
    const int height = CurrentHeight() > header ? header : FullHeight();
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // What the panel uncovers belongs to the window below it.
    HWND parent = GetParent(Handle());
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void RollUpPanel::SetBackground(COLORREF color) {
    if (brush_ && color == background_) return;
    background_ = color;
    brush_.reset(CreateSolidBrush(color));
    InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT RollUpPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return SendMessageW(GetParent(Handle()), message, wParam, lParam);
        case WM_ERASEBKGND: {
            if (!brush_) brush_.reset(CreateSolidBrush(background_));
            RECT rect{};
            GetClientRect(Handle(), &rect);
            FillRect(reinterpret_cast<HDC>(wParam), &rect, static_cast<HBRUSH>(brush_.get()));
            return 1;
        }
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
