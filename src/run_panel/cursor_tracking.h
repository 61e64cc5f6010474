// F1's display of what is under the pointer: F1 switches it on and off; while it runs, 时钟3's
// ticks show the pointer's coordinates, the window under it and the pixel there, and two keys
// put text for them into the editor: Insert a description that finds the window again, Page Up
// a 鼠标移动 to the pointer's point. Neither is one of the names a hotkey can be bound to.
//
// The run panel's display (run_panel/cursor_display_win32) implements CursorTrackingView and
// forwards its events here:
//   start-up                            -> RegisterCursorTrackingKey()
//   tick of 时钟3                        -> ShowCursorPosition()
//   an insert key, while 时钟3 runs       -> InsertForKey(key)
// ToggleCursorTracking is F1's hotkey callback; it runs on the threads the HotkeyMonitor starts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/program_keys.h"
#include "hotkeys/window_spy.h"
#include "platform/platform.h"

namespace kavo {

// What the display needs from the main window. Texts are UTF-8.
class CursorTrackingView {
  public:
    virtual ~CursorTrackingView() = default;

    // User-interface thread only.
    virtual void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) = 0;  // 编辑框4/5
    virtual void ShowWindowUnderCursor(const SpyLines& lines) = 0;  // the spy lines below them
    // Puts the text into the editor at its caret, as typing would.
    virtual void InsertInEditor(const Utf8Text& text) = 0;
    // Any thread. Calls next with 时钟3's interval in ms (0: stopped) and sets the interval
    // next returns, both on the user-interface thread as one step, so that two toggles cannot
    // interleave. Returns when the interval is set (next is borrowed for the call only).
    virtual void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t current)>& next) = 0;
};

class CursorTracking {
  public:
    // 时钟3's interval while the display runs: the window and the pixel under the pointer are
    // read at most 20 times a second, which keeps the pointer and the program light.
    static constexpr std::uint32_t kCursorDisplayIntervalMs = 50;
    static constexpr KeyCode kCursorDisplayKey = 112;       // F1
    static constexpr KeyCode kInsertDescriptionKey = 0x2D;  // Insert
    static constexpr KeyCode kInsertMoveKey = 0x21;         // Page Up
    static constexpr std::array<KeyCode, 2> kCursorDisplayKeys{kInsertDescriptionKey,
                                                               kInsertMoveKey};

    // Every part must live until the process ends: F1's threads and 时钟3 keep using them.
    CursorTracking(HotkeyMonitor& monitor, SystemPort& system, InputPort& input,
                   CursorTrackingView& view);
    CursorTracking(const CursorTracking&) = delete;
    CursorTracking& operator=(const CursorTracking&) = delete;

    // F1, no modifiers, no window, toggling the display.
    void RegisterCursorTrackingKey();
    // F1's threads. The id is not used.
    void ToggleCursorTracking(std::int32_t id);

    // User-interface thread.
    void ShowCursorPosition();
    // One of kCursorDisplayKeys went down: its text for what is under the pointer now goes into
    // the editor. Other keys do nothing.
    void InsertForKey(KeyCode key);

  private:
    HotkeyMonitor& monitor_;
    SystemPort& system_;
    InputPort& input_;
    CursorTrackingView& view_;
    WindowSpy spy_;
};

}  // namespace kavo
