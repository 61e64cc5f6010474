#include "recording/script_writer.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "commands/script_words.h"
#include "text/encoding.h"

namespace kavo {
namespace {

// A press and release closer than this (in each direction) is a click where it was pressed.
constexpr int kClickTolerancePixels = 4;
// Letters typed further apart than this start a new 按键.
constexpr std::uint64_t kTypingGapMs = 600;
// What some statements take to play back: 特殊按键 holds its key 50 ms and waits 50 ms after.
constexpr std::uint64_t kSpecialKeyMs = 100;

bool IsTypableKey(KeyCode key) {
    return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
}

char TypedCharacter(KeyCode key) {
    return key >= 'A' && key <= 'Z' ? static_cast<char>(key - 'A' + 'a') : static_cast<char>(key);
}

// 鼠标 with its word for what a button did.
std::string MouseStatement(MouseWord::Act act, MouseButton button, int notches = 0) {
    return Statement(kWordMouse, MouseWordFor(act, button, notches));
}

std::string Point2(Point point) {
    return std::to_string(point.x) + "," + std::to_string(point.y);
}

int GlideMs(Point from, Point to) {
    return std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
}

}  // namespace

bool NearEnoughForAClick(Point a, Point b) {
    return std::abs(a.x - b.x) <= kClickTolerancePixels &&
           std::abs(a.y - b.y) <= kClickTolerancePixels;
}

namespace {

bool Near(Point a, Point b) {
    return NearEnoughForAClick(a, b);
}

class Writer {
  public:
    Writer(const std::vector<RecordedEvent>& events, const RecordingOptions& options)
        : events_(events), options_(options), pathSamples_(PathSamples(events, options)) {}

    std::string Write() {
        for (std::size_t i = 0; i < events_.size(); ++i) {
            if (consumed_.count(i) != 0) continue;
            const RecordedEvent& event = events_[i];
            if (event.kind != RecordedKind::KeyDown && event.kind != RecordedKind::KeyUp)
                lastPoint_ = event.point;
            switch (event.kind) {
                case RecordedKind::KeyDown:
                    OnKeyDown(i);
                    break;
                case RecordedKind::KeyUp:
                    OnKeyUp(event);
                    break;
                case RecordedKind::ButtonDown:
                    OnButtonDown(i);
                    break;
                case RecordedKind::ButtonUp:
                    OnButtonUp(event);
                    break;
                case RecordedKind::Wheel:
                    MoveTo(event.point, event.timeMs);
                    for (int n = 0; n < std::abs(event.wheelNotches); ++n)
                        Emit(MouseStatement(MouseWord::Act::Wheel, MouseButton::Middle,
                                            event.wheelNotches),
                             event.timeMs, 0);
                    break;
                case RecordedKind::Move:
                    if (options_.path && pathSamples_[i]) MoveTo(event.point, event.timeMs, true);
                    break;
            }
        }
        FlushTyping();
        ReleaseWhatIsStillHeld();
        return text_;
    }

