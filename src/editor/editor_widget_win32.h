// The library's EditorWidget over a rich edit control (RICHEDIT50W of msftedit.dll), with GBK
// (code page 936) texts at the library's side and UTF-16 at the control's.
//
// Use from the control's thread: Win32EditorWidget editor(richEditHwnd). The constructor lifts
// the control's 32K text limit so that long pages load whole.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "editor/editor_widget.h"

namespace kavo {

class Win32EditorWidget : public EditorWidget {
  public:
    explicit Win32EditorWidget(HWND richEdit);

    HWND Handle() const { return editor_; }

    // The whole plain text with CR LF line ends (the control keeps a line break as CR alone;
    // WM_GETTEXT is the reading that gives CR LF back), converted to GBK.
    RuntimeText ReadText() override;
    // Replaces the whole text as plain text, never as RTF, even when it begins with "{\rtf".
    // Clears the undo history: the text is a new page.
    void ReplaceText(const RuntimeText& text) override;
    // Counts the replacements: what is shown about a page (marks, colours) belongs to one.
    std::uint64_t Generation() const { return generation_; }
    // Told of a new page's text just before it goes in (one observer).
    void SetReplacingObserver(std::function<void(const RuntimeText&)> observer) {
        replacing_ = std::move(observer);
    }

  private:
    HWND editor_;
    std::uint64_t generation_ = 0;
    std::function<void(const RuntimeText&)> replacing_;
};

}  // namespace kavo
