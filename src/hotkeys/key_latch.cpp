#include "hotkeys/key_latch.h"

namespace kavo {

bool KeyLatch::KeyDown(KeyCode key, std::uint32_t focusThread) {
    const std::lock_guard lock(mutex_);
    if (down_.test(key)) return false;
    LatchedPress press;
    press.key = key;
    press.focusThread = focusThread;
    press.heldBefore = down_;
    down_.set(key);
    presses_.push_back(press);
    return true;
}

void KeyLatch::KeyUp(KeyCode key) {
    const std::lock_guard lock(mutex_);
    down_.reset(key);
}

void KeyLatch::SetHeld(KeyCode key, bool down) {
    const std::lock_guard lock(mutex_);
    down_.set(key, down);
}

std::vector<KeyCode> KeyLatch::HeldKeys() {
    const std::lock_guard lock(mutex_);
    std::vector<KeyCode> held;
    for (std::size_t code = 0; code < down_.size(); ++code)
        if (down_.test(code)) held.push_back(static_cast<KeyCode>(code));
    return held;
}

std::vector<LatchedPress> KeyLatch::Take() {
    const std::lock_guard lock(mutex_);
    std::vector<LatchedPress> taken;
    taken.swap(presses_);
    return taken;
}

}  // namespace kavo
