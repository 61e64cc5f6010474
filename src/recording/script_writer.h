// Turns a recording into statements of the script language that play it back: readable and
// editable, one statement a line.
//
// - A click becomes 鼠标移动(x,y) to its point and 鼠标(左键), 鼠标(右键) or 鼠标(中键); a press
//   and release apart (a drag, or anything between them) becomes 鼠标(左键按下) … 鼠标(左键弹起).
//   A pointer that got there faster than the glide of one pixel a millisecond allows is placed
//   with 鼠标定位(x,y) instead.
// - The wheel becomes 鼠标(滚轮上) or 鼠标(滚轮下), one a notch, at the pointer's point.
// - Letters and digits typed one after another with nothing held become 按键(text,interval)
//   (按键 presses each byte's own key, upper-cased, without Shift: "a" and "A" both press A);
//   every other key tapped alone becomes 特殊按键(code); a key held while others go down (Ctrl
//   for Ctrl+C, Shift for a capital) becomes 按住(code) … 松开(code).
// - The pauses between become 延时(ms); a pause shorter than the threshold is left out, and the
//   time a following 鼠标移动 glides is taken off its pause, so that playback keeps the rhythm.
#pragma once

#include <vector>

#include "recording/recorded_input.h"
#include "text/runtime_text.h"

namespace kavo {

// The statements, GBK, lines ended with CR LF.
RuntimeText WriteRecording(std::vector<RecordedEvent> events, const RecordingOptions& options);

// What of the pointer's moves the statements need, for a recording that keeps only that much:
// - the path (when kept) goes through the first move and then the first one at least
//   PathIntervalMs after the last taken, counting every move;
// - between a button's press and its release, whether any move strays beyond
//   NearEnoughForAClick of the press (a drag) or none does (a click);
// - where the pointer was last heard of, for a button still held at the end.
std::uint64_t PathIntervalMs(const RecordingOptions& options);
bool NearEnoughForAClick(Point a, Point b);

}  // namespace kavo
