// Tying the editor's script to a key, and F1's live display of the cursor position.
//
// The script runner (app/script_runner_win32) implements HotkeyBindingView and forwards the main
// window's events to HotkeyBinding:
//   热键执行 (按钮2) clicked           -> BindHotkey()
//   key down in 编辑框_启动热键         -> ShowHotkeyName(virtual-key code)
//   tick of 时钟3                      -> ShowCursorPosition()
//   start-up, after the commands       -> RegisterCursorTrackingKey()
//   an insert key, while 时钟3 runs     -> InsertForKey(key)
// RunBoundScript and ToggleCursorTracking are the hotkey callbacks; they run on the threads the
// HotkeyMonitor starts.
//
// While F1's display runs, the keys of kCursorDisplayKeys are the program's, from whichever
// window has the focus (the view takes them through the keyboard watch): Insert puts into the
// editor a description of the window under the pointer, Page Up a 鼠标移动 to the pointer's
// point. Neither is one of the names a hotkey can be bound to.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>

#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/window_spy.h"
#include "platform/platform.h"

namespace kavo {

// What the binding needs from the main window. Texts are UTF-8.
class HotkeyBindingView {
  public:
    virtual ~HotkeyBindingView() = default;

    // User-interface thread only.
    virtual Utf8Text ProcessNameText() = 0;                    // 编辑框2 ("进程名")
    virtual Utf8Text HotkeyEditText() = 0;                     // 编辑框_启动热键
    virtual void SetHotkeyEditText(const Utf8Text& text) = 0;  // 编辑框_启动热键
    virtual void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) = 0;  // 编辑框4/5
    virtual void ShowWindowUnderCursor(const SpyLines& lines) = 0;  // the spy lines below them
    // Puts the text into the editor at its caret, as typing would.
    virtual void InsertInEditor(const Utf8Text& text) = 0;

    // Any thread. Runs the editor's text as it stands now, the way 直接运行 does (hiding the
    // main window); returns when the script has ended. The window work goes to the
    // user-interface thread, the script itself runs on the calling thread.
    virtual void RunCurrentScript() = 0;

    // Any thread. Calls next with 时钟3's interval in ms (0: stopped) and sets the interval
    // next returns, both on the user-interface thread as one step, so that two toggles cannot
    // interleave. Returns when the interval is set (next is borrowed for the call only).
    virtual void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t current)>& next) = 0;
};

class HotkeyBinding {
  public:
    // 时钟3's interval while the display runs: the window and the pixel under the pointer are
    // read at most 20 times a second, which keeps the pointer and the program light.
    static constexpr std::uint32_t kCursorDisplayIntervalMs = 50;
    static constexpr KeyCode kInsertDescriptionKey = 0x2D;  // Insert
    static constexpr KeyCode kInsertMoveKey = 0x21;         // Page Up
    static constexpr std::array<KeyCode, 2> kCursorDisplayKeys{kInsertDescriptionKey,
                                                               kInsertMoveKey};

    // Every part must live until the process ends: hotkey threads and the poll timer keep
    // using them.
    HotkeyBinding(HotkeyMonitor& monitor, SystemPort& system, InputPort& input,
                  HotkeyBindingView& view);
    HotkeyBinding(const HotkeyBinding&) = delete;
    HotkeyBinding& operator=(const HotkeyBinding&) = delete;

    // F1, no modifiers, no window, toggling the cursor display.
    void RegisterCursorTrackingKey();

    // User-interface thread. Needs a process name (else a failure message and nothing more);
    // then binds the key named in the hotkey edit to RunBoundScript for that process's front
    // window and confirms, also when the key name or the window was not found.
    // Keys that do something else from any window (recording's start and end key): refusal
    // gives the message that refuses binding such a key, or an empty text for a key that may be
    // bound. UI thread.
    void SetKeyRefusal(std::function<Utf8Text(int key)> refusal) {
        keyRefusal_ = std::move(refusal);
    }
    void BindHotkey();

    // Hotkey threads. The id is not used.
    void RunBoundScript(std::int32_t id);
    void ToggleCursorTracking(std::int32_t id);

    // User-interface thread.
    void ShowCursorPosition();
    void ShowHotkeyName(int keyCode);
    // One of kCursorDisplayKeys went down: its text for what is under the pointer now goes into
    // the editor. Other keys do nothing.
    void InsertForKey(KeyCode key);

    // The key of the last bind that had a process name (0: none or not a key name).
    int BoundKey() const { return boundKey_; }
    // The process name of the last bind that went through (empty: none), which the window
    // description 目标 stands for. Any thread.
    Utf8Text BoundProcessName() const;
    // The monitor the keys are registered with (user-interface thread).
    HotkeyMonitor& Monitor() { return monitor_; }

  private:
    HotkeyMonitor& monitor_;
    SystemPort& system_;
    InputPort& input_;
    HotkeyBindingView& view_;
    WindowSpy spy_;
    std::function<Utf8Text(int key)> keyRefusal_;
    int boundKey_ = 0;
    mutable std::mutex boundProcessMutex_;  // runs of hotkey threads read it
    Utf8Text boundProcess_;
};

}  // namespace kavo
