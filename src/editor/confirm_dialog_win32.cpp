#include "editor/confirm_dialog_win32.h"

#include "editor/small_window_parts_win32.h"
#include "platform/win32/dpi_win32.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoConfirmDialog";
constexpr wchar_t kTitle[] = L"温馨提示";
constexpr int kTitleId = 101;         // 标签1
constexpr int kMessageId = 102;       // 标签2
constexpr UINT_PTR kBounceTimer = 1;  // 时钟1

}  // namespace

bool ConfirmDialog::Ask(HWND owner, const Utf8Text& message) {
    RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    ConfirmDialog dialog(message);
    const auto place = small_window::PlaceFor(owner, 400, 128);
    if (!dialog.CreateWindowFor(0, kClassName, kTitle, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                                small_window::kStartLeft, small_window::kStartTop, place.width,
                                place.height, owner, nullptr))
        return false;
    small_window::RunModal(dialog.Handle(), owner, dialog.finished_);
    return dialog.accepted_;
}

LRESULT ConfirmDialog::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    look_ = small_window::MakeLook(dpi);
    using small_window::AddControl;
    small_window::AddTitleStrip(Handle(), kTitle, 400, kTitleId, dpi, look_.titleFont.get());
    AddControl(Handle(), L"STATIC", Utf8ToWide(message_).c_str(), SS_LEFT | SS_NOPREFIX, 20, 40,
               360, 32, kMessageId, dpi, look_.font.get());
    HWND ok = AddControl(Handle(), L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 83, 96,
                         25, IDOK, dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 200, 83, 96, 25, IDCANCEL,
               dpi, look_.font.get());
    SetFocus(ok);
    StartBounceIn(Handle(), kBounceTimer);
    return 0;
}

void ConfirmDialog::Finish(bool accepted) {
    if (finished_) return;
    accepted_ = accepted;
    finished_ = true;
}

LRESULT ConfirmDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer =
            small_window::TitleStripMessage(Handle(), message, wParam, lParam, kTitleId, look_))
        return *answer;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) Finish(true);
            if (LOWORD(wParam) == IDCANCEL) Finish(false);
            return 0;
        case WM_TIMER:
            if (wParam == kBounceTimer)
                BounceInTick(Handle(), BounceWindowKind::ConfirmDialog, kBounceTimer);
            return 0;
        case WM_CLOSE:  // Alt+F4 and the like: a cancel
            Finish(false);
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
