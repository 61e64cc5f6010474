// What the program tells the user about a run: the notification-area texts, and where a line of
// the script lies in the editor (to select a faulty line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/platform.h"

namespace kavo {

// The notification-area icon's tip while a script runs, and otherwise.
Utf8Text RunningTip(std::string_view stopKeyName);
Utf8Text IdleTip();

// The balloon after a stop: its title, and a text naming the line the run was on (from 1; 0
// when it had not reached any) with that line as written (GBK script, CR LF line ends).
Utf8Text StoppedTitle();
Utf8Text StoppedText(std::string_view script, int line);
// The balloon's text after a run stopped because no window matched a description (GBK, as
// written) on the line (from 1).
Utf8Text WindowNotFoundText(std::string_view description, int line);
// The balloon's text after 等待窗口 waited its longest (milliseconds) and no window matched the
// description (GBK, as written) on the line (from 1).
Utf8Text WindowWaitTimedOutText(std::string_view description, std::int32_t waitedMs, int line);
// The balloon's text after 激活窗口 could not bring the window (GBK, as written) to the front on
// the line (from 1).
Utf8Text WindowNotActivatedText(std::string_view window, int line);
// The balloon's text after 激活窗口 found the window's thread not answering.
Utf8Text WindowNotRespondingText(std::string_view window, int line);

// The balloon's text after the program failed inside a run (what: the failure, UTF-8) on the
// line (from 1; 0 before any).
Utf8Text RunFailedText(const Utf8Text& what, int line);

// Positions in an editor that counts every character, double-byte ones included, as one, and a
// line break (CR LF, or LF or CR alone) as one.
struct EditorSpan {
    std::size_t start = 0;
    std::size_t end = 0;  // the line's end, before its line break
    friend bool operator==(const EditorSpan&, const EditorSpan&) = default;
};
// Where the line (from 1) of the GBK text lies; nothing when the text has no such line.
std::optional<EditorSpan> LineSpan(std::string_view gbk, int line);

}  // namespace kavo
