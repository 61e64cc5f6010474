#include "editor/small_windows_win32.h"

#include "editor/about_window_win32.h"
#include "editor/color_pick_dialog_win32.h"
#include "editor/confirm_dialog_win32.h"
#include "editor/input_dialog_win32.h"
#include "editor/key_code_window_win32.h"

namespace kavo {
namespace {

// Marks a window whose animation has not ticked yet: its first tick starts the kind's count
// afresh, so a window closed before its 51 steps does not shorten the next one's.
constexpr wchar_t kFreshBounce[] = L"KavoBounceFresh";

// The colour last picked in this run: the next question starts there.
ColorRef g_pickedColor = 0;

}  // namespace

TextAnswer AskText(HWND owner, const Utf8Text& title, const Utf8Text& prompt) {
    return InputDialog::Ask(owner, title, prompt);
}

bool AskConfirm(HWND owner, const Utf8Text& message) {
    return ConfirmDialog::Ask(owner, message);
}

ColorAnswer ColorPickDialog(HWND owner) {
    const ColorAnswer answer = ColorPickWindow::Ask(owner, g_pickedColor);
    if (!answer.cancelled) g_pickedColor = answer.color;
    return answer;
}

void ShowAboutWindow(HWND owner) {
    AboutWindow::Show(owner);
}

void ShowKeyCodeWindow(HWND owner) {
    KeyCodeWindow::Show(owner);
}

void StartBounceIn(HWND window, UINT_PTR timerId) {
    SetPropW(window, kFreshBounce, reinterpret_cast<HANDLE>(1));
    SetTimer(window, timerId, kBounceIntervalMs, nullptr);
}

void BounceInTick(HWND window, BounceWindowKind kind, UINT_PTR timerId) {
    BounceMotion& motion = SharedBounceMotion();
    if (RemovePropW(window, kFreshBounce) != nullptr)
        motion.steps[static_cast<std::size_t>(kind)] = 0;
    RECT rect{};
    GetWindowRect(window, &rect);
    const BounceStepResult step = BounceStep(
        motion, kind, {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top},
        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowPos(window, nullptr, step.left, step.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (step.finished) KillTimer(window, timerId);
}

}  // namespace kavo
