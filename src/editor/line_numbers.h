// Line numbers of the script editor: which page line a character of the control lies on, kept
// cheap for long pages. The control wraps long lines, so its own line count is of rows on
// screen, not of page lines; page lines end at the control's paragraph breaks (CR).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo {

// Counts paragraph breaks before a character position of the control, reading only what
// changed since the last answer: the count at one position (the anchor) is kept, moves with the
// view, and is thrown away when an edit may have touched the text before it.
class ParagraphIndex {
  public:
    // Reads the control's characters [from, to) (UTF-16).
    using ReadRange = std::function<std::u16string(long from, long to)>;
    explicit ParagraphIndex(ReadRange read) : read_(std::move(read)) {}

    // The page line (from 1) of the character at position.
    int LineOf(long position);
    // An edit happened whose lowest changed or selected character was at position (the lowest
    // selection start seen since the last answer): counts before it stay, counts after it go.
    void TextChangedFrom(long position);
    // The whole text was replaced.
    void Reset();

  private:
    ReadRange read_;
    long anchor_ = 0;  // the count of breaks before anchor_ is breaksBefore_
    int breaksBefore_ = 0;
};

// Digits the gutter makes room for: at least two, so that it does not widen at line 10.
int GutterDigits(long lineCount);

// A key for what colouring and marking made of one page line: its bytes and its faults'
// texts. Equal keys need no new formatting.
std::uint64_t LineLookKey(std::string_view line, std::string_view faults);

// What each line was last coloured as, carried over an edit: lines before the touched ones keep
// their place, lines after them moved by the change in the line count, and the touched lines
// (from 1, widened by that change, since a later edit above may have moved them) are coloured
// again (0). With nothing touched and a new count, every line is coloured again.
std::vector<std::uint64_t> CarriedLooks(const std::vector<std::uint64_t>& old, std::size_t newCount,
                                        int touchedFrom, int touchedTo);

}  // namespace kavo
