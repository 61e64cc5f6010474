// The small windows other features open: the modal questions (a name, yes or no, a colour), the
// about and key-code windows, and the opening animation every animated small window plays.
//
// All of them run on the user-interface thread. The asking functions block until the window
// closes (a modal loop of their own, the owner disabled meanwhile); closing a window by other
// means than its buttons (Escape, Alt+F4) counts as 取消.
#pragma once

#include <windows.h>

#include "app/main_window_colors.h"
#include "editor/bounce_in.h"
#include "platform/platform.h"

namespace kavo {

// The title strips of the small windows take the main window's title colours when they open.
// Set once when the main window is ready; until then the default colours are used.
void UseTitleColorsOf(const MainWindowColors* colors);

struct TextAnswer {
    Utf8Text text;  // what was typed (UTF-8); meaningful only when not cancelled
    bool cancelled = true;
};

// The InputDialog: title on the title strip, prompt above an empty edit box, 确定 and 取消.
// An empty text with 确定 is an answer like any other.
TextAnswer AskText(HWND owner, const Utf8Text& title, const Utf8Text& prompt);

// The ConfirmDialog titled "温馨提示": true for 确定, false for 取消 or any other close.
bool AskConfirm(HWND owner, const Utf8Text& message);

struct ColorAnswer {
    ColorRef color = 0;  // Windows colour value, red in the low byte
    bool cancelled = true;
};

// The ColorPickDialog: "请选择你需要的颜色值！" and a colour button that opens the system's colour
// chooser. The picker starts at the colour last picked in this run (black at first).
ColorAnswer ColorPickDialog(HWND owner);

// The modeless windows; a second call brings the open one forward.
void ShowAboutWindow(HWND owner);
void ShowKeyCodeWindow(HWND owner);

// For windows of other features that open with the animation: place the window at 50, 50 and
// call StartBounceIn once it exists; call BounceInTick from its WM_TIMER for timerId. The tick
// moves the window and stops the timer after the kind's 51st step.
void StartBounceIn(HWND window, UINT_PTR timerId);
void BounceInTick(HWND window, BounceWindowKind kind, UINT_PTR timerId);

}  // namespace kavo
