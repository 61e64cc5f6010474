// Every run of the program, however it started (直接运行, a bound key, /run from the command
// line), under one control: the list of runs going on, the stop key and the keyboard watch that
// hears it from any window, the latch of hotkey presses, the keys the program claims, closing and
// the session's end, and what the notification-area icon says about the runs. The main window and
// /run each make one; the Win32 side only gives it a hook, a timer and the icon.
//
// The road of a key press: the keyboard hook's thread hands every key event to the watch
// (hotkeys/keyboard_watch.h). The stop key stops every run there, at once, and wakes the
// releaser, a thread of the control's own that lets go of every key and button the runs hold
// (never from inside the hook procedure, which the system removes when it is slow; a run may be
// sitting in a message box or a wait that ends only later). A hotkey's press is latched, and the
// owner is told (pressLatched) to let the hotkey monitor fire it on its own thread, which then
// runs the script through Run().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <optional>
#include <string>
#include <vector>

#include "commands/script_run.h"
#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/key_latch.h"
#include "hotkeys/keyboard_watch.h"
#include "hotkeys/program_keys.h"
#include "platform/platform.h"

namespace kavo {

// How one run ended.
struct RunResult {
    bool stopped = false;  // by the stop key, closing, the session's end, or by itself
    int line = 0;          // the line (from 1) it was on when it stopped; 0 before any
    Utf8Text reason;       // why it stopped itself (a window it names is not there); empty when
                           // it was stopped from outside
    Utf8Text failure;      // the program failed inside the run (an exception): what it said
    bool Failed() const { return !failure.empty(); }
};

// What the balloon says after a stop, and where: kept until the owner shows it.
struct StopReport {
    Utf8Text text;
    int line = 0;
    std::uint64_t tag = 0;  // the caller's mark of what ran (the editor's page)
};

class RunControl {
  public:
    // Every call of a listener comes from another thread than the owner's (the hook's, a
    // run's); each must return at once.
    struct Listeners {
        // The first run started or the last one ended: TrayTip() changed.
        std::function<void()> runsChanged;
        // A hotkey's press was latched: the hotkey monitor may fire it now.
        std::function<void()> pressLatched;
        // A key claimed with ClaimKeys went down.
        std::function<void(KeyCode)> claimedKeyPressed;
        // A run stopped: TakeStopReport() holds what to tell.
        std::function<void()> runStopped;
    };

    // hotkeys: the program's hotkey monitor, which fires the latched presses (none for /run).
    RunControl(KeyboardHookPort& hook, InputPort& input, WaitPort& wait,
               HotkeyMonitor* hotkeys = nullptr);
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // Installs the keyboard watch with the stop key, and has the hotkey monitor fire from the
    // presses it latches. False when the system refused the hook (Poll then stands in for it).
    // On the owner's thread, the one the hotkey monitor belongs to.
    bool Start(Listeners listeners);
    // Every 50 ms on the owner's thread: the watch checks its hook and stands in for a dead one,
    // watching the hotkeys' keys so that a press the hook missed is not lost.
    void Poll();
    // After pressLatched, on the owner's thread: the hotkey monitor fires the latched presses.
    void FireLatchedHotkeys();
    // Whether a hotkey bound to run scripts uses the key (another use of it must be refused).
    bool IsBoundHotkey(KeyCode key) const;

    // Runs body (the script) as one run on the calling thread: listed, stopped by the stop key,
    // its held keys and buttons released however it ends. An exception escaping body ends the
    // run as failed: it is caught here, never crosses a thread's or a timer's entry point.
    RunResult Run(const std::function<void()>& body);
    // Tells the owner about a stopped run (script: its GBK text, for the line's words; tag: the
    // caller's mark of what ran). Any thread.
    void ReportStop(const RunResult& result, std::string_view script, std::uint64_t tag);
    std::optional<StopReport> TakeStopReport();

    int ActiveRuns() const { return runs_.ActiveRuns(); }
    bool Closing() const { return runs_.Closing(); }
    // The stop key: stops every run going on now and has the releaser let go of what they hold;
    // how many. Any thread; returns at once.
    int StopAll();
    // Stops every run and releases what each holds (the session ends, the program's last
    // moment).
    void StopAndReleaseAll() { runs_.StopAndReleaseAll(); }
    // The program closes: every run stops and no run starts any more, until EndClosing (the
    // close was called off).
    void BeginClosing() { runs_.BeginClosing(); }
    void EndClosing() { runs_.EndClosing(); }
    // The system asks whether the session may end: the runs stop and let go either way.
    void SessionEndQueried() { runs_.StopAndReleaseAll(); }
    // The session ends (ending) or goes on.
    void SessionEnded(bool ending);

    // The icon's tip: what runs, and how to stop it.
    Utf8Text TrayTip() const;

    KeyboardWatch& Keyboard() { return watch_; }
    KeyLatch& Latch() { return latch_; }
    ProgramKeys& Keys() { return keys_; }
    RunRegistry& Runs() { return runs_; }

  private:
    InputPort& input_;
    WaitPort& wait_;
    HotkeyMonitor* hotkeys_;
    RunRegistry runs_;
    KeyLatch latch_;
    KeyboardWatch watch_;
    ProgramKeys keys_;
    Listeners listeners_;
    std::mutex stopMutex_;
    std::optional<StopReport> stop_;

    // The releaser: wakes when asked, releases what every run holds (each release once: a run's
    // record is taken as it is released), sleeps again.
    void Releases();
    std::mutex releaseMutex_;
    std::condition_variable releaseWanted_;
    bool releasePending_ = false;
    bool releaserQuits_ = false;
    std::thread releaser_;
};

}  // namespace kavo
