#include "run_panel/cursor_tracking.h"

#include <string>

namespace kavo {

CursorTracking::CursorTracking(HotkeyMonitor& monitor, SystemPort& system, InputPort& input,
                               CursorTrackingView& view)
    : monitor_(monitor), system_(system), input_(input), view_(view), spy_(input, system) {}

void CursorTracking::RegisterCursorTrackingKey() {
    monitor_.RegisterHotkey([this](std::int32_t id) { ToggleCursorTracking(id); },
                            kCursorDisplayKey, 0);
}

void CursorTracking::ToggleCursorTracking(std::int32_t /*id*/) {
    // 0 stops the timer.
    view_.ChangeCursorTrackingInterval([](std::uint32_t current) -> std::uint32_t {
        return current == 0 ? kCursorDisplayIntervalMs : 0;
    });
}

void CursorTracking::ShowCursorPosition() {
    const PointerReading reading = spy_.Read();
    view_.ShowCursorCoordinates(std::to_string(reading.point.x), std::to_string(reading.point.y));
    view_.ShowWindowUnderCursor(LinesOf(reading));
}

void CursorTracking::InsertForKey(KeyCode key) {
    const Point point = input_.GetCursorPos();
    if (key == kInsertMoveKey) {
        view_.InsertInEditor(MoveStatementText(point));
        return;
    }
    if (key != kInsertDescriptionKey) return;
    const Utf8Text description = DescriptionOf(system_, system_.WindowAtPoint(point));
    if (!description.empty()) view_.InsertInEditor(description);
}

}  // namespace kavo
