#include "editor/input_dialog_win32.h"

#include "editor/small_window_parts_win32.h"
#include "platform/win32/dpi_win32.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoInputDialog";
constexpr int kTitleId = 101;         // 标签1
constexpr int kPromptId = 102;        // 标签2
constexpr int kEditId = 103;          // 编辑框1
constexpr UINT_PTR kBounceTimer = 1;  // 时钟1

Utf8Text EditText(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), length + 1)));
    return WideToUtf8(text);
}

}  // namespace

TextAnswer InputDialog::Ask(HWND owner, const Utf8Text& title, const Utf8Text& prompt) {
    RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    InputDialog dialog(title, prompt);
    const auto place = small_window::PlaceFor(owner, 400, 154);
    if (!dialog.CreateWindowFor(0, kClassName, Utf8ToWide(title).c_str(),
                                WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, small_window::kStartLeft,
                                small_window::kStartTop, place.width, place.height, owner, nullptr))
        return dialog.answer_;
    small_window::RunModal(dialog.Handle(), owner, dialog.finished_);
    return dialog.answer_;
}

LRESULT InputDialog::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    look_ = small_window::MakeLook(dpi);
    MessageBeep(MB_OK);
    using small_window::AddControl;
    small_window::AddTitleStrip(Handle(), Utf8ToWide(title_).c_str(), 400, kTitleId, dpi,
                                look_.titleFont.get());
    AddControl(Handle(), L"STATIC", Utf8ToWide(prompt_).c_str(), SS_LEFT | SS_NOPREFIX, 20, 35, 360,
               32, kPromptId, dpi, look_.font.get());
    HWND edit = AddControl(Handle(), L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 20, 72,
                           360, 24, kEditId, dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 112, 96, 25, IDOK,
               dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 200, 112, 96, 25, IDCANCEL,
               dpi, look_.font.get());
    SetFocus(edit);
    StartBounceIn(Handle(), kBounceTimer);
    return 0;
}

void InputDialog::Finish(bool accepted) {
    if (finished_) return;
    answer_.cancelled = !accepted;
    if (accepted) answer_.text = EditText(GetDlgItem(Handle(), kEditId));
    finished_ = true;
}

void InputDialog::OnCommand(int id) {
    if (id == IDOK) Finish(true);
    if (id == IDCANCEL) Finish(false);
}

LRESULT InputDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer =
            small_window::TitleStripMessage(Handle(), message, wParam, lParam, kTitleId, look_))
        return *answer;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kBounceTimer)
                BounceInTick(Handle(), BounceWindowKind::InputDialog, kBounceTimer);
            return 0;
        case WM_CLOSE:  // Alt+F4 and the like: a cancel
            Finish(false);
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
