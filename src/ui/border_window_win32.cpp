#include "ui/border_window_win32.h"

#include <cstring>

#include "ui/shadow_band.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"
#include "ui/gdi_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoBorderWindow";

}  // namespace

BorderWindow::~BorderWindow() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

bool BorderWindow::Create(HWND owner, int band) {
    owner_ = owner;
    designBand_ = band;
    if (!RegisterClassOnce(kClassName, nullptr, nullptr)) return false;
    // The system menu style draws nothing without a caption; it makes window managers under
    // Wine stack the band with its owner instead of above every other window.
    if (CreateWindowFor(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"",
                        WS_POPUP | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr) == nullptr)
        return false;
    FollowOwner();
    return true;
}

void BorderWindow::FollowOwner() {
    if (Handle() == nullptr) return;
    if (owner_ == nullptr || !IsWindowVisible(owner_) || IsIconic(owner_) || IsZoomed(owner_)) {
        ShowWindow(Handle(), SW_HIDE);
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
    SetWindowPos(Handle(), nullptr, where.x, where.y, width + 2 * band, height + 2 * band,
                 SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void BorderWindow::Raise() {
    if (Handle() == nullptr || !IsWindowVisible(Handle())) return;
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

bool BorderWindow::DrawFor(int ownerWidth, int ownerHeight, int band, POINT where) {
    const ShadowPlane plane = ShadowBand(ownerWidth, ownerHeight, band);
    if (plane.alpha.empty()) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = plane.width;
    info.bmiHeader.biHeight = -plane.height;  // top row first, as the plane is
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueGdiObject picture(
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    if (!picture || !memory || bits == nullptr) return false;
    // Premultiplied BGRA: the shadow is black, so only its alpha is set. The owner's own
    // rectangle is fully transparent as well as cut out of the shape below: where a window
    // region is not honoured for layered windows, the owner still shows through.
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < plane.height; ++y) {
        for (int x = 0; x < plane.width; ++x) {
            const bool inside =
                x >= band && x < band + ownerWidth && y >= band && y < band + ownerHeight;
            pixels[y * plane.width + x] = inside ? 0u : std::uint32_t{plane.At(x, y)} << 24;
        }
    }
    BOOL updated = FALSE;
    {
        const ScopedSelection pictureSelection(memory.get(), picture.get());
        SIZE size{plane.width, plane.height};
        POINT origin{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        updated = UpdateLayeredWindow(Handle(), nullptr, &where, &size, memory.get(), &origin, 0,
                                      &blend, ULW_ALPHA);
    }
    if (!updated) return false;

    UniqueGdiObject shape(CreateRectRgn(0, 0, plane.width, plane.height));
    const UniqueGdiObject middle(CreateRectRgn(band, band, band + ownerWidth, band + ownerHeight));
    CombineRgn(static_cast<HRGN>(shape.get()), static_cast<HRGN>(shape.get()),
               static_cast<HRGN>(middle.get()), RGN_DIFF);
    // The window owns its shape from here on.
    if (SetWindowRgn(Handle(), static_cast<HRGN>(shape.get()), TRUE)) shape.release();
    drawnFor_ = {ownerWidth, ownerHeight};
    bandPixels_ = band;
    return true;
}

LRESULT BorderWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;  // the band never takes the focus from its owner
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
