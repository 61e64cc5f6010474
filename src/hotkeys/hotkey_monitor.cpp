#include "hotkeys/hotkey_monitor.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kavo {
namespace {

// Shift, Ctrl, Alt, left Windows key, and the left and right Shift, Ctrl and Alt. The right
// Windows key is not among them and so counts as an ordinary key.
constexpr KeyCode kModifierKeys[] = {keys::kShift,       keys::kControl,      keys::kAlt,
                                     keys::kLeftWindows, keys::kLeftShift,    keys::kRightShift,
                                     keys::kLeftControl, keys::kRightControl, keys::kLeftAlt,
                                     keys::kRightAlt};

std::uint32_t HeldModifiers(const KeySet& down) {
    std::uint32_t mods = 0;
    if (down.test(keys::kAlt)) mods |= kModAlt;
    if (down.test(keys::kControl)) mods |= kModControl;
    if (down.test(keys::kShift)) mods |= kModShift;
    if (down.test(keys::kLeftWindows)) mods |= kModWin;
    return mods;
}

// The keys held other than the modifiers, to be compared with "only this key down". Toggles
// (Caps Lock on and the like) do not count.
KeySet HeldKeysButModifiers(KeySet down) {
    for (const KeyCode key : kModifierKeys) down.reset(key);
    return down;
}

}  // namespace

HotkeyMonitor::HotkeyMonitor(HotkeyPort& port) : port_(port) {}

std::int32_t HotkeyMonitor::RegisterHotkey(HotkeyCallback callback, std::int32_t key,
                                           std::uint32_t modifiers,
                                           std::optional<NativeWindow> window) {
    // Only the low 8 bits name a key; 0, 256, -256 ... name none. (For the absolute value and
    // for the value itself the low 8 bits are zero together.)
    const auto keyCode = static_cast<KeyCode>(static_cast<std::uint32_t>(key) & 0xFF);
    if (keyCode == 0) return 0;
    if (window) {
        const std::uint32_t self = port_.GetCurrentThreadId();
        const std::uint32_t joined = port_.GetWindowThreadId(*window);
        port_.AttachThreadInput(self, joined);
        if (joined != 0) joinedThreads_.push_back(joined);
    }
    for (auto& record : records_)
        if (record.key == keyCode && record.modifiers == modifiers) {
            record.callback = std::move(callback);
            return record.id;
        }
    const auto id = kFirstId + static_cast<std::int32_t>(records_.size());
    records_.push_back({id, std::move(callback), keyCode, modifiers, false});
    if (id == kFirstId)
        port_.StartWindowlessTimer(kPollTimerId, kPollIntervalMs, [this] { PollHotkeys(); });
    return id;
}

void HotkeyMonitor::UseLatch(KeyLatch& latch) {
    latch_ = &latch;
    ownThread_ = port_.GetCurrentThreadId();
}

bool HotkeyMonitor::KeysCountIn(std::uint32_t thread) const {
    if (thread == 0) return false;
    return thread == ownThread_ ||
           std::find(joinedThreads_.begin(), joinedThreads_.end(), thread) != joinedThreads_.end();
}

void HotkeyMonitor::FireLatchedPress(const LatchedPress& press) {
    if (!KeysCountIn(press.focusThread)) return;
    KeySet before = press.heldBefore;
    // The watcher sees the left and right modifier keys; either one counts as the modifier.
    for (const auto [generic, left, right] :
         {std::array<KeyCode, 3>{keys::kShift, keys::kLeftShift, keys::kRightShift},
          std::array<KeyCode, 3>{keys::kControl, keys::kLeftControl, keys::kRightControl},
          std::array<KeyCode, 3>{keys::kAlt, keys::kLeftAlt, keys::kRightAlt}})
        if (before.test(left) || before.test(right)) before.set(generic);
    const std::uint32_t mods = HeldModifiers(before);
    // Just before the press nothing else was down: this is the poll that would have armed
    // the record, and the press the poll that fires it.
    if (HeldKeysButModifiers(before).any()) return;
    for (auto& record : records_) {
        if (record.key != press.key || record.modifiers != mods) continue;
        record.armed = false;
        port_.StartThread([callback = record.callback, id = record.id] {
            if (callback) callback(id);
        });
    }
}

void HotkeyMonitor::PollHotkeys() {
    if (latch_ != nullptr) {
        for (const LatchedPress& press : latch_->Take()) FireLatchedPress(press);
        return;
    }
    KeyboardState state;
    if (!port_.GetKeyboardState(state)) return;
    const std::uint32_t mods = HeldModifiers(state.down);
    const KeySet held = HeldKeysButModifiers(state.down);
    for (auto& record : records_) {
        if (record.modifiers != mods) {
            record.armed = false;
            continue;
        }
        if (!record.armed) {
            record.armed = held.none();
            continue;
        }
        KeySet onlyThisKey;
        onlyThisKey.set(record.key);
        if (held == onlyThisKey) {
            record.armed = false;
            // A copy: a later registration may replace the record's callback while this runs.
            port_.StartThread([callback = record.callback, id = record.id] {
                if (callback) callback(id);
            });
        }
    }
}

}  // namespace kavo
