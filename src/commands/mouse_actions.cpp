#include "commands/mouse_actions.h"

#include <cstdint>

#include "commands/precise_delay.h"
#include "commands/script_run.h"

namespace kavo {
namespace {

constexpr std::uint32_t kLeftDownUp = 0x0002 | 0x0004;   // MOUSEEVENTF_LEFTDOWN | LEFTUP
constexpr std::uint32_t kRightDownUp = 0x0008 | 0x0010;  // MOUSEEVENTF_RIGHTDOWN | RIGHTUP

constexpr std::uint32_t kMouseMove = 0x0200;
constexpr std::uint32_t kLeftDown = 0x0201;
constexpr std::uint32_t kLeftUp = 0x0202;
constexpr std::uint32_t kLeftDoubleClick = 0x0203;
constexpr std::uint32_t kRightDown = 0x0204;
constexpr std::uint32_t kRightUp = 0x0205;
constexpr std::uint32_t kRightDoubleClick = 0x0206;
constexpr std::uint32_t kMiddleDown = 0x0207;
constexpr std::uint32_t kMiddleUp = 0x0208;
constexpr std::uint32_t kMiddleDoubleClick = 0x0209;
constexpr std::uint32_t kMouseWheel = 0x020A;
constexpr std::uint32_t kContextMenu = 0x007B;

constexpr std::uint32_t kLeftHeld = 0x0001;    // MK_LBUTTON
constexpr std::uint32_t kRightHeld = 0x0002;   // MK_RBUTTON
constexpr std::uint32_t kMiddleHeld = 0x0010;  // MK_MBUTTON

constexpr std::uint32_t kWheelForward = 0x00780010;   // +120 with MK_MBUTTON
constexpr std::uint32_t kWheelBackward = 0xFF880010;  // -120 with MK_MBUTTON
constexpr std::uint32_t kContextMenuWParam = 0x000206AE;
// Added to the packed point of the wheel and context-menu messages (585 right, 383 down when
// no carry crosses the word boundary).
constexpr std::uint32_t kPointOffset = 25100873;

// y * 65536 + x computed exactly, then cut to its low 32 bits.
std::uint32_t PackPoint(int x, int y) {
    const std::int64_t exact = std::int64_t{y} * 65536 + std::int64_t{x};
    return static_cast<std::uint32_t>(exact);
}

struct ButtonMessages {
    std::uint32_t down, downWParam;
    std::uint32_t up, upWParam;
    std::uint32_t doubleClick;
};

void PostButtonAction(InputPort& input, NativeWindow window, std::int32_t point,
                      const ButtonMessages& button, int action) {
    const auto post = [&](std::uint32_t message, std::uint32_t wParam) {
        input.PostWindowMessage(window, message, wParam, point);
    };
    switch (action) {
        case 0:
        case 1:
            post(button.down, button.downWParam);
            post(button.up, button.upWParam);
            break;
        case 2:
            post(button.down, button.downWParam);
            post(button.up, button.upWParam);
            post(button.doubleClick, 0);
            break;
        case 3:
            post(button.down, button.downWParam);
            break;
        case 4:
            post(button.up, button.upWParam);
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
    // Press and release in one call: the click lands where the cursor is (no MOUSEEVENTF_MOVE).
    input.MouseEvent(kind == ClickKind::Left ? kLeftDownUp : kRightDownUp, click.x, click.y);
    // The click's target may have moved the cursor.
    MoveCursor(input, restore.x, restore.y);
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
        input.PostWindowMessage(window, kMouseWheel, button == 4 ? kWheelForward : kWheelBackward,
                                shifted);
        return;
    }
    const auto packed = static_cast<std::int32_t>(point);
    input.PostWindowMessage(window, kMouseMove, kRightHeld, packed);
    switch (button) {
        case 0:
        case 1:
            PostButtonAction(input, window, packed,
                             {kLeftDown, kLeftHeld, kLeftUp, 0, kLeftDoubleClick}, action);
            break;
        case 2:
            PostButtonAction(input, window, packed,
                             {kRightDown, kRightHeld, kRightUp, kRightHeld, kRightDoubleClick},
                             action);
            // Whatever the action, a right button also asks for the context menu.
            input.PostWindowMessage(window, kContextMenu, kContextMenuWParam, shifted);
            break;
        case 3:
            PostButtonAction(input, window, packed,
                             {kMiddleDown, kMiddleHeld, kMiddleUp, 0, kMiddleDoubleClick}, action);
            break;
        default:
            break;
    }
}

}  // namespace kavo
