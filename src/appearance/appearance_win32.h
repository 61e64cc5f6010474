// The main window's appearance: the colours of link.ini applied at start-up, the title bar's
// caption buttons and picture boxes with their hover colours, the shadow border, and the
// software-settings window behind 设置 ▸ 软件设置.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "appearance/settings_files.h"
#include "appearance/settings_window_win32.h"
#include "shell/main_window_services_win32.h"
#include "ui/border_window_win32.h"
#include "ui/caption_button_win32.h"
#include "ui/small_window_win32.h"

namespace kavo {

class Appearance {
  public:
    // Reads link.ini and applies it; the border and the title bar's buttons take over.
    explicit Appearance(MainWindowServices& services);
    ~Appearance();
    Appearance(const Appearance&) = delete;
    Appearance& operator=(const Appearance&) = delete;

  private:
    void ApplyStartupSettings();
    COLORREF HoverBackground(SettingsLine line) const;
    void OpenSettings();

    MainWindowServices& services_;
    // The record as read at start-up, kept for the whole run: the hover colours and their switch
    // take effect at the next start.
    SettingsRecord startupSettings_;
    BorderWindow border_;
    std::unique_ptr<CaptionButton> exit_;
    std::unique_ptr<CaptionButton> maximize_;
    std::unique_ptr<CaptionButton> minimize_;
    std::unique_ptr<CaptionButton> closeBox_;  // 图片框1
    std::unique_ptr<CaptionButton> hideBox_;   // 图片框3
    SingleWindow<SettingsWindow> settings_;
};

}  // namespace kavo
