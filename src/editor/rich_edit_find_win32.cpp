#include "editor/rich_edit_find_win32.h"

#include <commdlg.h>
#include <richedit.h>

#include <string>

#include "platform/win32/late_function_win32.h"
#include "text/wide.h"
#include "ui/small_window_win32.h"
#include "ui/window_text_win32.h"

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

namespace {
constexpr wchar_t kSearchPrompt[] = L"请输入你要搜索的文本！";
}  // namespace

HWND AddSearchRow(HWND window, int promptId, int boxId, UINT dpi, HGDIOBJ promptFont,
                  HGDIOBJ boxFont) {
    LoadSystemLibrary(L"Msftedit.dll");  // the search box
    small_window::AddControl(window, L"STATIC", kSearchPrompt, SS_LEFT | SS_NOPREFIX, 20, 40, 360,
                             32, promptId, dpi, promptFont);
    return small_window::AddControl(window, MSFTEDIT_CLASS, L"",
                                    WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 19, 82, 365, 24, boxId,
                                    dpi, boxFont);
}

std::optional<RuntimeText> SearchTextOrRefusal(HWND window, int promptId, int boxId) {
    const std::wstring typed = ReadWindowText(GetDlgItem(window, boxId));
    const std::optional<Utf8Text> refusal = RefusalOfTextOutsideGbk(WideToUtf8(typed));
    SetDlgItemTextW(window, promptId, refusal ? Utf8ToWide(*refusal).c_str() : kSearchPrompt);
    if (!refusal) return WideToGbk(typed);
    SetFocus(GetDlgItem(window, boxId));  // to change the text
    return std::nullopt;
}

}  // namespace kavo
