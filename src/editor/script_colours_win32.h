// Colours in the script editor as the user types: each piece of a statement in the colour of
// its class, statements the check rejects underlined with a red wave (their fault shows when the
// pointer rests on them), and the faulty lines marked in the gutter. Display only: the
// formatting never enters the undo history, never marks the page as changed, and pages that are
// RTF documents are left as they are. Once the user colours text of a page by hand (操作 ▸
// 设置颜色, 选择字体), that page's colours are theirs: colouring stops for it until another page
// is opened, and the faults still show in the gutter.
#pragma once

#include <windows.h>

#include <richedit.h>
#include <tom.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "editor/line_gutter_win32.h"
#include "editor/script_colouring.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_services_win32.h"
#include "ui/subclass_win32.h"

namespace kavo {

class ScriptEngine;

// Keeps formatting out of the undo history, the page's changed state and the editor's
// notifications, and the selection and the view where they were, for as long as it lives.
class DisplayOnlyFormatting {
  public:
    explicit DisplayOnlyFormatting(HWND editor);
    ~DisplayOnlyFormatting();
    DisplayOnlyFormatting(const DisplayOnlyFormatting&) = delete;
    DisplayOnlyFormatting& operator=(const DisplayOnlyFormatting&) = delete;

  private:
    HWND editor_;
    bool modified_ = false;
    LRESULT eventMask_ = 0;
    CHARRANGE selection_{};
    POINT scroll_{};
    UniqueComInterface<ITextDocument> document_;
};

// Colours the characters [from, to) (the control's own colour when autoColour), with a red wave
// under them when wave; meant to run inside a DisplayOnlyFormatting.
void FormatForDisplay(HWND editor, LONG from, LONG to, COLORREF colour, bool autoColour, bool wave);

// Colours one page line (no line break) that starts at the control's character start: its
// pieces by class, and a red wave under each of the faulty statements. Inside a
// DisplayOnlyFormatting.
void FormatLineForDisplay(HWND editor, LONG start, std::string_view line,
                          const ScriptVocabulary& words, const ScriptPalette& palette,
                          const std::vector<std::string_view>& faultyStatements);

class ScriptColours : public WindowSubclass<ScriptColours> {
  public:
    ScriptColours(MainWindowServices& services, const ScriptEngine& engine, LineGutter& gutter);
    ScriptColours(const ScriptColours&) = delete;
    ScriptColours& operator=(const ScriptColours&) = delete;

    LRESULT HandleSubclassMessage(HWND editor, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    // A fault's statement in the control's characters, for its tip.
    struct FaultSpan {
        LONG from = 0;
        LONG to = 0;
        std::wstring message;
    };

    void OnTextChanged();
    void OnScrolled();
    // The check, then the colouring of the lines on view, after the typing has paused.
    void OnCheckTimer();
    // A slice of the colouring of the lines out of view.
    void OnIdleTimer();
    void OnPointerRested(POINT point);
    void HideTip();
    void WrapColourCommand(int commandId);
    // Colours the page lines [first, last) whose look changed since they were last coloured,
    // until the clock passes deadline; true when none is left.
    bool ColourLines(std::size_t first, std::size_t last, std::uint64_t deadlineUs);
    void ColourVisibleLines();
    void OnViewMoved();
    // The page lines [first, last) on view, from 0.
    std::pair<std::size_t, std::size_t> VisibleLines() const;
    std::string_view LineText(std::size_t line) const;
    std::uint64_t LookOf(std::size_t line) const;
    bool Colouring() const;

    MainWindowServices& services_;
    const ScriptEngine& engine_;
    LineGutter& gutter_;
    HWND window_;
    HWND editor_;
    ScriptVocabulary words_;
    // What the last check saw, valid until the text changes.
    bool checked_ = false;
    RuntimeText script_;
    std::vector<std::size_t> lineBytes_;  // where each page line starts in script_
    std::vector<LONG> lineChars_;         // and in the control's characters
    std::vector<std::vector<const LineFault*>> lineFaults_;
    std::vector<LineFault> faults_;
    std::vector<FaultSpan> faultSpans_;
    // What each line was last coloured as (0: not coloured), for the page of generation_.
    std::vector<std::uint64_t> looks_;
    std::uint64_t generation_ = std::numeric_limits<std::uint64_t>::max();
    ScriptPalette palette_{};
    std::uint64_t userColoured_ = std::numeric_limits<std::uint64_t>::max();
    // The page lines (from 1) edits touched since the last check.
    int touchedFrom_ = std::numeric_limits<int>::max();
    int touchedTo_ = 0;
    UniqueWindow tip_;
    std::wstring tipText_;
    POINT lastPointer_{-1, -1};
};

}  // namespace kavo
