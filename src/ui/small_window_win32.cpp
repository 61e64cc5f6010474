#include "ui/small_window_win32.h"

#include <windowsx.h>

#include "ui/gdi_win32.h"

namespace kavo {
namespace {

// The main window's title colours, once it has them.
std::function<TitleColors()>& TitleColorSource() {
    static std::function<TitleColors()> source;
    return source;
}

// Marks a window whose animation has not ticked yet: its first tick starts the kind's count
// afresh, so a window closed before its 51 steps does not shorten the next one's.
constexpr wchar_t kFreshBounce[] = L"KavoBounceFresh";

}  // namespace

void UseSmallWindowTitleColors(std::function<TitleColors()> colors) {
    TitleColorSource() = std::move(colors);
}

namespace small_window {

Look MakeLook(UINT dpi) {
    Look look;
    if (TitleColorSource()) look.colors = TitleColorSource()();
    look.titleBrush.reset(CreateSolidBrush(look.colors.background));
    look.font = MakeUiFont(dpi, 12);
    look.titleFont = MakeUiFont(dpi, 13, true);
    return look;
}

HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                int y, int width, int height, int id, UINT dpi, HGDIOBJ font) {
    HWND control = CreateWindowExW(
        0, className, text, WS_CHILD | WS_VISIBLE | style, ScaleToDpi(x, dpi), ScaleToDpi(y, dpi),
        ScaleToDpi(width, dpi), ScaleToDpi(height, dpi), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

LRESULT DragHitTest(HWND window, LRESULT defaultHit, LPARAM screenPoint, int designHeight) {
    if (defaultHit != HTCLIENT) return defaultHit;
    POINT point{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    ScreenToClient(window, &point);
    return point.y < ScaleToDpi(designHeight, WindowDpi(window)) ? HTCAPTION : defaultHit;
}

bool ClickFocusedButton(HWND window) {
    HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != window) return false;
    const int id = GetDlgCtrlID(focus);
    if (id == IDOK) return false;
    wchar_t className[16] = {};
    GetClassNameW(focus, className, 16);
    if (lstrcmpiW(className, L"Button") != 0) return false;
    const auto type = static_cast<DWORD>(GetWindowLongPtrW(focus, GWL_STYLE)) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW) return false;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(focus));
    return true;
}

void RunModal(HWND window, HWND owner, const bool& finished) {
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG message{};
    while (!finished && IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            break;
        }
        if (got < 0) break;
        // The same dialog keys as in the program's own loop: the window registered itself.
        if (TranslateDialogKeys(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner is enabled before the window goes, so that the activation returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (IsWindow(window)) DestroyWindow(window);
    if (owner != nullptr && IsWindow(owner)) SetForegroundWindow(owner);
}

void StartBounceIn(HWND window) {
    SetPropW(window, kFreshBounce, reinterpret_cast<HANDLE>(1));
    SetTimer(window, kBounceTimer, kBounceIntervalMs, nullptr);
}

void BounceInTick(HWND window, BounceWindowKind kind) {
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
    if (step.finished) KillTimer(window, kBounceTimer);
}

}  // namespace small_window
}  // namespace kavo
