#include "editor/editor_widget_win32.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text/wide.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

// Feeds a UTF-16 text to EM_STREAMIN in the pieces the control asks for.
struct StreamSource {
    const char* bytes = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
};

DWORD CALLBACK ReadStreamSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t left = source->size - source->offset;
    // Whole UTF-16 units only, and never a CR LF cut in two: the control would take the halves
    // for two line breaks.
    std::size_t count = std::min<std::size_t>(left, static_cast<std::size_t>(wanted));
    count -= count % sizeof(wchar_t);
    if (count >= 2 * sizeof(wchar_t) && count < left) {
        wchar_t last = 0;
        wchar_t next = 0;
        std::memcpy(&last, source->bytes + source->offset + count - sizeof(wchar_t),
                    sizeof(wchar_t));
        std::memcpy(&next, source->bytes + source->offset + count, sizeof(wchar_t));
        if (last == L'\r' && next == L'\n') count -= sizeof(wchar_t);
    }
    std::memcpy(buffer, source->bytes + source->offset, count);
    source->offset += count;
    *given = static_cast<LONG>(count);
    return 0;
}

}  // namespace

Win32EditorWidget::Win32EditorWidget(HWND richEdit) : editor_(richEdit) {
    SendMessageW(editor_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    const LRESULT mask = SendMessageW(editor_, EM_GETEVENTMASK, 0, 0);
    SendMessageW(editor_, EM_SETEVENTMASK, 0,
                 mask | ENM_CHANGE | ENM_SCROLL | ENM_SELCHANGE | ENM_LINK);
    SendMessageW(editor_, EM_AUTOURLDETECT, TRUE, 0);
}

void Win32EditorWidget::OnCommand(int notificationCode) {
    if (notificationCode == EN_CHANGE) events_.textChanged.Raise();
    if (notificationCode == EN_VSCROLL) events_.scrolled.Raise();
}

std::optional<LRESULT> Win32EditorWidget::OnNotify(const NMHDR& header) {
    if (header.code == EN_SELCHANGE)
        events_.selectionChanged.Raise(reinterpret_cast<const SELCHANGE&>(header).chrg);
    if (header.code == EN_LINK) events_.linkActed.Raise(reinterpret_cast<const ENLINK&>(header));
    return std::nullopt;
}

void ApplyEditorDefaultLook(HWND editor) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE |
                    CFM_STRIKEOUT | CFM_CHARSET;
    format.dwEffects = CFE_AUTOCOLOR;
    format.yHeight = 9 * 20;
    format.bCharSet = GB2312_CHARSET;
    lstrcpynW(format.szFaceName, L"微软雅黑", LF_FACESIZE);
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    PARAFORMAT2 paragraph{};
    paragraph.cbSize = sizeof paragraph;
    paragraph.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT;
    paragraph.dxStartIndent = 40;
    paragraph.wAlignment = PFA_LEFT;
    SendMessageW(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
}

RuntimeText Win32EditorWidget::ReadText() {
    return WideToGbk(ReadWholeText(editor_));
}

void Win32EditorWidget::ReplaceText(const RuntimeText& text) {
    ++generation_;
    if (replacing_) replacing_(text);
    StreamIn(GbkToWide(text));
}

std::string Win32EditorWidget::ReadUtf8Text() {
    return WideToUtf8(ReadWholeText(editor_));
}

void Win32EditorWidget::ReplaceUtf8Text(const std::string& text) {
    ++generation_;
    const std::wstring wide = Utf8ToWide(text);
    // The observer takes GBK; characters GBK lacks reach it as '?'.
    if (replacing_) replacing_(WideToGbk(wide));
    StreamIn(wide);
}

void Win32EditorWidget::StreamIn(const std::wstring& wide) {
    // A plain-text stream: WM_SETTEXT and EM_SETTEXTEX would read a text that begins with
    // "{\rtf" as formatted text.
    StreamSource source{reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t),
                        0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStreamSource;
    SendMessageW(editor_, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(editor_, EM_EMPTYUNDOBUFFER, 0, 0);
}

}  // namespace kavo
