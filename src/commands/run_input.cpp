#include "commands/run_input.h"

#include "commands/script_run.h"

namespace kavo {
namespace {

// The press and the release of the left, right and middle buttons.
struct ButtonChanges {
    MouseButtonChange down;
    MouseButtonChange up;
};
constexpr ButtonChanges kButtons[] = {
    {MouseButtonChange::LeftDown, MouseButtonChange::LeftUp},
    {MouseButtonChange::RightDown, MouseButtonChange::RightUp},
    {MouseButtonChange::MiddleDown, MouseButtonChange::MiddleUp},
};

HeldInput HeldButton(MouseButtonChange release) {
    return {.way = HeldInput::Way::MouseButton, .release = release};
}
HeldInput HeldKey(HeldInput::Way way, std::uint16_t key) {
    return {.way = way, .key = key};
}

}  // namespace

void RunInput::BeforeInjection(ScriptRun* run) {
    if (run != nullptr && watch_ && !run->StopRequested()) watch_(*run);
}

void RunInput::SetCursorPos(int x, int y) {
    if (CurrentRunStopped()) return;
    real_.SetCursorPos(x, y);
}

void RunInput::MouseEvent(MouseButtonChanges changes, int x, int y) {
    ScriptRun* run = CurrentRun();
    if (run == nullptr) {
        real_.MouseEvent(changes, x, y);
        return;
    }
    if (run->StopRequested()) {
        // Only the releases of buttons the run holds pass.
        MouseButtonChanges releases;
        for (const ButtonChanges& button : kButtons)
            if (changes.Has(button.up) && run->Holds(HeldButton(button.up)))
                releases.Add(button.up);
        changes = releases;
        if (changes.Empty()) return;
    }
    BeforeInjection(run);
    real_.MouseEvent(changes, x, y);
    for (const ButtonChanges& button : kButtons) {
        const bool down = changes.Has(button.down);
        const bool up = changes.Has(button.up);
        // Down and up in one event is a click: nothing stays held.
        if (down && !up) run->NotePressed(HeldButton(button.up));
        if (up && !down) run->NoteReleased(HeldButton(button.up));
    }
}

void RunInput::MouseWheel(int turn) {
    if (CurrentRunStopped()) return;
    BeforeInjection(CurrentRun());
    real_.MouseWheel(turn);
}

void RunInput::KeybdEvent(KeyCode code, KeyDirection direction) {
    ScriptRun* run = CurrentRun();
    const bool release = direction == KeyDirection::Up;
    const HeldInput key = HeldKey(HeldInput::Way::VirtualKey, code);
    if (run != nullptr && run->StopRequested() && !(release && run->Holds(key))) return;
    BeforeInjection(run);
    real_.KeybdEvent(code, direction);
    if (run == nullptr) return;
    if (release)
        run->NoteReleased(key);
    else
        run->NotePressed(key);
}

void RunInput::SendKeyboardInput(const KeyboardInput& input) {
    ScriptRun* run = CurrentRun();
    const bool release = input.direction == KeyDirection::Up;
    HeldInput key = HeldKey(HeldInput::Way::KeyboardRecord, input.virtualKey);
    if (run != nullptr && run->StopRequested() && !(release && run->Holds(key))) return;
    BeforeInjection(run);
    real_.SendKeyboardInput(input);
    if (run == nullptr) return;
    if (release) {
        run->NoteReleased(key);
    } else {
        key.press = input;
        run->NotePressed(key);
    }
}

void RunInput::PostWindowMessage(NativeWindow window, const PostedMessage& message) {
    if (CurrentRunStopped()) return;
    real_.PostWindowMessage(window, message);
}

}  // namespace kavo
