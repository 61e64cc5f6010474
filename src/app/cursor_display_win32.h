// F1's display on the main window: 时钟3, the coordinate edits and the lines for the window
// under the pointer below them, the insert keys the display claims from every window while it
// runs, and the editor those keys write into. The hotkey binding decides what is shown and
// written (hotkeys/hotkey_binding.h); this room only puts it on the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "hotkeys/keyboard_watch.h"
#include "hotkeys/window_spy.h"
#include "platform/platform.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class CursorDisplay {
  public:
    // onTick runs at every tick of 时钟3, onKey when a claimed key went down; both on the
    // user-interface thread. The display starts stopped.
    CursorDisplay(MainWindowServices& services, KeyboardWatch& watch, std::function<void()> onTick,
                  std::function<void(KeyCode)> onKey);
    CursorDisplay(const CursorDisplay&) = delete;
    CursorDisplay& operator=(const CursorDisplay&) = delete;

    // The keyboard watch's call for a claimed key (its hook thread or the poll's): handed on to
    // the user-interface thread without waiting for it.
    void KeyPressed(KeyCode key);

    // Any thread. next gets 时钟3's interval (0: stopped) and gives the new one, both on the
    // user-interface thread as one step; a running display claims the insert keys.
    void ChangeInterval(const std::function<std::uint32_t(std::uint32_t current)>& next);

    // User-interface thread. Each line is written only when it changed, so that a still pointer
    // costs no drawing.
    void ShowCoordinates(const Utf8Text& x, const Utf8Text& y);
    void ShowWindowLines(const SpyLines& lines);
    // Puts the text at the editor's caret, replacing a selection, as typing would (undoable).
    void InsertInEditor(const Utf8Text& text);

  private:
    void SetLine(int controlId, const Utf8Text& text);

    MainWindowServices& services_;
    KeyboardWatch& watch_;
    std::uint32_t interval_ = 0;  // 时钟3's; 0 while stopped
    UINT keyMessage_ = 0;         // carries a claimed key to the user-interface thread
};

}  // namespace kavo
