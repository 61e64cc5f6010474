// The run panel's binding: 编辑框2 (the process name), 编辑框_启动热键 (a key pressed there shows
// its name and nothing else lands in it) and 热键执行 (按钮2), which ties the key to the editor's
// run (hotkeys/hotkey_binding.h).
#pragma once

#include <windows.h>

#include <functional>

#include "hotkeys/hotkey_binding.h"
#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/program_keys.h"
#include "shell/main_window_services_win32.h"
#include "ui/subclass_win32.h"

namespace kavo {

class HotkeyPanel : public HotkeyBindingView {
  public:
    // runBound: what a bound key's press runs, on the hotkey's thread.
    HotkeyPanel(MainWindowServices& services, HotkeyMonitor& hotkeys, const ProgramKeys& keys,
                std::function<void()> runBound);
    HotkeyPanel(const HotkeyPanel&) = delete;
    HotkeyPanel& operator=(const HotkeyPanel&) = delete;

    HotkeyBinding& Binding() { return binding_; }

    // HotkeyBindingView
    Utf8Text ProcessNameText() override;
    Utf8Text HotkeyEditText() override;
    void SetHotkeyEditText(const Utf8Text& text) override;
    void RunBoundScript() override { runBound_(); }

  private:
    class HotkeyEdit : public WindowSubclass<HotkeyEdit> {
      public:
        explicit HotkeyEdit(HotkeyBinding& binding) : binding_(binding) {}
        LRESULT HandleSubclassMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

      private:
        HotkeyBinding& binding_;
    };

    MainWindowServices& services_;
    std::function<void()> runBound_;
    HotkeyBinding binding_;
    HotkeyEdit hotkeyEdit_;
};

}  // namespace kavo
