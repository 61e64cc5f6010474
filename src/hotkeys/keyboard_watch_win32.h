// A thread of its own that sees every key event of the desktop through a low-level keyboard
// hook, whichever window has the focus and whatever the user-interface thread is doing: the
// stop key works even while a script keeps that thread busy, and a hotkey press is latched the
// moment it happens instead of being sampled every 50 ms.
//
// Why a hook: a hotkey registered with the system would take the key away from every other
// program and cannot tell which window the key was meant for, and the keyboard state the poll
// reads forgets a short press before the next poll. The hook's callback runs on the watch
// thread, which does nothing else, so it always answers at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "hotkeys/key_latch.h"

namespace kavo {

class KeyboardWatch {
  public:
    struct Handlers {
        // Presses of keys other than the stop key are latched here.
        KeyLatch* latch = nullptr;
        // True while scripts run: keys injected meanwhile are not latched, so that a script
        // typing its own hotkey does not start itself again.
        std::function<bool()> scriptsRunning;
        // Watch thread, after a press was latched; must return at once (post a message).
        std::function<void()> pressLatched;
        // Watch thread, when the stop key goes down (typed or injected); returns true when the
        // key is used up and goes no further.
        std::function<bool()> stopKeyPressed;
    };

    KeyboardWatch() = default;
    ~KeyboardWatch();
    KeyboardWatch(const KeyboardWatch&) = delete;
    KeyboardWatch& operator=(const KeyboardWatch&) = delete;

    // Starts the thread and its hook; one watch per process. False when the hook could not be
    // installed (the thread is gone again).
    bool Start(int stopKey, Handlers handlers);
    void Stop();

  private:
    static LRESULT CALLBACK HookProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void Watch(std::atomic<int>& started);
    bool OnKeyEvent(std::uint8_t key, bool down, bool injected);

    int stopKey_ = 0;
    Handlers handlers_;
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
};

}  // namespace kavo
