#include "appearance/settings_page_win32.h"

namespace kavo {
namespace {
constexpr wchar_t kClassName[] = L"KavoSettingsPage";
}

bool SettingsPage::Create(HWND parent, int id, const RECT& place, COLORREF background) {
    brush_.reset(CreateSolidBrush(background));
    if (!RegisterClassOnce(kClassName, nullptr, nullptr)) return false;
    return CreateWindowFor(WS_EX_CONTROLPARENT, kClassName, L"",
                           WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

LRESULT SettingsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return OnEraseBackground(reinterpret_cast<HDC>(wParam));
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return SendMessageW(GetParent(Handle()), message, wParam, lParam);
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

LRESULT SettingsPage::OnEraseBackground(HDC dc) {
    RECT rect{};
    GetClientRect(Handle(), &rect);
    FillRect(dc, &rect, static_cast<HBRUSH>(brush_.get()));
    return 1;
}

}  // namespace kavo
