#include "hotkeys/keyboard_watch.h"

#include <algorithm>

namespace kavo {
namespace {

// Mouse buttons count as keys held for a hotkey; the keyboard hook does not see them.
constexpr KeyCode kMouseButtons[] = {keys::kLeftMouseButton, keys::kRightMouseButton,
                                     keys::kMiddleMouseButton, 0x05, 0x06};
// The modifiers come first among the polled keys, so that a modifier and a key pressed between
// two polls latch in the order a person presses them.
constexpr KeyCode kModifiers[] = {keys::kShift,       keys::kControl,      keys::kAlt,
                                  keys::kLeftWindows, keys::kRightWindows, keys::kLeftShift,
                                  keys::kRightShift,  keys::kLeftControl,  keys::kRightControl,
                                  keys::kLeftAlt,     keys::kRightAlt};

bool IsMouseButton(KeyCode key) {
    return std::find(std::begin(kMouseButtons), std::end(kMouseButtons), key) !=
           std::end(kMouseButtons);
}

}  // namespace

KeyboardWatch::~KeyboardWatch() {
    Stop();
}

bool KeyboardWatch::Start(KeyCode stopKey, Handlers handlers) {
    stopKey_ = stopKey;
    handlers_ = std::move(handlers);
    started_ = true;
    Install();
    return installed_.load();
}

void KeyboardWatch::Stop() {
    if (!started_) return;
    started_ = false;
    hook_.Remove();
    installed_ = false;
}

void KeyboardWatch::Install() {
    installed_ = hook_.Install([this](const KeyEvent& event) { return OnKeyEvent(event); });
}

void KeyboardWatch::WatchKeys(std::vector<KeyCode> keys) {
    watchedKeys_ = std::move(keys);
}

void KeyboardWatch::SetKeyAction(KeyCode key, std::function<bool()> action) {
    const std::lock_guard lock(extrasMutex_);
    std::erase_if(keyActions_, [key](const auto& entry) { return entry.first == key; });
    if (action) keyActions_.emplace_back(key, std::move(action));
}

void KeyboardWatch::SetListener(std::function<void(const KeyEvent&)> listener) {
    const std::lock_guard lock(extrasMutex_);
    listener_ = std::move(listener);
}

bool KeyboardWatch::StopKeyDown() {
    // The stop key stops the runs, and whatever else it was given to end (a recording).
    bool used = handlers_.stopKeyPressed && handlers_.stopKeyPressed();
    if (const std::function<bool()> action = ActionOf(stopKey_)) used = action() || used;
    return used;
}

std::function<bool()> KeyboardWatch::ActionOf(KeyCode key) {
    const std::lock_guard lock(extrasMutex_);
    for (const auto& [actionKey, action] : keyActions_)
        if (actionKey == key) return action;
    return {};
}

void KeyboardWatch::ClaimKeys(std::span<const KeyCode> keys) {
    for (std::size_t key = 0; key < claimed_.size(); ++key)
        claimed_[key] = key != stopKey_ && std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool KeyboardWatch::OnKeyEvent(const KeyEvent& event) {
    // Counted whoever pressed it: the poll compares these with the system's view of the keys.
    if (event.down) hookDowns_[event.key].fetch_add(1, std::memory_order_relaxed);
    {
        std::function<void(const KeyEvent&)> listener;
        {
            const std::lock_guard lock(extrasMutex_);
            listener = listener_;
        }
        if (listener) listener(event);
    }
    // The program's own keys: a script's 特殊按键(123) or typed "{" (byte 0x7B, F12's code)
    // goes to the focused program like any key, and a script typing its hotkey's key does not
    // start itself again.
    if (event.ours) return false;
    if (event.key == stopKey_) return event.down && StopKeyDown();
    if (const std::function<bool()> action = ActionOf(event.key)) {
        if (event.down && action()) {
            keptDown_[event.key] = true;
            return true;
        }
    }
    if (event.down && claimed_[event.key].load()) {
        const bool repeat = keptDown_[event.key].exchange(true);
        if (!repeat && handlers_.claimedKeyPressed) handlers_.claimedKeyPressed(event.key);
        return true;
    }
    // The release of a press kept back is kept back too, even when the claim ended meanwhile:
    // the focused program never saw the key go down.
    if (!event.down && keptDown_[event.key].exchange(false)) return true;
    KeyLatch* latch = handlers_.latch;
    if (latch == nullptr) return false;
    if (!event.down) {
        latch->KeyUp(event.key);
        return false;
    }
    // A release the hook never saw (its window vanished with the key down, as a message box
    // closed by Enter does) would make the key look held for good: the system's view decides.
    // For the key now going down that view is still the one before this event.
    for (const KeyCode held : latch->HeldKeys())
        if (!hook_.IsKeyDown(held)) latch->KeyUp(held);
    for (const KeyCode button : kMouseButtons) latch->SetHeld(button, hook_.IsKeyDown(button));
    if (latch->KeyDown(event.key, hook_.FocusThread()) && handlers_.pressLatched)
        handlers_.pressLatched();
    return false;
}

std::vector<KeyCode> KeyboardWatch::PolledKeys() const {
    std::vector<KeyCode> keys(std::begin(kModifiers), std::end(kModifiers));
    for (const KeyCode key : watchedKeys_)
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    for (std::size_t key = 0; key < claimed_.size(); ++key)
        if (claimed_[key].load() && std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(static_cast<KeyCode>(key));
    if (std::find(keys.begin(), keys.end(), stopKey_) == keys.end()) keys.push_back(stopKey_);
    return keys;
}

void KeyboardWatch::Poll() {
    if (!started_) return;
    if (!installed_.load() && ++pollsSinceTry_ >= kRetryPolls) {
        pollsSinceTry_ = 0;
        Install();
        if (installed_.load()) ++reinstalls_;
    }
    const bool hookBelieved = installed_.load();
    // Presses the hook did not report: the hook is refused or dead. A press shows in the
    // system's view only after the hook has been called for it, so a live hook has always
    // counted it by the poll after the one before the press (two polls back; the poll before
    // may have read the counts just before the hook ran).
    struct Edge {
        KeyCode key;
        bool down;
    };
    std::vector<Edge> edges;
    bool missed = false;
    for (const KeyCode key : PolledKeys()) {
        const bool down = hook_.IsKeyDown(key);
        const std::uint32_t downs = hookDowns_[key].load(std::memory_order_relaxed);
        // The first poll only learns what is held already: a key held since before the start
        // is no press.
        if (primed_ && down != downAtPoll_[key]) {
            const bool unreported = down && downs == hookDownsTwoPollsAgo_[key];
            if (unreported) missed = true;
            if (!hookBelieved || unreported) edges.push_back({key, down});
        }
        downAtPoll_[key] = down;
        hookDownsTwoPollsAgo_[key] = hookDownsAtPoll_[key];
        hookDownsAtPoll_[key] = downs;
    }
    primed_ = true;
    if (missed && hookBelieved) {
        // Removed by the system (a callback that once took too long) or gone otherwise.
        Install();
        ++reinstalls_;
    }
    // What the hook would have done with the presses it did not see (and, standing in for a
    // refused hook, with the releases).
    KeyLatch* latch = handlers_.latch;
    if (latch != nullptr)
        for (const KeyCode button : kMouseButtons) latch->SetHeld(button, hook_.IsKeyDown(button));
    for (const Edge& edge : edges) {
        if (edge.key == stopKey_) {
            if (edge.down) StopKeyDown();
            continue;
        }
        if (claimed_[edge.key].load()) {
            if (edge.down && handlers_.claimedKeyPressed) handlers_.claimedKeyPressed(edge.key);
            continue;
        }
        if (latch == nullptr || IsMouseButton(edge.key)) continue;
        if (!edge.down) {
            latch->KeyUp(edge.key);
            continue;
        }
        if (latch->KeyDown(edge.key, hook_.FocusThread()) && handlers_.pressLatched)
            handlers_.pressLatched();
    }
}

}  // namespace kavo
