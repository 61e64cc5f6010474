// The editor's text font as the editor shows it now: its default face and size, at the editor's
// DPI and zoom. The line gutter and the completion list draw with it, so that both match the
// text beside them at any zoom. One cache per editor, made anew only when one of those changed.
// User-interface thread only.
#pragma once

#include <windows.h>

namespace kavo {

HFONT EditorFontOf(HWND editor);
// The height in pixels of that font (as EditorFontOf makes it now).
int EditorFontHeightOf(HWND editor);

}  // namespace kavo
