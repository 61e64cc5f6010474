// The low-level mouse hook (WH_MOUSE_LL) on a thread of its own, for recording. Installed only
// while a recording goes on: every mouse event of the desktop passes through it, and its
// callback only hands the event on. One per process.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "recording/recorded_input.h"

namespace kavo {

class Win32MouseHook {
  public:
    Win32MouseHook() = default;
    ~Win32MouseHook();
    Win32MouseHook(const Win32MouseHook&) = delete;
    Win32MouseHook& operator=(const Win32MouseHook&) = delete;

    // Starts the thread and its hook; sink hears every button, wheel and move event that is
    // neither injected by this program nor aimed at one of its windows, on the hook's thread,
    // and must return at once. False when the system refused the hook.
    bool Install(std::function<void(const RecordedEvent&)> sink);
    void Remove();

  private:
    static LRESULT CALLBACK HookProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void Watch(std::atomic<int>& started);

    std::function<void(const RecordedEvent&)> sink_;
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
};

// True when the point lies on a window of this process (its own windows are never recorded).
bool PointOnOwnWindow(POINT point);

}  // namespace kavo
