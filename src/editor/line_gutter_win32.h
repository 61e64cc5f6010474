// Line numbers beside the script editor, with marks on lines: the faults the check finds as the
// user types, the line of a 脚本错误 and the line a stopped run was on. The gutter is a window of
// its own over the left edge of the editor's text area (the editor's left margin makes room),
// so the editor keeps its place; it follows the editor's scrolling, zoom, font and DPI by
// looking again whenever the editor paints.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/line_numbers.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_services_win32.h"
#include "ui/subclass_win32.h"
#include "ui/window_base_win32.h"

namespace kavo {

enum class RunLineMark { None, ScriptFault, Stopped };

class LineGutter : public WindowBase<LineGutter>, public WindowSubclass<LineGutter> {
  public:
    explicit LineGutter(MainWindowServices& services);
    ~LineGutter();
    LineGutter(const LineGutter&) = delete;
    LineGutter& operator=(const LineGutter&) = delete;

    // Lines (from 1) the check finds faulty, in any order.
    void SetFaultLines(std::vector<int> lines);
    // Where a run stopped or what line a 脚本错误 named; kept until the text changes or another
    // page is opened. RunLineMark::None takes it away.
    void SetRunMark(int line, RunLineMark mark);
    // The page line (from 1) of a character of the editor.
    int LineOfCharacter(long position) { return index_.LineOf(position); }
    // Told when the editor's view moved (scrolling by any means, zoom, a new font).
    void SetViewObserver(std::function<void()> observer) { viewMoved_ = std::move(observer); }
    // The lowest character the last edit of the text may have touched.
    long LastChangeFrom() const { return lastChangeFrom_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleSubclassMessage(HWND editor, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    // What a painted gutter showed; a paint of the editor that changes it repaints the gutter.
    struct View {
        long firstRow = -1;
        long firstY = 0;
        long rows = 0;
        int fontHeight = 0;
        bool operator==(const View&) const = default;
    };

    void OnPaint();
    void OnClick(int y);
    void Describe(int firstShown, int lastShown);
    void OnEditorChanged();
    void OnSelectionChanged(const CHARRANGE& selection);
    void OnEditorPainted();
    // Places the gutter over the editor's text area and gives it the width of the last line's
    // number in the editor's font.
    void Layout();
    View CurrentView();
    void DropMarksOfAnotherText();

    MainWindowServices& services_;
    HWND editor_;
    ParagraphIndex index_;
    long lowestSelection_ = 0;
    long lastChangeFrom_ = 0;
    std::uint64_t generation_ = 0;
    std::vector<int> faultLines_;
    int runLine_ = 0;
    RunLineMark runMark_ = RunLineMark::None;
    int fontHeight_ = 0;  // pixels, of the editor's font when last laid out
    int width_ = 0;
    int digits_ = 2;  // of the page's last line number, set before a page's text goes in
    View painted_;
    std::function<void()> viewMoved_;
    std::wstring described_;
};

}  // namespace kavo
