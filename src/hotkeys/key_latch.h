// Key presses caught as they happen, for the hotkey monitor. A poll of the keyboard state every
// 50 ms misses a press that starts and ends between two polls and answers up to 50 ms late; a
// watcher of every key event (the low-level keyboard hook) records here each key that goes
// down, with the keys already held at that moment and the thread whose window has the focus,
// and the monitor takes the presses at once. Thread-safe: the watcher runs on a thread of its
// own.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace kavo {

struct LatchedPress {
    KeyCode key = 0;
    // The thread of the window that had the focus: only keys typed into certain windows count.
    std::uint32_t focusThread = 0;
    // Every other key and button down just before this press.
    KeySet heldBefore;
};

class KeyLatch {
  public:
    // The watcher's thread. A key went down; true when it was up before (a new press, now
    // latched). Auto-repeat while the key is held is no new press.
    bool KeyDown(KeyCode key, std::uint32_t focusThread);
    void KeyUp(KeyCode key);
    // A key or button whose state the watcher learns other than by its events (mouse buttons).
    void SetHeld(KeyCode key, bool down);

    // The keys and buttons the latch believes down, for the watcher to check against the
    // system's view: a release can go unseen (a window that vanishes takes its key-up along).
    std::vector<KeyCode> HeldKeys();

    // The presses since the last call, oldest first.
    std::vector<LatchedPress> Take();

  private:
    std::mutex mutex_;
    KeySet down_;
    std::vector<LatchedPress> presses_;
};

}  // namespace kavo