  private:
    // The moves the path is drawn through: the first, then the first at least one path interval
    // after the last one taken. Every move counts, those within a click too (which the click
    // takes up), so that the recording session can drop the others as they come.
    static std::vector<bool> PathSamples(const std::vector<RecordedEvent>& events,
                                         const RecordingOptions& options) {
        std::vector<bool> samples(events.size());
        std::optional<std::uint64_t> last;
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i].kind != RecordedKind::Move) continue;
            if (last && events[i].timeMs - *last < PathIntervalMs(options)) continue;
            last = events[i].timeMs;
            samples[i] = true;
        }
        return samples;
    }

    // --- keys ---

    // The key's release after index, or nothing when it stays down to the end.
    std::optional<std::size_t> ReleaseOf(std::size_t index) const {
        const KeyCode key = events_[index].key;
        for (std::size_t j = index + 1; j < events_.size(); ++j)
            if (events_[j].kind == RecordedKind::KeyUp && events_[j].key == key) return j;
        return std::nullopt;
    }

    // Another key went down while this one was held: it is held for them, not tapped.
    bool HeldForOthers(std::size_t down, std::optional<std::size_t> up) const {
        const std::size_t end = up.value_or(events_.size());
        for (std::size_t j = down + 1; j < end; ++j)
            if (events_[j].kind == RecordedKind::KeyDown && events_[j].key != events_[down].key)
                return true;
        return !up.has_value();
    }

    void OnKeyDown(std::size_t index) {
        const RecordedEvent& event = events_[index];
        // Auto-repeat of a key already down is no new press.
        if (std::find(held_.begin(), held_.end(), event.key) != held_.end()) return;
        const std::optional<std::size_t> up = ReleaseOf(index);
        if (HeldForOthers(index, up)) {
            FlushTyping();
            Emit(Statement(kWordHoldKey, std::to_string(event.key)), event.timeMs, 0);
            held_.push_back(event.key);
            return;
        }
        // A tap: its release is part of it, as are repeats before it.
        for (std::size_t j = index + 1; j <= *up; ++j)
            if (events_[j].key == event.key && (events_[j].kind == RecordedKind::KeyDown ||
                                                events_[j].kind == RecordedKind::KeyUp))
                consumed_.insert(j);
        if (held_.empty() && IsTypableKey(event.key)) {
            if (!typing_.empty() && event.timeMs - typingTimes_.back() > kTypingGapMs)
                FlushTyping();
            typing_.push_back(TypedCharacter(event.key));
            typingTimes_.push_back(event.timeMs);
            return;
        }
        FlushTyping();
        Emit(Statement(kWordSpecialKey, std::to_string(event.key)), event.timeMs, kSpecialKeyMs);
    }

    void OnKeyUp(const RecordedEvent& event) {
        const auto found = std::find(held_.begin(), held_.end(), event.key);
        if (found == held_.end()) return;  // a key down since before the recording began
        held_.erase(found);
        FlushTyping();
        Emit(Statement(kWordReleaseKey, std::to_string(event.key)), event.timeMs, 0);
    }

    // 按键 presses a key, then waits its interval, for each character: the interval is the
    // typing's own average pace.
    void FlushTyping() {
        if (typing_.empty()) return;
        const std::uint64_t first = typingTimes_.front();
        const std::uint64_t span = typingTimes_.back() - first;
        const std::uint64_t interval =
            typing_.size() > 1 ? (span + (typing_.size() - 1) / 2) / (typing_.size() - 1) : 0;
        const std::string text = typing_;
        typing_.clear();
        typingTimes_.clear();
        Emit(Statement(kWordTypeKeys, text + "," + std::to_string(interval)), first,
             interval * text.size());
    }

    // --- the mouse ---

    void OnButtonDown(std::size_t index) {
        const RecordedEvent& down = events_[index];
        FlushTyping();
        // A click: the release follows with nothing but small moves between.
        std::optional<std::size_t> up;
        bool onlyNearMoves = true;
        for (std::size_t j = index + 1; j < events_.size(); ++j) {
            const RecordedEvent& next = events_[j];
            if (next.kind == RecordedKind::ButtonUp && next.button == down.button) {
                up = j;
                break;
            }
            if (next.kind != RecordedKind::Move || !Near(next.point, down.point)) {
                onlyNearMoves = false;
                break;
            }
        }
        MoveTo(down.point, down.timeMs);
        if (up && onlyNearMoves && Near(events_[*up].point, down.point)) {
            for (std::size_t j = index + 1; j <= *up; ++j) consumed_.insert(j);
            Emit(MouseStatement(MouseWord::Act::Click, down.button), down.timeMs, 0);
            return;
        }
        Emit(MouseStatement(MouseWord::Act::Press, down.button), down.timeMs, 0);
        buttonsHeld_.push_back(down.button);
    }

    void OnButtonUp(const RecordedEvent& event) {
        const auto found = std::find(buttonsHeld_.begin(), buttonsHeld_.end(), event.button);
        if (found == buttonsHeld_.end()) return;  // pressed before the recording began
        buttonsHeld_.erase(found);
        MoveTo(event.point, event.timeMs);
        Emit(MouseStatement(MouseWord::Act::Release, event.button), event.timeMs, 0);
    }

    // A recording ended with a key or a button still down (Ctrl pressed with the end key, a drag
    // cut short): playback lets go of it at the end, as the user did after, so that nothing
    // stays held once the page has run.
    void ReleaseWhatIsStillHeld() {
        const std::uint64_t end = events_.empty() ? 0 : events_.back().timeMs;
        while (!held_.empty()) {
            Emit(Statement(kWordReleaseKey, std::to_string(held_.back())), end, 0);
            held_.pop_back();
        }
        if (!buttonsHeld_.empty() && lastPoint_) MoveTo(*lastPoint_, end);
        for (const MouseButton button : buttonsHeld_)
            Emit(MouseStatement(MouseWord::Act::Release, button), end, 0);
        buttonsHeld_.clear();
    }

    // The pointer to point, by the time of `when`: a glide when there is the time for it (its
    // time comes off the pause before), else placed at once. Along a sampled path the samples
    // follow each other without pauses of their own (a line a sample at most); only a rest of
    // the pointer longer than two samples shows.
    void MoveTo(Point point, std::uint64_t when, bool alongPath = false) {
        if (pointer_ && *pointer_ == point) return;
        FlushTyping();
        const std::uint64_t available = when > playedUntil_ ? when - playedUntil_ : 0;
        const int glide = pointer_ ? GlideMs(*pointer_, point) : 0;
        const std::uint64_t shortest = alongPath ? 2 * PathIntervalMs(options_) : 0;
        if (!pointer_ || static_cast<std::uint64_t>(glide) <= available) {
            Pause(available - static_cast<std::uint64_t>(glide), shortest);
            Line(Statement(kWordMouseMove, Point2(point)));
        } else {
            Pause(available, shortest);
            Line(Statement(kWordPlaceCursor, Point2(point)));
        }
        playedUntil_ = when;
        pointer_ = point;
    }

    // --- output ---

    void Emit(const std::string& statement, std::uint64_t when, std::uint64_t takesMs) {
        Pause(when > playedUntil_ ? when - playedUntil_ : 0);
        Line(statement);
        playedUntil_ = std::max(playedUntil_, when) + takesMs;
    }

    void Pause(std::uint64_t ms, std::uint64_t shortest = 0) {
        const auto threshold = std::max<std::uint64_t>(
            static_cast<std::uint64_t>(std::max(options_.pauseThresholdMs, 1)), shortest);
        if (started_ && ms >= threshold) Line(Statement(kWordDelay, std::to_string(ms)));
    }

    void Line(const std::string& statement) {
        text_ += statement;
        text_ += "\r\n";
        started_ = true;
    }

    const std::vector<RecordedEvent>& events_;
    const RecordingOptions& options_;
    std::string text_;
    std::set<std::size_t> consumed_;
    std::vector<KeyCode> held_;
    std::vector<MouseButton> buttonsHeld_;
    std::string typing_;
    std::vector<std::uint64_t> typingTimes_;
    std::optional<Point> pointer_;
    std::optional<Point> lastPoint_;  // where the pointer was last heard of
    const std::vector<bool> pathSamples_;
    std::uint64_t playedUntil_ = 0;
    bool started_ = false;  // no pause before the first statement
};

}  // namespace

std::uint64_t PathIntervalMs(const RecordingOptions& options) {
    return static_cast<std::uint64_t>(std::max(options.pathIntervalMs, 1));
}

RuntimeText WriteRecording(std::vector<RecordedEvent> events, const RecordingOptions& options) {
    std::erase_if(events, [&options](const RecordedEvent& event) {
        const bool key = event.kind == RecordedKind::KeyDown || event.kind == RecordedKind::KeyUp;
        return !(key ? options.keyboard : options.mouse);
    });
    return Utf8ToGbk(Writer(events, options).Write());
}

}  // namespace kavo
