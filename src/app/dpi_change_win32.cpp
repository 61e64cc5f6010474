#include "app/dpi_change_win32.h"

#include <map>
#include <memory>
#include <vector>

#include "library/tree_widget_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_layout.h"

namespace kavo {
namespace {

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// Its place within its parent, from what it is now.
void RescalePlace(HWND control, UINT oldDpi, UINT newDpi) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    const auto r = [&](int value) { return RescaleForDpi(value, oldDpi, newDpi); };
    SetWindowPos(control, nullptr, r(rect.left), r(rect.top), r(rect.right - rect.left),
                 r(rect.bottom - rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
}

// Controls sharing a font share its rescaled one.
void RescaleFont(HWND control, UINT oldDpi, UINT newDpi, std::map<HFONT, HFONT>& rescaled,
                 std::vector<UniqueGdiObject>& owned) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (font == nullptr) return;
    auto found = rescaled.find(font);
    if (found == rescaled.end()) {
        LOGFONTW description{};
        if (GetObjectW(font, sizeof description, &description) == 0) return;
        description.lfHeight = RescaleForDpi(description.lfHeight, oldDpi, newDpi);
        description.lfWidth = RescaleForDpi(description.lfWidth, oldDpi, newDpi);
        owned.emplace_back(CreateFontIndirectW(&description));
        found = rescaled.emplace(font, static_cast<HFONT>(owned.back().get())).first;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(found->second), TRUE);
}

}  // namespace

DpiChange::DpiChange(MainWindowServices& services)
    : services_(services), dpi_(WindowDpi(services.Window())) {
    services.Events().dpiChanged.Subscribe(
        [this](UINT dpi, const RECT& suggested) { OnDpiChanged(dpi, suggested); });
}

void DpiChange::OnDpiChanged(UINT newDpi, const RECT& suggested) {
    const UINT oldDpi = dpi_;
    dpi_ = newDpi;
    SetWindowPos(services_.Window(), nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (oldDpi == newDpi) return;
    std::vector<UniqueGdiObject> fonts;
    std::map<HFONT, HFONT> rescaledFonts;
    for (const auto& place : layout::kControls) {
        HWND control = services_.Control(place.id);
        if (control == nullptr) continue;
        RescalePlace(control, oldDpi, newDpi);
        RescaleFont(control, oldDpi, newDpi, rescaledFonts, fonts);
    }
    // The fonts made for the previous DPI are no longer used by any control.
    fonts_ = std::move(fonts);
    treeImages_ = CreateLibraryImageList(newDpi);
    services_.Tree().SetImageList(static_cast<HIMAGELIST>(treeImages_.get()));
    RedrawWindow(services_.Window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace kavo
