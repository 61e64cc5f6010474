// Hotkeys without the system's hotkey service: a 50 ms window-less timer polls the keyboard view
// of the user-interface thread, and a registered key that has just gone down with nothing else
// held starts its callback on a new thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "hotkeys/key_latch.h"
#include "platform/platform.h"

namespace kavo {

// Runs on a thread of its own for every firing; receives the hotkey's id.
using HotkeyCallback = std::function<void(std::int32_t id)>;

// Modifier masks, the values of MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN.
inline constexpr std::uint32_t kModAlt = 1;
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kModShift = 4;
inline constexpr std::uint32_t kModWin = 8;

struct HotkeyRecord {
    std::int32_t id = 0;
    HotkeyCallback callback;
    KeyCode key = 0;
    std::uint32_t modifiers = 0;
    // Set by a poll that saw no key down; a record fires only when armed, so holding a key
    // fires it once.
    bool armed = false;
};

class HotkeyMonitor {
  public:
    static constexpr std::int32_t kFirstId = 2000001;
    static constexpr std::uint32_t kPollTimerId = 6662;
    static constexpr std::uint32_t kPollIntervalMs = 50;

    // The monitor must live as long as its timer, that is until the process ends: the timer is
    // never stopped.
    explicit HotkeyMonitor(HotkeyPort& port);
    HotkeyMonitor(const HotkeyMonitor&) = delete;
    HotkeyMonitor& operator=(const HotkeyMonitor&) = delete;

    // User-interface thread only. Returns the hotkey's id, or 0 when the key's low 8 bits are 0
    // (nothing registered, nothing attached). With a window, this thread's input is joined to
    // the window's thread for good, so keys typed there are seen by the poll. A key and
    // modifiers already registered keep their record and id; only the callback is replaced.
    std::int32_t RegisterHotkey(HotkeyCallback callback, std::int32_t key, std::uint32_t modifiers,
                                std::optional<NativeWindow> window = std::nullopt);

    // The poll timer's tick, on the user-interface thread. With a latch it fires from the
    // latched presses instead of the keyboard state, and may be called at any moment (at once
    // when a press is latched).
    void PollHotkeys();

    // User-interface thread, once. From now on a hotkey fires at the press that the latch
    // recorded, however short, exactly once: when the key went down with exactly the record's
    // modifiers and nothing else held, in a window whose keys the poll would see (one of this
    // thread's windows, or a window of a thread joined by a registration).
    void UseLatch(KeyLatch& latch);

    const std::vector<HotkeyRecord>& Records() const { return records_; }

  private:
    void FireLatchedPress(const LatchedPress& press);
    bool KeysCountIn(std::uint32_t thread) const;

    HotkeyPort& port_;
    std::vector<HotkeyRecord> records_;
    KeyLatch* latch_ = nullptr;
    std::uint32_t ownThread_ = 0;
    std::vector<std::uint32_t> joinedThreads_;
};

}  // namespace kavo
