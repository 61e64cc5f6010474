// The questions other features ask (a name, yes or no, a colour). Each blocks until its window
// closes (a modal loop of its own, the owner disabled meanwhile); closing the window by other
// means than its buttons (Escape, Alt+F4) counts as 取消. User-interface thread only.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "text/color_text.h"

namespace kavo {

struct TextAnswer {
    Utf8Text text;  // what was typed (UTF-8); meaningful only when not cancelled
    bool cancelled = true;
};

// The InputDialog: title on the title strip, prompt above an empty edit box, 确定 and 取消.
// An empty text with 确定 is an answer like any other.
TextAnswer AskText(HWND owner, const Utf8Text& title, const Utf8Text& prompt);

// Which button of the ConfirmDialog Enter presses.
enum class ConfirmDefault { Ok, Cancel };

// The ConfirmDialog titled "温馨提示": true for 确定, false for 取消 or any other close. 取消 is
// the default only for a question whose 确定 throws something away.
bool AskConfirm(HWND owner, const Utf8Text& message,
                ConfirmDefault defaultButton = ConfirmDefault::Ok);

struct ColorAnswer {
    ColorRef color = 0;  // Windows colour value, red in the low byte
    bool cancelled = true;
};

// The ColorPickDialog: "请选择你需要的颜色值！" and a colour button that opens the system's colour
// chooser. The picker starts at the colour last picked in this run (black at first).
ColorAnswer ColorPickDialog(HWND owner);

}  // namespace kavo
