#include "ui/border_window_win32.h"

#include <cstring>
#include <vector>

#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"
#include "ui/gdi_win32.h"
#include "ui/shadow_band.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoBorderWindow";

}  // namespace

BorderWindow::Side::~Side() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

bool BorderWindow::Side::Create(HWND owner) {
    if (!RegisterClassOnce(kClassName, nullptr, nullptr)) return false;
    // The system menu style draws nothing without a caption; it makes window managers under
    // Wine stack the band with its owner instead of above every other window.
    return CreateWindowFor(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"",
                           WS_POPUP | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr) != nullptr;
}

LRESULT BorderWindow::Side::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;  // the band never takes the focus from its owner
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

bool BorderWindow::Create(HWND owner, int band) {
    owner_ = owner;
    designBand_ = band;
    for (Side& side : sides_)
        if (!side.Create(owner)) return false;
    FollowOwner();
    return true;
}

std::array<RECT, 4> BorderWindow::SidesOf(int ownerWidth, int ownerHeight, int band) {
    const int width = ownerWidth + 2 * band;
    const int height = ownerHeight + 2 * band;
    return {{
        {0, 0, width, band},                         // top, corners included
        {0, height - band, width, height},           // bottom, corners included
        {0, band, band, height - band},              // left
        {width - band, band, width, height - band},  // right
    }};
}

void BorderWindow::HideSides() {
    for (Side& side : sides_)
        if (side.Handle() != nullptr) ShowWindow(side.Handle(), SW_HIDE);
}

void BorderWindow::FollowOwner() {
    if (sides_[0].Handle() == nullptr) return;
    if (owner_ == nullptr || !IsWindowVisible(owner_) || IsIconic(owner_) || IsZoomed(owner_)) {
        HideSides();
        return;
    }
    RECT rect{};
    GetWindowRect(owner_, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int band = ScaleToDpi(designBand_, WindowDpi(owner_));
    const POINT where{rect.left - band, rect.top - band};
    if (width != drawnFor_.cx || height != drawnFor_.cy || band != bandPixels_) {
        if (!DrawFor(width, height, band, where)) return;
    }
    const std::array<RECT, 4> places = SidesOf(width, height, band);
    HDWP moves = BeginDeferWindowPos(static_cast<int>(sides_.size()));
    for (std::size_t i = 0; i < sides_.size() && moves != nullptr; ++i) {
        const RECT& place = places[i];
        moves =
            DeferWindowPos(moves, sides_[i].Handle(), nullptr, where.x + place.left,
                           where.y + place.top, place.right - place.left, place.bottom - place.top,
                           SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    if (moves != nullptr) EndDeferWindowPos(moves);
}

void BorderWindow::Raise() {
    for (Side& side : sides_) {
        if (side.Handle() == nullptr || !IsWindowVisible(side.Handle())) continue;
        SetWindowPos(side.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

bool BorderWindow::DrawFor(int ownerWidth, int ownerHeight, int band, POINT where) {
    const ShadowPlane plane = ShadowBand(ownerWidth, ownerHeight, band);
    if (plane.alpha.empty()) return false;
    const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    if (!memory) return false;
    const std::array<RECT, 4> places = SidesOf(ownerWidth, ownerHeight, band);
    for (std::size_t i = 0; i < sides_.size(); ++i) {
        const RECT& place = places[i];
        const int width = place.right - place.left;
        const int height = place.bottom - place.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first, as the plane is
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        const UniqueGdiObject picture(
            CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!picture || bits == nullptr) return false;
        // Premultiplied BGRA: the shadow is black, so only its alpha is set.
        auto* pixels = static_cast<std::uint32_t*>(bits);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[y * width + x] = std::uint32_t{plane.At(place.left + x, place.top + y)}
                                        << 24;
        const ScopedSelection pictureSelection(memory.get(), picture.get());
        POINT at{where.x + place.left, where.y + place.top};
        SIZE size{width, height};
        POINT origin{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (!UpdateLayeredWindow(sides_[i].Handle(), nullptr, &at, &size, memory.get(), &origin, 0,
                                 &blend, ULW_ALPHA))
            return false;
    }
    drawnFor_ = {ownerWidth, ownerHeight};
    bandPixels_ = band;
    return true;
}

}  // namespace kavo
