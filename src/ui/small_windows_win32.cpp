#include "ui/small_windows_win32.h"

#include "ui/color_pick_window_win32.h"
#include "ui/confirm_dialog_win32.h"
#include "ui/input_dialog_win32.h"

namespace kavo {
namespace {

// The colour last picked in this run: the next question starts there.
ColorRef g_pickedColor = 0;

}  // namespace

TextAnswer AskText(HWND owner, const Utf8Text& title, const Utf8Text& prompt) {
    return InputDialog::Ask(owner, title, prompt);
}

bool AskConfirm(HWND owner, const Utf8Text& message, ConfirmDefault defaultButton) {
    return ConfirmDialog::Ask(owner, message, defaultButton);
}

ColorAnswer ColorPickDialog(HWND owner) {
    const ColorAnswer answer = ColorPickWindow::Ask(owner, g_pickedColor);
    if (!answer.cancelled) g_pickedColor = answer.color;
    return answer;
}

}  // namespace kavo
