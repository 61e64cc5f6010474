#include "editor/rich_edit_find_win32.h"

#include <commdlg.h>
#include <richedit.h>

#include <string>

#include "text/wide.h"

namespace kavo {

int RichEditFind::TextLength() {
    // Positions, not the CR LF reading of WM_GETTEXTLENGTH: a line break is one position.
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(
        SendMessageW(editor_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

int RichEditFind::Find(const RuntimeText& text, int from, int to) {
    const std::wstring wide = GbkToWide(text);
    FINDTEXTEXW find{};
    find.chrg.cpMin = from;
    find.chrg.cpMax = to;
    find.lpstrText = wide.c_str();
    return static_cast<int>(SendMessageW(editor_, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE,
                                         reinterpret_cast<LPARAM>(&find)));
}

int RichEditFind::SelectionStart() {
    CHARRANGE range{};
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMin;
}

void RichEditFind::Select(int start, int length) {
    CHARRANGE range{start, start + length};
    SendMessageW(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(editor_, EM_SCROLLCARET, 0, 0);
}

void RichEditFind::Focus() {
    SetFocus(editor_);
}

RuntimeText ControlTextGbk(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return WideToGbk(text);
}

}  // namespace kavo
