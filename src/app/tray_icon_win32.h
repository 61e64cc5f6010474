// The program's icon in the notification area. Clicks arrive at the owner as callbackMessage
// (lParam: the mouse message). The icon is added again when the taskbar is recreated (Explorer
// restarted), and removed when the object goes.
#pragma once

#include <windows.h>

#include <string>

namespace kavo {

class TrayIcon {
  public:
    TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring tip);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The owner passes every message here; true when it was the taskbar's re-creation.
    bool HandleTaskbarCreated(UINT message);

    // The tip shown while the pointer rests on the icon.
    void SetTip(const std::wstring& tip);
    // A balloon at the icon (an information one), replacing one still shown.
    void ShowBalloon(const std::wstring& title, const std::wstring& text);

  private:
    // Added again after the taskbar came back; a refused add leaves no icon until then.
    void Add();

    HWND owner_;
    UINT callbackMessage_;
    HICON icon_;
    std::wstring tip_;
    UINT taskbarCreatedMessage_;
};

}  // namespace kavo
