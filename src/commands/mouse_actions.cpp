#include "commands/mouse_actions.h"

#include <cstdint>

#include "commands/precise_delay.h"
#include "commands/script_run.h"

namespace kavo {
namespace {

constexpr MouseButtonChanges kLeftClick = MouseButtonChange::LeftDown | MouseButtonChange::LeftUp;
constexpr MouseButtonChanges kRightClick =
    MouseButtonChange::RightDown | MouseButtonChange::RightUp;
constexpr MouseButtonChanges kMiddleClick =
    MouseButtonChange::MiddleDown | MouseButtonChange::MiddleUp;

// One notch of the wheel, sent with the middle button reported held.
constexpr std::int16_t kWheelNotch = 120;
// The window a posted context-menu request names.
constexpr std::uint32_t kContextMenuWindow = 0x000206AE;
// Added to the packed point of the wheel and context-menu messages (585 right, 383 down when
// no carry crosses the word boundary).
constexpr std::uint32_t kPointOffset = 25100873;

// y * 65536 + x computed exactly, then cut to its low 32 bits.
std::uint32_t PackPoint(int x, int y) {
    const std::int64_t exact = std::int64_t{y} * 65536 + std::int64_t{x};
    return static_cast<std::uint32_t>(exact);
}

// The messages of one button, and the buttons each reports held.
struct ButtonMessages {
    WindowMessage down;
    MouseButtons downHeld;
    WindowMessage up;
    MouseButtons upHeld;
    WindowMessage doubleClick;
};

void PostButtonAction(InputPort& input, NativeWindow window, std::int32_t point,
                      const ButtonMessages& button, int action) {
    const auto post = [&](WindowMessage message, MouseButtons held) {
        input.PostWindowMessage(window, {.message = message, .held = held, .point = point});
    };
    switch (action) {
        case 0:
        case 1:
            post(button.down, button.downHeld);
            post(button.up, button.upHeld);
            break;
        case 2:
            post(button.down, button.downHeld);
            post(button.up, button.upHeld);
            post(button.doubleClick, {});
            break;
        case 3:
            post(button.down, button.downHeld);
            break;
        case 4:
            post(button.up, button.upHeld);
            break;
        default:
            break;
    }
}

int StepToward(int from, int to) {
    return from < to ? from + 1 : from - 1;
}

}  // namespace

void ClickAtCursor(InputPort& input, ClickKind kind) {
    const Point click = input.GetCursorPos();
    const Point restore = input.GetCursorPos();
    MoveCursor(input, click.x, click.y);
    // Press and release in one event with no movement: the click lands where the cursor is.
    const MouseButtonChanges changes = kind == ClickKind::Left    ? kLeftClick
                                       : kind == ClickKind::Right ? kRightClick
                                                                  : kMiddleClick;
    input.MouseEvent(changes, click.x, click.y);
    // The click's target may have moved the cursor.
    MoveCursor(input, restore.x, restore.y);
}

void PressButtonAtCursor(InputPort& input, MouseButton button, KeyDirection direction) {
    const bool down = direction == KeyDirection::Down;
    MouseButtonChange change = down ? MouseButtonChange::LeftDown : MouseButtonChange::LeftUp;
    if (button == MouseButton::Right)
        change = down ? MouseButtonChange::RightDown : MouseButtonChange::RightUp;
    if (button == MouseButton::Middle)
        change = down ? MouseButtonChange::MiddleDown : MouseButtonChange::MiddleUp;
    const Point at = input.GetCursorPos();
    input.MouseEvent(change, at.x, at.y);
}

void TurnWheel(InputPort& input, int notches) {
    if (notches != 0) input.MouseWheel(notches * kWheelNotch);
}

void MoveCursor(InputPort& input, int x, int y) {
    input.SetCursorPos(x, y);
}

void GlideCursor(InputPort& input, WaitPort& wait, int x, int y) {
    // Read once: a user who moves the mouse meanwhile is pulled back onto the path.
    Point at = input.GetCursorPos();
    // One pixel per millisecond. Each step waits for its own point in time, start + k ms,
    // rather than 1 ms after the previous step: a timer that wakes late or a slow cursor
    // placement would otherwise add up over a long glide. The last step never ends early.
    const std::uint64_t start = wait.NowMicroseconds();
    std::uint64_t step = 0;
    while (at.x != x || at.y != y) {
        // A stopped run leaves the cursor where the glide has brought it.
        if (CurrentRunStopped()) return;
        if (at.x != x) at.x = StepToward(at.x, x);
        if (at.y != y) at.y = StepToward(at.y, y);
        ++step;
        const bool last = at.x == x && at.y == y;
        const std::uint64_t due = start + step * 1000;
        const std::uint64_t now = wait.NowMicroseconds();
        const std::uint64_t ahead = due > now ? due - now : 0;
        PreciseDelay(wait, static_cast<std::int32_t>((ahead + (last ? 999 : 500)) / 1000));
        MoveCursor(input, at.x, at.y);
    }
}

void PostMouseMessage(InputPort& input, NativeWindow window, int x, int y, int button, int action) {
    if (window == 0) window = input.GetDesktopWindow();
    const std::uint32_t point = PackPoint(x, y);
    const auto shifted = static_cast<std::int32_t>(point + kPointOffset);
    if (button == 4 || button == 5) {
        input.PostWindowMessage(
            window,
            {.message = WindowMessage::MouseWheel,
             .held = MouseButton::Middle,
             .wheelTurn = static_cast<std::int16_t>(button == 4 ? kWheelNotch : -kWheelNotch),
             .point = shifted});
        return;
    }
    const auto packed = static_cast<std::int32_t>(point);
    input.PostWindowMessage(
        window, {.message = WindowMessage::MouseMove, .held = MouseButton::Right, .point = packed});
    switch (button) {
        case 0:
        case 1:
            PostButtonAction(input, window, packed,
                             {WindowMessage::LeftButtonDown,
                              MouseButton::Left,
                              WindowMessage::LeftButtonUp,
                              {},
                              WindowMessage::LeftButtonDoubleClick},
                             action);
            break;
        case 2:
            PostButtonAction(
                input, window, packed,
                {WindowMessage::RightButtonDown, MouseButton::Right, WindowMessage::RightButtonUp,
                 MouseButton::Right, WindowMessage::RightButtonDoubleClick},
                action);
            // Whatever the action, a right button also asks for the context menu.
            input.PostWindowMessage(window, {.message = WindowMessage::ContextMenu,
                                             .value = kContextMenuWindow,
                                             .point = shifted});
            break;
        case 3:
            PostButtonAction(input, window, packed,
                             {WindowMessage::MiddleButtonDown,
                              MouseButton::Middle,
                              WindowMessage::MiddleButtonUp,
                              {},
                              WindowMessage::MiddleButtonDoubleClick},
                             action);
            break;
        default:
            break;
    }
}

}  // namespace kavo
