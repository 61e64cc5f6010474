#include "editor/editor_font_win32.h"

#include <richedit.h>

#include <algorithm>
#include <map>
#include <string>

#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

struct CachedFont {
    UniqueGdiObject font;
    int height = 0;  // pixels, with the DPI and the zoom in it
    std::wstring face;
};


CachedFont& CachedFontOf(HWND editor) {
    // The editors live as long as the program: their entries are never taken out.
    static std::map<HWND, CachedFont> cache;
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(editor, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    DWORD zoomNumerator = 0;
    DWORD zoomDenominator = 0;
    SendMessageW(editor, EM_GETZOOM, reinterpret_cast<WPARAM>(&zoomNumerator),
                 reinterpret_cast<LPARAM>(&zoomDenominator));
    const int dpi = static_cast<int>(WindowDpi(editor));
    int height = MulDiv(format.yHeight > 0 ? format.yHeight : 9 * 20, dpi, 1440);
    if (zoomNumerator > 0 && zoomDenominator > 0)
        height = MulDiv(height, static_cast<int>(zoomNumerator), static_cast<int>(zoomDenominator));
    height = std::max(height, 6);
    const std::wstring face = format.szFaceName[0] != L'\0' ? format.szFaceName : L"宋体";
    CachedFont& cached = cache[editor];
    if (!cached.font || height != cached.height || face != cached.face) {
        LOGFONTW font{};
        font.lfHeight = -height;
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = GB2312_CHARSET;
        font.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
        cached.font.reset(CreateFontIndirectW(&font));
        cached.height = height;
        cached.face = face;
    }
    return cached;
}

}  // namespace

HFONT EditorFontOf(HWND editor) {
    return static_cast<HFONT>(CachedFontOf(editor).font.get());
}

int EditorFontHeightOf(HWND editor) {
    return CachedFontOf(editor).height;
}

}  // namespace kavo
