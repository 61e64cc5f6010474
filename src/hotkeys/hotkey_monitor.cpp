#include "hotkeys/hotkey_monitor.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kavo {
namespace {

constexpr std::uint8_t kDown = 0x80;

// Shift, Ctrl, Alt, left Windows key, and the left and right Shift, Ctrl and Alt. The right
// Windows key (0x5C) is not among them and so counts as an ordinary key.
constexpr std::uint8_t kModifierKeys[] = {0x10, 0x11, 0x12, 0x5B, 0xA0,
                                          0xA1, 0xA2, 0xA3, 0xA4, 0xA5};

std::uint32_t HeldModifiers(const KeyboardState& state) {
    std::uint32_t mods = 0;
    if (state[0x12] & kDown) mods |= kModAlt;
    if (state[0x11] & kDown) mods |= kModControl;
    if (state[0x10] & kDown) mods |= kModShift;
    if (state[0x5B] & kDown) mods |= kModWin;
    return mods;
}

// Drops the toggle bit of Caps Lock, Num Lock and the like, and the modifier keys, so that
// what remains is compared with "only this key down".
void Normalise(KeyboardState& state) {
    for (auto& byte : state)
        if (byte == 0x81) byte = 0x80;
    for (auto& byte : state)
        if (byte == 0x01) byte = 0x00;
    for (const std::uint8_t key : kModifierKeys) state[key] = 0;
}

}  // namespace

HotkeyMonitor::HotkeyMonitor(HotkeyPort& port) : port_(port) {}

std::int32_t HotkeyMonitor::RegisterHotkey(HotkeyCallback callback, std::int32_t key,
                                           std::uint32_t modifiers,
                                           std::optional<NativeWindow> window) {
    // Only the low 8 bits name a key; 0, 256, -256 ... name none. (For the absolute value and
    // for the value itself the low 8 bits are zero together.)
    const auto keyCode = static_cast<std::uint8_t>(static_cast<std::uint32_t>(key) & 0xFF);
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
    KeyboardState before = press.heldBefore;
    // The watcher sees the left and right modifier keys; either one counts as the modifier.
    for (const auto [generic, left, right] : {std::array<std::uint8_t, 3>{0x10, 0xA0, 0xA1},
                                              std::array<std::uint8_t, 3>{0x11, 0xA2, 0xA3},
                                              std::array<std::uint8_t, 3>{0x12, 0xA4, 0xA5}})
        if ((before[left] | before[right]) & kDown) before[generic] = kDown;
    const std::uint32_t mods = HeldModifiers(before);
    Normalise(before);
    // Just before the press nothing else was down: this is the poll that would have armed
    // the record, and the press the poll that fires it.
    if (before != KeyboardState{}) return;
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
    KeyboardState state{};
    if (!port_.GetKeyboardState(state)) return;
    const std::uint32_t mods = HeldModifiers(state);
    Normalise(state);
    const KeyboardState nothingDown{};
    for (auto& record : records_) {
        if (record.modifiers != mods) {
            record.armed = false;
            continue;
        }
        if (!record.armed) {
            record.armed = state == nothingDown;
            continue;
        }
        KeyboardState onlyThisKey{};
        onlyThisKey[record.key] = kDown;
        if (state == onlyThisKey) {
            record.armed = false;
            // A copy: a later registration may replace the record's callback while this runs.
            port_.StartThread([callback = record.callback, id = record.id] {
                if (callback) callback(id);
            });
        }
    }
}

}  // namespace kavo
