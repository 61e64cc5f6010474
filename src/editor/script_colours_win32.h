// Colours in the script editor as the user types: each piece of a statement in the colour of
// its class, and statements the script's check rejects underlined with a red wave. Display only:
// the formatting never enters the undo history, never marks the page as changed, and pages
// that are RTF documents are left as they are.
#pragma once

#include <windows.h>

#include <richedit.h>
#include <tom.h>

#include <memory>

#include "app/main_window_services_win32.h"
#include "editor/script_colouring.h"

namespace kavo {

class ScriptEngine;

// Keeps formatting out of the undo history and the page's changed state, and the selection and
// the view where they were, for as long as it lives.
class DisplayOnlyFormatting {
  public:
    explicit DisplayOnlyFormatting(HWND editor);
    ~DisplayOnlyFormatting();
    DisplayOnlyFormatting(const DisplayOnlyFormatting&) = delete;
    DisplayOnlyFormatting& operator=(const DisplayOnlyFormatting&) = delete;

  private:
    HWND editor_;
    bool modified_ = false;
    CHARRANGE selection_{};
    POINT scroll_{};
    ITextDocument* document_ = nullptr;
};

// Colours the characters [from, to) (the control's own colour when autoColour), with a red wave
// under them when wave; meant to run inside a DisplayOnlyFormatting.
void FormatForDisplay(HWND editor, LONG from, LONG to, COLORREF colour, bool autoColour, bool wave);

class ScriptColours {
  public:
    ScriptColours(MainWindowServices& services, const ScriptEngine& engine);
    ScriptColours(const ScriptColours&) = delete;
    ScriptColours& operator=(const ScriptColours&) = delete;

  private:
    void OnTextChanged();
    // The check and colouring of the lines on view, after the typing has paused.
    void OnCheckTimer();
    // Colours the paragraphs of script that reach into the control's characters [fromChar,
    // toChar], and marks their faults.
    void ColourParagraphs(std::string_view script, LONG fromChar, LONG toChar);

    MainWindowServices& services_;
    const ScriptEngine& engine_;
    HWND window_;
    HWND editor_;
    ScriptVocabulary words_;
    bool formatting_ = false;
    std::vector<LineFault> faults_;
};

}  // namespace kavo
