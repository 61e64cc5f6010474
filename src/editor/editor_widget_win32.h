// The library's EditorWidget over a rich edit control (RICHEDIT50W of msftedit.dll), with GBK
// (code page 936) texts at the library's side and UTF-16 at the control's.
//
// Use from the control's thread: Win32EditorWidget editor(richEditHwnd). The constructor sets the
// control up, in one place: no limit on the text's length (long pages load whole), the
// notifications the features hear, and web addresses detected as links.
//
// The widget is the one owner of the control's notifications: the main window hands them over
// (OnCommand, OnNotify), and the features hear them as the typed events of Events().
#pragma once

#include <windows.h>
#include <richedit.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "editor/editor_widget.h"
#include "ui/event_list.h"

namespace kavo {

// What the editor control reports, heard in the order the features subscribed (the order of
// app/features_win32.h).
struct EditorEvents {
    // The text changed (EN_CHANGE). In order: the line gutter (counts the lines again), the
    // colouring (asks the gutter which lines show).
    EventList<void()> textChanged;
    // The view scrolled by the scroll bar (EN_VSCROLL). Subscribers: the colouring.
    EventList<void()> scrolled;
    // The selection or caret moved (EN_SELCHANGE). Subscribers: the line gutter.
    EventList<void(const CHARRANGE&)> selectionChanged;
    // The mouse acted on a detected web address (EN_LINK). Subscribers: the editor commands.
    EventList<void(const ENLINK&)> linkActed;
};

class Win32EditorWidget : public EditorWidget {
  public:
    explicit Win32EditorWidget(HWND richEdit);

    EditorEvents& Events() { return events_; }
    // The control's WM_COMMAND notification code and its WM_NOTIFY, from the main window.
    void OnCommand(int notificationCode);
    std::optional<LRESULT> OnNotify(const NMHDR& header);

    HWND Handle() const { return editor_; }

    // The whole plain text with CR LF line ends (the control keeps a line break as CR alone;
    // WM_GETTEXT is the reading that gives CR LF back), converted to GBK.
    RuntimeText ReadText() override;
    // Replaces the whole text as plain text, never as RTF, even when it begins with "{\rtf".
    // Clears the undo history: the text is a new page.
    void ReplaceText(const RuntimeText& text) override;
    // The same in UTF-8: every character the control holds, GBK or not.
    std::string ReadUtf8Text() override;
    void ReplaceUtf8Text(const std::string& text) override;
    // Counts the replacements: what is shown about a page (marks, colours) belongs to one.
    std::uint64_t Generation() const { return generation_; }
    // Told of a new page's text just before it goes in (one observer).
    void SetReplacingObserver(std::function<void(const RuntimeText&)> observer) {
        replacing_ = std::move(observer);
    }

  private:
    // Replaces the whole text and clears the undo history.
    void StreamIn(const std::wstring& wide);

    HWND editor_;
    EditorEvents events_;
    std::uint64_t generation_ = 0;
    std::function<void(const RuntimeText&)> replacing_;
};

// The script editor's default look: 微软雅黑 9 points, automatic colour, no effects, 2 points of
// left indent.
void ApplyEditorDefaultLook(HWND editor);

}  // namespace kavo
