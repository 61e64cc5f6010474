#include "recording/recording_session.h"

#include <iterator>
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
    keysDown_.reset();
    buttonsDown_.reset();
    taking_ = true;
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
    Keep(kept, event.timeMs);
}

void RecordingSession::HearMouse(const RecordedEvent& event) {
    const std::lock_guard lock(mutex_);
    if (!taking_ || !settings_.options.mouse) return;
    const std::size_t button = ButtonIndex(event.button);
    if (event.kind == RecordedKind::ButtonDown) buttonsDown_.set(button);
    if (event.kind == RecordedKind::ButtonUp) {
        if (!buttonsDown_.test(button)) return;  // pressed before the recording began
        buttonsDown_.reset(button);
    }
    Keep(event, static_cast<std::uint32_t>(event.timeMs));
}

void RecordingSession::Keep(RecordedEvent event, std::uint32_t stamp) {
    // Stamps wrap after 49 days; one a little before the start (queued as it began) counts as 0.
    const auto since = static_cast<std::int32_t>(stamp - startMs_);
    event.timeMs = since > 0 ? static_cast<std::uint64_t>(since) : 0;
    events_.push_back(event);
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
        return;
    }
}

RuntimeText RecordingSession::Finish() {
    std::vector<RecordedEvent> events;
    RecordingOptions options;
    {
        const std::lock_guard lock(mutex_);
        taking_ = false;
        events.assign(events_.begin(), events_.end());
        events_.clear();
        options = settings_.options;
    }
    return WriteRecording(events, options);
}

}  // namespace kavo
