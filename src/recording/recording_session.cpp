#include "recording/recording_session.h"

#include <iterator>
#include <new>
#include <utility>
#include <vector>

#include "recording/script_writer.h"

namespace kavo {
namespace {

std::size_t ButtonIndex(MouseButton button) {
    switch (button) {
        case MouseButton::Right:
            return 1;
        case MouseButton::Middle:
            return 2;
        default:
            return 0;
    }
}

}  // namespace

void RecordingSession::Begin(const RecordingSettings& settings, std::uint32_t nowMs) {
    const std::lock_guard lock(mutex_);
    settings_ = settings;
    startMs_ = nowMs;
    events_.clear();
    lastMove_.reset();
    lastPathMs_.reset();
    strayKept_ = false;
    keysDown_.reset();
    buttonsDown_.reset();
    endedFull_ = false;
    taking_ = true;
}

void RecordingSession::WhenFull(std::function<void()> onFull) {
    const std::lock_guard lock(mutex_);
    onFull_ = std::move(onFull);
}

bool RecordingSession::EndedFull() const {
    const std::lock_guard lock(mutex_);
    return endedFull_;
}

std::size_t RecordingSession::HeldBytes() const {
    const std::lock_guard lock(mutex_);
    return events_.size() * sizeof(RecordedEvent);
}

bool RecordingSession::Taking() const {
    const std::lock_guard lock(mutex_);
    return taking_;
}

KeyCode RecordingSession::RecordKey() const {
    const std::lock_guard lock(mutex_);
    return settings_.recordKey;
}

void RecordingSession::HearKey(const KeyEvent& event) {
    if (event.ours || event.key == stopKey_) return;
    std::function<void()> tell;
    {
        const std::lock_guard lock(mutex_);
        if (!taking_ || !settings_.options.keyboard || event.key == settings_.recordKey) return;
        if (event.down) {
            keysDown_.set(event.key);
        } else if (!keysDown_.test(event.key)) {
            return;  // pressed before the recording began
        } else {
            keysDown_.reset(event.key);
        }
        RecordedEvent kept;
        kept.kind = event.down ? RecordedKind::KeyDown : RecordedKind::KeyUp;
        kept.key = event.key;
        if (!Keep(kept, event.timeMs)) tell = onFull_;
    }
    if (tell) tell();
}

void RecordingSession::HearMouse(const RecordedEvent& event) {
    std::function<void()> tell;
    {
        const std::lock_guard lock(mutex_);
        if (!taking_ || !settings_.options.mouse) return;
        const std::size_t button = ButtonIndex(event.button);
        if (event.kind == RecordedKind::ButtonDown) buttonsDown_.set(button);
        if (event.kind == RecordedKind::ButtonUp) {
            if (!buttonsDown_.test(button)) return;  // pressed before the recording began
            buttonsDown_.reset(button);
        }
        const bool room = event.kind == RecordedKind::Move
                              ? KeepMove(event)
                              : Keep(event, static_cast<std::uint32_t>(event.timeMs));
        if (!room) tell = onFull_;
    }
    // Outside the lock: the listener may ask the session anything.
    if (tell) tell();
}

std::uint64_t RecordingSession::SinceStart(std::uint32_t stamp) const {
    // Stamps wrap after 49 days.
    const auto since = static_cast<std::int32_t>(stamp - startMs_);
    return since > 0 ? static_cast<std::uint64_t>(since) : 0;
}

bool RecordingSession::Keep(RecordedEvent event, std::uint32_t stamp) {
    event.timeMs = SinceStart(stamp);
    // The last move before it is kept first: the pointer's last point may be needed.
    if (lastMove_ && !Append(*std::exchange(lastMove_, std::nullopt))) return false;
    if (event.kind == RecordedKind::ButtonDown) {
        pressPoint_ = event.point;
        strayKept_ = false;
    }
    return Append(event);
}

bool RecordingSession::KeepMove(RecordedEvent event) {
    event.timeMs = SinceStart(static_cast<std::uint32_t>(event.timeMs));
    if (!lastPathMs_ || event.timeMs - *lastPathMs_ >= PathIntervalMs(settings_.options)) {
        lastPathMs_ = event.timeMs;
        lastMove_.reset();  // this one is later
        return Append(event);
    }
    if (buttonsDown_.any() && !strayKept_ && !NearEnoughForAClick(event.point, pressPoint_)) {
        strayKept_ = true;
        lastMove_.reset();
        return Append(event);
    }
    lastMove_ = event;
    return true;
}

bool RecordingSession::Append(const RecordedEvent& event) {
    if ((events_.size() + 1) * sizeof(RecordedEvent) > mostHeldBytes_) {
        Full();
        return false;
    }
    try {
        events_.push_back(event);
    } catch (const std::bad_alloc&) {
        Full();
        return false;
    }
    return true;
}

void RecordingSession::Full() {
    // What was kept stays, to be written; nothing more is taken.
    taking_ = false;
    endedFull_ = true;
    lastMove_.reset();
}

bool RecordingSession::StopTaking() {
    const std::lock_guard lock(mutex_);
    const bool was = taking_;
    taking_ = false;
    return was;
}

void RecordingSession::DropLastClick() {
    const std::lock_guard lock(mutex_);
    for (auto event = events_.rbegin(); event != events_.rend(); ++event) {
        if (event->kind != RecordedKind::ButtonDown) continue;
        events_.erase(std::next(event).base(), events_.end());
        lastMove_.reset();  // heard after it
        return;
    }
}

RuntimeText RecordingSession::Finish() {
    std::vector<RecordedEvent> events;
    RecordingOptions options;
    {
        const std::lock_guard lock(mutex_);
        taking_ = false;
        if (lastMove_) events_.push_back(*std::exchange(lastMove_, std::nullopt));
        events.assign(events_.begin(), events_.end());
        events_ = {};
        options = settings_.options;
    }
    return WriteRecording(std::move(events), options);
}

}  // namespace kavo
