#include "commands/run_input.h"

#include "commands/script_run.h"

namespace kavo {
namespace {

constexpr std::uint32_t kKeyUp = 0x0002;  // KEYEVENTF_KEYUP

// mouse_event's press and release flags of the left, right and middle buttons.
struct ButtonFlags {
    std::uint32_t down;
    std::uint32_t up;
};
constexpr ButtonFlags kButtons[] = {{0x0002, 0x0004}, {0x0008, 0x0010}, {0x0020, 0x0040}};

}  // namespace

void RunInput::SetCursorPos(int x, int y) {
    if (CurrentRunStopped()) return;
    real_.SetCursorPos(x, y);
}

void RunInput::MouseEvent(std::uint32_t flags, int x, int y) {
    ScriptRun* run = CurrentRun();
    if (run == nullptr) {
        real_.MouseEvent(flags, x, y);
        return;
    }
    if (run->StopRequested()) {
        // Only the releases of buttons the run holds pass.
        std::uint32_t releases = 0;
        for (const ButtonFlags& button : kButtons)
            if (run->Holds(HeldInput::Way::MouseEvent, button.up)) releases |= flags & button.up;
        flags = releases;
        if (flags == 0) return;
    }
    real_.MouseEvent(flags, x, y);
    for (const ButtonFlags& button : kButtons) {
        const bool down = (flags & button.down) != 0;
        const bool up = (flags & button.up) != 0;
        // Down and up in one call is a click: nothing stays held.
        if (down && !up) run->NotePressed({HeldInput::Way::MouseEvent, button.up, {}});
        if (up && !down) run->NoteReleased(HeldInput::Way::MouseEvent, button.up);
    }
}

void RunInput::KeybdEvent(std::uint8_t code, std::uint32_t flags) {
    ScriptRun* run = CurrentRun();
    const bool release = (flags & kKeyUp) != 0;
    if (run != nullptr && run->StopRequested() &&
        !(release && run->Holds(HeldInput::Way::KeybdEvent, code)))
        return;
    real_.KeybdEvent(code, flags);
    if (run == nullptr) return;
    if (release)
        run->NoteReleased(HeldInput::Way::KeybdEvent, code);
    else
        run->NotePressed({HeldInput::Way::KeybdEvent, code, {}});
}

void RunInput::SendKeyboardInput(const KeyboardInput& input) {
    ScriptRun* run = CurrentRun();
    const bool release = (input.flags & kKeyUp) != 0;
    if (run != nullptr && run->StopRequested() &&
        !(release && run->Holds(HeldInput::Way::SendInput, input.virtualKey)))
        return;
    real_.SendKeyboardInput(input);
    if (run == nullptr) return;
    if (release)
        run->NoteReleased(HeldInput::Way::SendInput, input.virtualKey);
    else
        run->NotePressed({HeldInput::Way::SendInput, input.virtualKey, input});
}

void RunInput::PostWindowMessage(NativeWindow window, std::uint32_t message, std::uint32_t wParam,
                                 std::int32_t lParam) {
    if (CurrentRunStopped()) return;
    real_.PostWindowMessage(window, message, wParam, lParam);
}

}  // namespace kavo
