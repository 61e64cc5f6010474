// F1's display on the main window: 时钟3, the coordinate edits and the lines for the window
// under the pointer below them, the insert keys the display claims from every window while it
// runs, and the editor those keys write into. What is shown and written is decided by
// CursorTracking (run_panel/cursor_tracking.h); this room only puts it on the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/keyboard_watch.h"
#include "run_panel/cursor_tracking.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class CursorDisplay : public CursorTrackingView {
  public:
    // Registers F1 with the monitor; the display starts stopped. watch: where the insert keys
    // are claimed while it runs.
    CursorDisplay(MainWindowServices& services, HotkeyMonitor& hotkeys, KeyboardWatch& watch);
    CursorDisplay(const CursorDisplay&) = delete;
    CursorDisplay& operator=(const CursorDisplay&) = delete;

    // The keyboard watch's call for a claimed key (its hook thread or the poll's): handed on to
    // the user-interface thread without waiting for it.
    void KeyPressed(KeyCode key);

    // CursorTrackingView. Each line is written only when it changed, so that a still pointer
    // costs no drawing.
    void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) override;
    void ShowWindowUnderCursor(const SpyLines& lines) override;
    // Puts the text at the editor's caret, replacing a selection, as typing would (undoable).
    void InsertInEditor(const Utf8Text& text) override;
    // A running display claims the insert keys.
    void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t current)>& next) override;

  private:
    void SetLine(int controlId, const Utf8Text& text);

    MainWindowServices& services_;
    KeyboardWatch& watch_;
    CursorTracking tracking_;
    std::uint32_t interval_ = 0;  // 时钟3's; 0 while stopped
};

}  // namespace kavo
