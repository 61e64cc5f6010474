// The low-level keyboard hook (WH_KEYBOARD_LL) on a thread of its own, which does nothing else and
// so always answers at once. One per process: the hook procedure has no context argument.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "hotkeys/keyboard_watch.h"

namespace kavo {

class Win32KeyboardHook : public KeyboardHookPort {
  public:
    Win32KeyboardHook() = default;
    ~Win32KeyboardHook() override;
    Win32KeyboardHook(const Win32KeyboardHook&) = delete;
    Win32KeyboardHook& operator=(const Win32KeyboardHook&) = delete;

    // Starts the thread and its hook (again, after removing one installed before). False when
    // the system refused the hook, or another object of the process holds it.
    bool Install(std::function<bool(const KeyEvent&)> onKey) override;
    void Remove() override;
    bool IsKeyDown(KeyCode key) override;
    std::uint32_t FocusThread() override;

  private:
    static LRESULT CALLBACK HookProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void Watch(std::atomic<int>& started);

    std::function<bool(const KeyEvent&)> onKey_;
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
};

}  // namespace kavo
