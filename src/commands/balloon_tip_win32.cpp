#include "commands/balloon_tip_win32.h"

#include <commctrl.h>

namespace kavo {
namespace {

constexpr UINT_PTR kToolId = 1;
constexpr UINT_PTR kHideTimerId = 0x4B42;  // clear of the ids the control uses itself
constexpr LPARAM kMaxTipWidth = 400;       // long texts wrap instead of spanning the screen

// The one tracking tool. Its window is the tooltip's owner, read back from the tooltip so that
// the timer callback needs no state. The size of the structure before comctl32 6 is accepted
// by version 5.8 as well as 6, so the control works with and without a common-controls
// manifest.
TTTOOLINFOW ToolOf(HWND tip) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = ::GetWindow(tip, GW_OWNER);
    tool.uId = kToolId;
    return tool;
}

void Deactivate(HWND tip) {
    ::KillTimer(tip, kHideTimerId);
    TTTOOLINFOW tool = ToolOf(tip);
    ::SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void CALLBACK HideAfterDelay(HWND tip, UINT, UINT_PTR, DWORD) {
    Deactivate(tip);
}

}  // namespace

BalloonTip::BalloonTip(HWND owner) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_BAR_CLASSES;  // registers the tooltip class
    ::InitCommonControlsEx(&classes);

    tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!tip_) return;
    TTTOOLINFOW tool = ToolOf(tip_.get());
    wchar_t empty[] = L"";
    tool.lpszText = empty;
    ::SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
}

BalloonTip::~BalloonTip() {
    if (tip_) ::KillTimer(tip_.get(), kHideTimerId);
}

void BalloonTip::Show(POINT screenPoint, const std::wstring& text) {
    if (!tip_) return;
    HWND tip = tip_.get();
    // A balloon still showing is taken down first so that the new one is sized for its text.
    if (::IsWindowVisible(tip)) Deactivate(tip);

    std::wstring buffer = text;  // the control wants a writable pointer; it keeps a copy
    TTTOOLINFOW tool = ToolOf(tip);
    tool.lpszText = buffer.data();
    ::SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screenPoint.x, screenPoint.y));
    ::SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    ::SetTimer(tip, kHideTimerId, kBalloonTipVisibleMs, HideAfterDelay);
}

void BalloonTip::Hide() {
    if (tip_) Deactivate(tip_.get());
}

}  // namespace kavo
