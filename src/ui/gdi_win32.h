// Small drawing helpers: a GDI object selected for a scope, solid fills and frames, and the
// program's interface font.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace kavo {

// Selects object into dc and puts the previous one back when the scope ends.
class ScopedSelection {
  public:
    ScopedSelection(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

void FillColor(HDC dc, const RECT& rect, COLORREF color);
void FrameColor(HDC dc, const RECT& rect, COLORREF color);

// 微软雅黑 at the given design height (pixels at 96 DPI), scaled to dpi.
UniqueGdiObject MakeUiFont(UINT dpi, int designHeight, bool bold = false);

}  // namespace kavo
