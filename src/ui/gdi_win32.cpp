#include "ui/gdi_win32.h"

#include "platform/win32/dpi_win32.h"

namespace kavo {

void FillColor(HDC dc, const RECT& rect, COLORREF color) {
    const UniqueGdiObject brush(CreateSolidBrush(color));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

void FrameColor(HDC dc, const RECT& rect, COLORREF color) {
    const UniqueGdiObject brush(CreateSolidBrush(color));
    FrameRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

UniqueGdiObject MakeUiFont(UINT dpi, int designHeight, bool bold) {
    return UniqueGdiObject(CreateFontW(-ScaleToDpi(designHeight, dpi), 0, 0, 0,
                                       bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"微软雅黑"));
}

}  // namespace kavo
