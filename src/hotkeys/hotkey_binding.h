// Tying the editor's script to a key: the run panel's 热键执行 (按钮2) binds the key named in
// 编辑框_启动热键 for the front window of the process named in 编辑框2, and from then on every
// press of that key runs the editor's text as it is at the press.
//
// The run panel (run_panel/hotkey_panel_win32) implements HotkeyBindingView and forwards its
// events here:
//   热键执行 clicked                     -> BindHotkey()
//   key down in 编辑框_启动热键            -> ShowHotkeyName(virtual-key code)
// RunBoundScript is the hotkey callback; it runs on the threads the HotkeyMonitor starts.
#pragma once

#include <cstdint>
#include <mutex>

#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/program_keys.h"
#include "platform/platform.h"

namespace kavo {

// What the binding needs from the run panel. Texts are UTF-8.
class HotkeyBindingView {
  public:
    virtual ~HotkeyBindingView() = default;

    // User-interface thread only.
    virtual Utf8Text ProcessNameText() = 0;                    // 编辑框2 ("进程名")
    virtual Utf8Text HotkeyEditText() = 0;                     // 编辑框_启动热键
    virtual void SetHotkeyEditText(const Utf8Text& text) = 0;  // 编辑框_启动热键
    // Any thread. Runs the editor's text as it stands now, the way 直接运行 does (hiding the
    // main window); returns when the script has ended.
    virtual void RunBoundScript() = 0;
};

class HotkeyBinding {
  public:
    // Every part must live until the process ends: hotkey threads and the poll timer keep
    // using them. keys: the keys the program claims, which no binding may take.
    HotkeyBinding(HotkeyMonitor& monitor, SystemPort& system, const ProgramKeys& keys,
                  HotkeyBindingView& view);
    HotkeyBinding(const HotkeyBinding&) = delete;
    HotkeyBinding& operator=(const HotkeyBinding&) = delete;

    // User-interface thread. Needs a process name (else a failure message and nothing more);
    // refuses a key the program claims with that key's message; then binds the key named in the
    // hotkey edit to RunBoundScript for that process's front window and confirms, also when the
    // key name or the window was not found.
    void BindHotkey();

    // Hotkey threads. The id is not used.
    void RunBoundScript(std::int32_t id);

    // User-interface thread.
    void ShowHotkeyName(int keyCode);

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
    const ProgramKeys& keys_;
    HotkeyBindingView& view_;
    int boundKey_ = 0;
    mutable std::mutex boundProcessMutex_;  // runs of hotkey threads read it
    Utf8Text boundProcess_;
};

}  // namespace kavo
