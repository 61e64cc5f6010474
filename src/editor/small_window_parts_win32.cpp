#include "editor/small_window_parts_win32.h"

#include <richedit.h>
#include <windowsx.h>

#include <string>

#include "editor/small_windows_win32.h"
#include "platform/win32/dpi_win32.h"

namespace kavo {
namespace {
const MainWindowColors* g_titleColors = nullptr;
}  // namespace

void UseTitleColorsOf(const MainWindowColors* colors) {
    g_titleColors = colors;
}

namespace small_window {

MainWindowColors TitleColors() {
    return g_titleColors != nullptr ? *g_titleColors : MainWindowColors{};
}

UniqueGdiObject MakeFont(UINT dpi, int designHeight, bool bold) {
    return UniqueGdiObject(CreateFontW(-ScaleToDpi(designHeight, dpi), 0, 0, 0,
                                       bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"微软雅黑"));
}

Look MakeLook(UINT dpi) {
    Look look;
    look.colors = TitleColors();
    look.titleBrush.reset(CreateSolidBrush(look.colors.titleBackground));
    look.font = MakeFont(dpi, 12, false);
    look.titleFont = MakeFont(dpi, 13, true);
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

PopupPlace PlaceFor(HWND owner, int designWidth, int designHeight) {
    const UINT dpi = WindowDpi(owner);
    return {ScaleToDpi(designWidth, dpi), ScaleToDpi(designHeight, dpi), dpi};
}

LRESULT HitTest(HWND window, LRESULT defaultHit, LPARAM lParam) {
    if (defaultHit != HTCLIENT) return defaultHit;
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &point);
    return point.y < ScaleToDpi(kTitleStripHeight, WindowDpi(window)) ? HTCAPTION : defaultHit;
}

std::optional<LRESULT> TitleStripColor(HDC dc, HWND control, int titleId, const Look& look) {
    if (GetDlgCtrlID(control) != titleId) return std::nullopt;
    SetTextColor(dc, look.colors.titleText);
    SetBkColor(dc, look.colors.titleBackground);
    return reinterpret_cast<LRESULT>(look.titleBrush.get());
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
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner is enabled before the window goes, so that the activation returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (IsWindow(window)) DestroyWindow(window);
    if (owner != nullptr && IsWindow(owner)) SetForegroundWindow(owner);
}

std::optional<LRESULT> TitleStripMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         int titleId, const Look& look) {
    if (message == WM_NCHITTEST)
        return HitTest(window, DefWindowProcW(window, message, wParam, lParam), lParam);
    if (message == WM_CTLCOLORSTATIC)
        return TitleStripColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                               titleId, look);
    return std::nullopt;
}

HWND AddTitleStrip(HWND window, const wchar_t* title, int designWidth, int id, UINT dpi,
                   HGDIOBJ font) {
    return AddControl(window, L"STATIC", (std::wstring(L"  ") + title).c_str(),
                      SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0, designWidth, kTitleStripHeight,
                      id, dpi, font);
}

HWND AddSearchRow(HWND window, int promptId, int boxId, UINT dpi, HGDIOBJ promptFont,
                  HGDIOBJ boxFont) {
    AddControl(window, L"STATIC", L"请输入你要搜索的文本！", SS_LEFT | SS_NOPREFIX, 20, 40, 360, 32,
               promptId, dpi, promptFont);
    HWND box = AddControl(window, MSFTEDIT_CLASS, L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 19,
                          82, 365, 24, boxId, dpi, boxFont);
    SendMessageW(box, EM_SETEVENTMASK, 0, ENM_KEYEVENTS);
    return box;
}

void BringForward(HWND window, int showCommand, int focusId) {
    ShowWindow(window, showCommand);
    SetForegroundWindow(window);
    SetFocus(GetDlgItem(window, focusId));
}

}  // namespace small_window
}  // namespace kavo
