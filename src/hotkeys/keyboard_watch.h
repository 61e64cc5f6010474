// The program's watch on every key of the desktop, whichever window has the focus and whatever
// the user-interface thread is doing: the stop key works even while a script keeps that thread
// busy, and a hotkey press is latched the moment it happens instead of being sampled every 50 ms.
//
// It rests on the system's low-level keyboard hook, which the system may refuse, and may remove
// without a word when a callback ever took too long. So the watch is also polled every 50 ms:
// the poll compares the system's view of the watched keys with what the hook reported, stands in
// for a hook that is refused or has died (the stop key, and the presses it missed), and installs
// the hook again.
//
// Keys the program injects itself carry kInjectedInputMark: they never count as the stop key, a
// hotkey or any other key the watch looks for. Keys injected by other programs (remote-control
// tools) count like typed ones.
//
// For a while the program may claim keys (F1's display claims its insert keys): a claimed key's
// press is the program's from whichever window has the focus, and the hook keeps it and its
// release from every other program. Standing in for a refused hook, the poll still reports the
// press but cannot keep it back.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <span>
#include <vector>

#include "hotkeys/key_latch.h"
#include "platform/platform.h"

namespace kavo {

struct KeyEvent {
    KeyCode key = 0;
    bool down = false;
    bool ours = false;         // injected by this program (it carries kInjectedInputMark)
    std::uint32_t timeMs = 0;  // the system's time stamp of the event
};

// The system's low-level keyboard hook, on a thread of its own.
class KeyboardHookPort {
  public:
    virtual ~KeyboardHookPort() = default;
    // Installs the hook, replacing one installed before. onKey runs on the hook's thread for
    // every key event and must return at once; true keeps the key from other programs. False
    // when the system refused the hook.
    virtual bool Install(std::function<bool(const KeyEvent&)> onKey) = 0;
    virtual void Remove() = 0;
    // The system's view of a key or mouse button right now, whatever the hook saw.
    virtual bool IsKeyDown(KeyCode key) = 0;
    // The thread of the window that has the focus.
    virtual std::uint32_t FocusThread() = 0;
};

class KeyboardWatch {
  public:
    struct Handlers {
        // Presses of keys other than the stop key are latched here.
        KeyLatch* latch = nullptr;
        // Hook thread (or the poll's), after a press was latched; must return at once.
        std::function<void()> pressLatched;
        // Hook thread (or the poll's), when the stop key goes down; returns true when the key is
        // used up and goes no further.
        std::function<bool()> stopKeyPressed;
        // Hook thread (or the poll's), when a claimed key goes down (not when it repeats while
        // held); must return at once.
        std::function<void(KeyCode)> claimedKeyPressed;
    };

    explicit KeyboardWatch(KeyboardHookPort& hook) : hook_(hook) {}
    ~KeyboardWatch();
    KeyboardWatch(const KeyboardWatch&) = delete;
    KeyboardWatch& operator=(const KeyboardWatch&) = delete;

    // Installs the hook. False when the system refused it: the poll then stands in for the stop
    // key and keeps trying to install it.
    bool Start(KeyCode stopKey, Handlers handlers);
    void Stop();

    // Keys whose presses the poll checks (the hotkeys' keys); the stop key, the modifiers and
    // the mouse buttons are always checked. The poll's thread.
    void WatchKeys(std::vector<KeyCode> keys);

    // Another key that acts from any window, as the stop key does (recording's start and end
    // key); the stop key itself may be given one more thing to do. action runs on the hook's
    // thread when the key goes down, typed or injected by another program; true keeps the key
    // from other programs. Replaces the key's action given before; an empty action removes it.
    // Any thread.
    void SetKeyAction(KeyCode key, std::function<bool()> action);

    // Hears every key event on the hook's thread, the program's own injected ones marked, before
    // the watch acts on it (a recording). Must return at once. Empty: none. Any thread.
    void SetListener(std::function<void(const KeyEvent&)> listener);
    // The keys claimed from now on, in place of those claimed before (none: no claim). The stop
    // key cannot be claimed. The poll's thread.
    void ClaimKeys(std::span<const KeyCode> keys);
    bool Claims(KeyCode key) const { return claimed_[key].load(); }

    // Every 50 ms on one thread (the user-interface thread). Stands in for a refused or dead
    // hook: a watched key that went down without the hook reporting it means the hook is gone;
    // it is installed again, the stop key acts, and a missed press is latched.
    void Poll();

    // For tests and the tray tip: whether the hook is in place as far as the watch knows.
    bool HookInstalled() const { return installed_.load(); }
    // How many times the hook was installed again after it was refused or found dead.
    int Reinstalls() const { return reinstalls_; }

    // How often a refused hook is tried again, in polls (a second).
    static constexpr int kRetryPolls = 20;

  private:
    bool OnKeyEvent(const KeyEvent& event);
    // The action of a key; empty when it has none.
    std::function<bool()> ActionOf(KeyCode key);
    bool StopKeyDown();
    void Install();
    std::vector<KeyCode> PolledKeys() const;

    KeyboardHookPort& hook_;
    KeyCode stopKey_ = 0;
    std::mutex extrasMutex_;  // the hook's thread reads what other threads set
    std::vector<std::pair<KeyCode, std::function<bool()>>> keyActions_;
    std::function<void(const KeyEvent&)> listener_;
    Handlers handlers_;
    bool started_ = false;
    std::atomic<bool> installed_{false};
    int pollsSinceTry_ = 0;
    int reinstalls_ = 0;
    std::vector<KeyCode> watchedKeys_;
    std::array<std::atomic<bool>, 256> claimed_{};
    // Claimed keys whose press the hook kept back and whose release it has not seen yet.
    std::array<std::atomic<bool>, 256> keptDown_{};
    // Per key: the downs the hook reported (hook thread), and the poll's last readings.
    std::array<std::atomic<std::uint32_t>, 256> hookDowns_{};
    std::array<std::uint32_t, 256> hookDownsAtPoll_{};
    std::array<std::uint32_t, 256> hookDownsTwoPollsAgo_{};
    std::array<bool, 256> downAtPoll_{};
    bool primed_ = false;
};

}  // namespace kavo
