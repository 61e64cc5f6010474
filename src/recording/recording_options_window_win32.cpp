#include "recording/recording_options_window_win32.h"

#include <string>
#include <variant>

#include "platform/win32/win32_platform.h"
#include "text/wide.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

constexpr int kMouseBox = 201;
constexpr int kKeyboardBox = 202;
constexpr int kPathBox = 203;
constexpr int kPathIntervalEdit = 204;
constexpr int kPauseThresholdEdit = 205;
constexpr int kRecordKeyList = 206;

constexpr DWORD kCheckBox = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE;
constexpr DWORD kNumberEdit = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER;

}  // namespace

LRESULT RecordingOptionsWindow::OnCreate() {
    const RecordingOptions& options = current_.options;
    AddControl(L"BUTTON", L"录制鼠标", kCheckBox, 20, 42, 240, 22, kMouseBox);
    AddControl(L"BUTTON", L"录制键盘", kCheckBox, 20, 68, 240, 22, kKeyboardBox);
    AddControl(L"BUTTON", L"录制指针路径", kCheckBox, 20, 94, 240, 22, kPathBox);
    AddControl(L"STATIC", L"路径间隔（毫秒）", kLabel, 38, 122, 120, 22, 0);
    AddControl(L"EDIT", std::to_wstring(options.pathIntervalMs).c_str(), kNumberEdit, 168, 122, 90,
               22, kPathIntervalEdit);
    AddControl(L"STATIC", L"停顿阈值（毫秒）", kLabel, 20, 154, 138, 22, 0);
    AddControl(L"EDIT", std::to_wstring(options.pauseThresholdMs).c_str(), kNumberEdit, 168, 154,
               90, 22, kPauseThresholdEdit);
    AddControl(L"STATIC", L"录制键", kLabel, 20, 186, 138, 22, 0);
    HWND keys = AddControl(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 168, 186,
                           90, 240, kRecordKeyList);
    for (KeyCode key = kFirstRecordKey; key <= kLastRecordKey; ++key) {
        const std::wstring name = Utf8ToWide(RecordKeyName(key));
        SendMessageW(keys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(keys, CB_SETCURSEL, current_.recordKey - kFirstRecordKey, 0);
    AddControl(L"STATIC", L"按录制键开始和结束录制，F12 也能结束。", SS_LEFT | SS_NOPREFIX, 20, 218,
               240, 20, 0);
    AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 44, 250, 90, 26, IDOK);
    AddControl(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 146, 250, 90, 26, IDCANCEL);
    CheckDlgButton(Handle(), kMouseBox, options.mouse ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), kKeyboardBox, options.keyboard ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), kPathBox, options.path ? BST_CHECKED : BST_UNCHECKED);
    ShowPathIntervalState();
    SetFocus(Item(kMouseBox));
    return 0;
}

LRESULT RecordingOptionsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDOK) {
            OnOk();
            return 0;
        }
        if (LOWORD(wParam) == kPathBox && HIWORD(wParam) == BN_CLICKED) {
            ShowPathIntervalState();
            return 0;
        }
    }
    return DefaultProcedure(message, wParam, lParam);
}

bool RecordingOptionsWindow::Checked(int id) const {
    return IsDlgButtonChecked(Handle(), id) == BST_CHECKED;
}

// The interval means something only while the path is recorded.
void RecordingOptionsWindow::ShowPathIntervalState() {
    EnableWindow(Item(kPathIntervalEdit), Checked(kPathBox));
}

void RecordingOptionsWindow::OnOk() {
    RecordingOptionsForm form;
    form.mouse = Checked(kMouseBox);
    form.keyboard = Checked(kKeyboardBox);
    form.path = Checked(kPathBox);
    form.pathIntervalMs = WideToUtf8(ReadWindowText(Item(kPathIntervalEdit)));
    form.pauseThresholdMs = WideToUtf8(ReadWindowText(Item(kPauseThresholdEdit)));
    const LRESULT chosen = SendMessageW(Item(kRecordKeyList), CB_GETCURSEL, 0, 0);
    form.recordKey = static_cast<KeyCode>(chosen == CB_ERR ? 0 : kFirstRecordKey + chosen);
    const int boundHotkey =
        isBoundHotkey_ && isBoundHotkey_(form.recordKey) ? int{form.recordKey} : 0;
    const std::variant<RecordingSettings, Utf8Text> result = SettingsFromForm(form, boundHotkey);
    if (const Utf8Text* refusal = std::get_if<Utf8Text>(&result)) {
        ShowMessageBoxOver(Handle(), *refusal, "录制选项", MessageBoxOption::Warning);
        return;
    }
    Finish(std::get<RecordingSettings>(result));
}

}  // namespace kavo
