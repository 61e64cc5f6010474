#include "editor/editor_widget_win32.h"

#include <richedit.h>

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
}

RuntimeText Win32EditorWidget::ReadText() {
    return WideToGbk(ReadWholeText(editor_));
}

void Win32EditorWidget::ReplaceText(const RuntimeText& text) {
    // A plain-text stream: WM_SETTEXT and EM_SETTEXTEX would read a text that begins with
    // "{\rtf" as formatted text.
    ++generation_;
    if (replacing_) replacing_(text);
    const std::wstring wide = GbkToWide(text);
    StreamSource source{reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t),
                        0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadStreamSource;
    SendMessageW(editor_, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(editor_, EM_EMPTYUNDOBUFFER, 0, 0);
}

}  // namespace kavo
