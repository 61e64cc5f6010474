// Completion in the script editor: typing the start of a command word offers the words it can
// become, each with its argument form, in a small list just below the caret. The list never
// takes the focus from the editor and never takes a key the user meant as text: while it is
// closed every key reaches the editor unchanged.
//
// While the list is open: Up and Down choose an entry (none is chosen when it opens); Tab
// inserts the chosen entry, or the first; Enter inserts the chosen entry, and is a new line when
// none is chosen; Escape closes; a click on an entry inserts it. Moving the caret away, losing
// the focus, scrolling or a new page closes the list. An insertion replaces the typed start with
// the word and its brackets, caret between them, as one step of the undo history.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/script_colouring.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_services_win32.h"
#include "ui/subclass_win32.h"
#include "ui/window_base_win32.h"

namespace kavo {

// The pop-up list of offers. It is never activated: clicks on it leave the focus where it was.
class CompletionList : public WindowBase<CompletionList> {
  public:
    // The title of the list's window, for finding it from outside.
    static constexpr wchar_t kTitle[] = L"命令补全";

    // picked: an entry was clicked, by its index.
    explicit CompletionList(std::function<void(int)> picked);
    ~CompletionList();
    CompletionList(const CompletionList&) = delete;
    CompletionList& operator=(const CompletionList&) = delete;

    // Shows entries with their left edge at anchor.x, below anchor.y, or ending at lineTop when
    // there is no room below on anchor's monitor. The font stays the caller's.
    void Show(HWND owner, std::vector<std::wstring> entries, POINT anchor, int lineTop, HFONT font,
              COLORREF background, UINT dpi);
    void Hide();
    bool Shown() const;
    // -1: none chosen.
    void Choose(int index);
    int Chosen() const { return chosen_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void OnPaint();
    void OnLeftButtonDown(LPARAM lParam);
    RECT RowRect(int index) const;

    std::function<void(int)> picked_;
    std::vector<std::wstring> entries_;
    int chosen_ = -1;
    HFONT font_ = nullptr;
    COLORREF background_ = 0xFFFFFF;
    int rowHeight_ = 16;
    int padding_ = 4;
};

// Completion for one rich edit control, through a subclass of it.
class EditorCompletion : private WindowSubclass<EditorCompletion> {
  public:
    // words: what it offers. mayOffer: false while offers must not open (a recording goes on);
    // background: the list's colour. Either may be empty.
    EditorCompletion(HWND editor, ScriptVocabulary words, std::function<bool()> mayOffer = {},
                     std::function<COLORREF()> background = {});
    ~EditorCompletion();
    EditorCompletion(const EditorCompletion&) = delete;
    EditorCompletion& operator=(const EditorCompletion&) = delete;

    bool IsOpen() const { return list_.Shown(); }
    // What the open list offers, in its order.
    const std::vector<const CommandWord*>& Offers() const { return offers_; }
    int Chosen() const { return list_.Chosen(); }
    HWND ListWindow() const { return list_.Handle(); }
    // Inserts the offer at index as a click on it would.
    void Insert(int index);
    void Close();

  private:
    friend WindowSubclass<EditorCompletion>;
    LRESULT HandleSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A key while the list is open; false lets the editor have it.
    bool OnKeyWhileOpen(WPARAM key);
    // After text was typed or taken away: offers for the word before the caret, or none.
    void Refresh(bool mayOpen);
    CHARRANGE Selection() const;
    void Place();

    HWND editor_;
    ScriptVocabulary words_;
    std::function<bool()> mayOffer_;
    std::function<COLORREF()> background_;
    CompletionList list_;
    std::vector<const CommandWord*> offers_;
    // The typed start of the word: the editor's characters [wordStart_, caret_).
    LONG wordStart_ = 0;
    LONG caret_ = 0;
    std::wstring typed_;
    // The character a key taken by the list would still bring (Tab, Enter, Escape): the key's
    // WM_CHAR follows its WM_KEYDOWN and must not reach the editor.
    WPARAM swallowChar_ = 0;
};

// The feature: completion in the main window's script editor, closed when the window moves or
// goes inactive, and not offered while a recording goes on.
class ScriptCompletion {
  public:
    ScriptCompletion(MainWindowServices& services, std::function<bool()> recording);
    ScriptCompletion(const ScriptCompletion&) = delete;
    ScriptCompletion& operator=(const ScriptCompletion&) = delete;

  private:
    EditorCompletion completion_;
};

}  // namespace kavo
