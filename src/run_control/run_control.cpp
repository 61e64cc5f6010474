#include "run_control/run_control.h"

#include <exception>
#include <utility>

#include "commands/run_texts.h"
#include "hotkeys/stop_key.h"

namespace kavo {

RunControl::RunControl(KeyboardHookPort& hook, InputPort& input, WaitPort& wait,
                       HotkeyMonitor* hotkeys)
    : input_(input), wait_(wait), hotkeys_(hotkeys), watch_(hook) {}

RunControl::~RunControl() {
    watch_.Stop();
    {
        const std::lock_guard lock(releaseMutex_);
        releaserQuits_ = true;
    }
    releaseWanted_.notify_one();
    if (releaser_.joinable()) releaser_.join();
}

int RunControl::StopAll() {
    const int stopped = runs_.StopAll();
    if (stopped > 0) {
        {
            const std::lock_guard lock(releaseMutex_);
            releasePending_ = true;
        }
        releaseWanted_.notify_one();
    }
    return stopped;
}

void RunControl::Releases() {
    std::unique_lock lock(releaseMutex_);
    for (;;) {
        releaseWanted_.wait(lock, [this] { return releasePending_ || releaserQuits_; });
        if (releaserQuits_) return;
        releasePending_ = false;
        lock.unlock();
        runs_.ReleaseStopped();
        lock.lock();
    }
}

bool RunControl::Start(Listeners listeners) {
    listeners_ = std::move(listeners);
    // Runs start and end on any thread; the owner hears it without being waited for.
    runs_.SetActivityObserver([this] {
        if (listeners_.runsChanged) listeners_.runsChanged();
    });
    KeyboardWatch::Handlers handlers;
    handlers.latch = &latch_;
    handlers.pressLatched = [this] {
        if (listeners_.pressLatched) listeners_.pressLatched();
    };
    // While scripts run the stop key is theirs alone; otherwise the focused program gets it.
    handlers.stopKeyPressed = [this] { return StopAll() > 0; };
    if (!releaser_.joinable()) releaser_ = std::thread([this] { Releases(); });
    handlers.claimedKeyPressed = [this](KeyCode key) {
        if (listeners_.claimedKeyPressed) listeners_.claimedKeyPressed(key);
    };
    const bool hooked = watch_.Start(kStopKey, std::move(handlers));
    if (hotkeys_ != nullptr) hotkeys_->UseLatch(latch_);
    return hooked;
}

void RunControl::Poll() {
    std::vector<KeyCode> keys;
    if (hotkeys_ != nullptr)
        for (const HotkeyRecord& record : hotkeys_->Records()) keys.push_back(record.key);
    watch_.WatchKeys(std::move(keys));
    watch_.Poll();
}

void RunControl::FireLatchedHotkeys() {
    if (hotkeys_ != nullptr) hotkeys_->PollHotkeys();
}

bool RunControl::IsBoundHotkey(KeyCode key) const {
    if (hotkeys_ == nullptr || key == 0) return false;
    const KeyCode cursorDisplay = keys_.KeyOf(ProgramKey::CursorDisplay);
    for (const HotkeyRecord& record : hotkeys_->Records())
        if (record.key == key && key != cursorDisplay) return true;
    return false;
}

RunResult RunControl::Run(const std::function<void()>& body) {
    RunResult result;
    const ScriptRun run(runs_, input_, wait_);
    try {
        body();
    } catch (const std::exception& error) {
        result.failure = error.what();
        if (result.failure.empty()) result.failure = "未知错误";
    } catch (...) {
        result.failure = "未知错误";
    }
    result.stopped = run.StopRequested();
    result.line = run.Line();
    result.reason = run.StopReason();
    return result;
}

void RunControl::ReportStop(const RunResult& result, std::string_view script, std::uint64_t tag) {
    if (!result.stopped && !result.Failed()) return;
    StopReport report;
    // A run that failed or stopped itself says why; a stop from outside says where it was.
    if (result.Failed())
        report.text = RunFailedText(result.failure, result.line);
    else
        report.text = result.reason.empty() ? StoppedText(script, result.line) : result.reason;
    report.line = result.line;
    report.tag = tag;
    {
        const std::lock_guard lock(stopMutex_);
        stop_ = std::move(report);
    }
    if (listeners_.runStopped) listeners_.runStopped();
}

std::optional<StopReport> RunControl::TakeStopReport() {
    const std::lock_guard lock(stopMutex_);
    std::optional<StopReport> report = std::move(stop_);
    stop_.reset();
    return report;
}

void RunControl::SessionEnded(bool ending) {
    if (!ending) return;
    runs_.BeginClosing();
    runs_.StopAndReleaseAll();
}

Utf8Text RunControl::TrayTip() const {
    return runs_.ActiveRuns() > 0 ? RunningTip(kStopKeyName) : IdleTip();
}

}  // namespace kavo
