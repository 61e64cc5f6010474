// The system's low-level keyboard hook as the tests drive it.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>

#include "hotkeys/keyboard_watch.h"

namespace kavo {

// A hook the test drives: it can refuse, die (stop delivering events while the system's view of
// the keys goes on), and deliver events the way the system would.
class FakeKeyboardHook : public KeyboardHookPort {
  public:
    bool refuse = false;
    bool dead = false;
    int installs = 0;
    std::bitset<256> down;  // the system's view
    std::uint32_t focusThread = 7;

    bool Install(std::function<bool(const KeyEvent&)> onKey) override {
        ++installs;
        if (refuse) return false;
        dead = false;
        onKey_ = std::move(onKey);
        return true;
    }
    void Remove() override { onKey_ = nullptr; }
    bool IsKeyDown(KeyCode key) override { return down.test(key); }
    std::uint32_t FocusThread() override { return focusThread; }

    // A key event as the system makes it: the hook hears of it first (unless it is dead or
    // refused), then the system's view changes, unless the hook kept the event from every
    // program. Returns whether the hook kept it.
    bool Press(KeyCode key, bool ours = false) {
        const bool kept = Deliver({key, true, ours});
        if (!kept) down.set(key);
        return kept;
    }
    bool Release(KeyCode key, bool ours = false) {
        const bool kept = Deliver({key, false, ours});
        if (!kept) down.reset(key);
        return kept;
    }

  private:
    bool Deliver(const KeyEvent& event) {
        if (dead || !onKey_) return false;
        return onKey_(event);
    }
    std::function<bool(const KeyEvent&)> onKey_;
};

}  // namespace kavo
