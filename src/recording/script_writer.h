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
RuntimeText WriteRecording(const std::vector<RecordedEvent>& events,
                           const RecordingOptions& options);

}  // namespace kavo
