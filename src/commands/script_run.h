// One script run, from its first statement to its end, and the list of runs going on: what lets
// the user stop every run at once, and what makes sure a run leaves no key or button held.
//
// A run is bound to the thread that runs it (a run started by a hotkey has a thread of its own;
// a run on the user-interface thread may even nest inside another run's wait there). Input
// actions and waits find the run of their thread through CurrentRun().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace kavo {

class RunRegistry;

// A key or mouse button that a run pressed and has not released, with how to release it: by
// the same way it was pressed.
struct HeldInput {
    enum class Way {
        VirtualKey,      // a bare virtual key went down (KeybdEvent)
        KeyboardRecord,  // a whole keyboard record with its scan code (SendKeyboardInput)
        MouseButton,     // a mouse button (MouseEvent)
    };
    Way way = Way::VirtualKey;
    // The keyboard ways: the key.
    std::uint16_t key = 0;
    // MouseButton: the change that releases the button.
    MouseButtonChange release = MouseButtonChange::LeftUp;
    // KeyboardRecord only: the press as it was sent; the release is the same record going up.
    KeyboardInput press;
    friend bool operator==(const HeldInput&, const HeldInput&) = default;
};

class ScriptRun {
  public:
    // Registers the run and makes it the calling thread's current run. input is the real input
    // (releases and left-over characters go there, not through the recording layer).
    ScriptRun(RunRegistry& registry, InputPort& input, WaitPort& wait);
    // However the run ends (its end, a stop, an exception): releases what it holds in reverse
    // order, posts a GBK lead byte still waiting for its trail byte as a character of its own
    // (unless stopped: a stopped run sends nothing new), and unregisters. Call on the run's
    // thread.
    ~ScriptRun();
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;

    // Any thread. Ends the run's waits at once and makes its next statement its last.
    void RequestStop();
    bool StopRequested() const { return stopped_.load(std::memory_order_acquire); }
    // The run's thread: the run cannot go on (a window it names is not there) and stops; why
    // is what the user is told (UTF-8). A run stopped before keeps no reason of its own.
    void StopBecause(Utf8Text why);
    // Why the run stopped itself; empty when it was stopped from outside, or not at all.
    Utf8Text StopReason() const;
    // Ended by a stop while it was waiting or between statements: the line it was on (from 1;
    // 0 before the first statement).
    int Line() const { return line_.load(std::memory_order_relaxed); }
    void SetLine(int line) { line_.store(line, std::memory_order_relaxed); }

    // True the first time it is asked, false after: what the run tells the user once (a
    // window that drops what the run sends it).
    bool FirstNotice() { return !noticed_.exchange(true); }
    bool Noticed() const { return noticed_.load(std::memory_order_relaxed); }

    // The foreground window the run's injected input last met, its process and whether that
    // process runs above this program: asked of the system once per window and process in a
    // run, not for every key. The run's thread only.
    struct ForegroundCheck {
        NativeWindow window = 0;
        std::uint32_t processId = 0;
        bool above = false;
    };
    std::optional<ForegroundCheck>& LastForeground() { return foreground_; }

    // The run's thread: the event its waits listen to (0 when none could be made; waits then
    // still end at their next wake-up).
    WaitPort::WakeHandle WakeEvent() const { return wake_; }

    // The record of what the run holds, kept by the input layer.
    void NotePressed(const HeldInput& held);
    // Drops the held entry that this release lets go (same key, however it was pressed, or same
    // mouse button); false when nothing of the kind was held.
    bool NoteReleased(const HeldInput& released);
    bool Holds(const HeldInput& input) const;
    std::vector<HeldInput> Held() const;
    // Any thread (the process closing): releases everything held, newest first, and forgets it.
    void ReleaseHeld();
    // Any thread: what the run holds, forgotten by it; the caller releases it (Release).
    std::vector<HeldInput> TakeHeld();
    // The same, or nothing when the record is locked right now.
    std::optional<std::vector<HeldInput>> TryTakeHeld();
    InputPort& Input() const { return input_; }
    // The run this one nests in on the same thread; nullptr for the outermost.
    const ScriptRun* Outer() const { return outer_; }
    // Releases what was held, newest first, each the way it was pressed.
    static void Release(InputPort& input, const std::vector<HeldInput>& held);

    // GBK lead bytes of character posts waiting for the trail byte of the next character post
    // to the same window.
    std::optional<std::uint8_t> TakeLeadByte(NativeWindow window);
    void KeepLeadByte(NativeWindow window, std::uint8_t lead);

  private:
    RunRegistry& registry_;
    InputPort& input_;
    WaitPort& wait_;
    WaitPort::WakeHandle wake_ = 0;
    ScriptRun* outer_ = nullptr;  // the run this one nests in on the same thread
    std::atomic<bool> stopped_{false};
    std::atomic<bool> noticed_{false};
    std::atomic<int> line_{0};
    mutable std::mutex reasonMutex_;
    Utf8Text reason_;
    mutable std::mutex heldMutex_;  // the process may close from another thread
    std::vector<HeldInput> held_;
    std::vector<std::pair<NativeWindow, std::uint8_t>> leadBytes_;
    std::optional<ForegroundCheck> foreground_;
};

// The process is going down (an exception nobody caught): every run of every registry stops and
// lets go of what it holds. Takes no lock that a thread stopped half way could hold for good: a
// run whose record is locked at that moment is skipped.
void ReleaseEverythingHeldInProcess();

// The calling thread's innermost run; nullptr outside any run.
ScriptRun* CurrentRun();
// True inside a run that has been asked to stop.
bool CurrentRunStopped();
// The engine's gate before each statement: false when the calling thread's run has been asked
// to stop; otherwise notes the line as the one the run is on.
bool CurrentRunMayGoOn(int line);
// How many runs the calling thread is in (a run on the user-interface thread may nest inside
// another's wait).
int RunsOnCallingThread();

// Every run going on, whichever thread runs it. Thread-safe.
class RunRegistry {
  public:
    RunRegistry();
    ~RunRegistry();
    RunRegistry(const RunRegistry&) = delete;
    RunRegistry& operator=(const RunRegistry&) = delete;

    // Stops every run going on now (runs started afterwards are not affected). Returns how many.
    int StopAll();
    // Stops every run and releases what each holds. The releases are injected after the list's
    // lock is let go: an injected key waits for the keyboard watch's hook, whose stop key may be
    // waiting for that lock.
    void StopAndReleaseAll();
    // Releases what every stopped run holds (a run started since goes on holding its keys). Any
    // thread; the releases are injected outside the list's lock.
    void ReleaseStopped();
    // The program is closing: every run is stopped and no run starts any more (a run made now is
    // stopped before its first statement).
    void BeginClosing();
    // The close was called off: runs may start again.
    void EndClosing();
    bool Closing() const;
    int ActiveRuns() const;
    // Called when the first run starts and when the last one ends, on the thread of that run,
    // outside the registry's lock. Two threads may report at once: the observer reads
    // ActiveRuns() for the state rather than trusting the order of the calls.
    void SetActivityObserver(std::function<void()> observer);

  private:
    friend class ScriptRun;
    friend void ReleaseEverythingHeldInProcess();
    void Add(ScriptRun& run);
    void Remove(ScriptRun& run);

    mutable std::mutex mutex_;
    std::vector<ScriptRun*> runs_;
    std::function<void()> observer_;
    bool closing_ = false;
};

}  // namespace kavo
