#include "app/tray_icon_win32.h"

#include <shellapi.h>

namespace kavo {
namespace {
constexpr UINT kTrayIconId = 1;
}

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring tip)
    : owner_(owner),
      callbackMessage_(callbackMessage),
      icon_(icon),
      tip_(std::move(tip)),
      taskbarCreatedMessage_(RegisterWindowMessageW(L"TaskbarCreated")) {
    Add();
}

TrayIcon::~TrayIcon() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

void TrayIcon::Add() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    lstrcpynW(data.szTip, tip_.c_str(), ARRAYSIZE(data.szTip));
    Shell_NotifyIconW(NIM_ADD, &data);
}

void TrayIcon::SetTip(const std::wstring& tip) {
    tip_ = tip;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_TIP;
    lstrcpynW(data.szTip, tip_.c_str(), ARRAYSIZE(data.szTip));
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_INFO;
    lstrcpynW(data.szInfoTitle, title.c_str(), ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    data.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool TrayIcon::HandleTaskbarCreated(UINT message) {
    if (taskbarCreatedMessage_ == 0 || message != taskbarCreatedMessage_) return false;
    Add();
    return true;
}

}  // namespace kavo
