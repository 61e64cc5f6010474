// The input layer every command acts through. It passes each action on to the real input and
// keeps, in the calling thread's run, the record of the keys and mouse buttons pressed and not
// yet released, so the run can release them however it ends. Once the run has been asked to
// stop, it lets nothing new through: no press, click, cursor placement or posted message; a
// release still goes out, so nothing stays held. Outside any run it only passes calls on.
#pragma once

#include <functional>
#include <utility>

#include "platform/platform.h"

namespace kavo {

class ScriptRun;

class RunInput : public InputPort {
  public:
    // Called inside a run that goes on, before each mouse or keyboard event it injects (not
    // before cursor placements or posted messages, which go their own ways).
    using InjectionWatch = std::function<void(ScriptRun& run)>;

    explicit RunInput(InputPort& real, InjectionWatch watch = {})
        : real_(real), watch_(std::move(watch)) {}

    Point GetCursorPos() override { return real_.GetCursorPos(); }
    void SetCursorPos(int x, int y) override;
    void MouseEvent(MouseButtonChanges changes, int x, int y) override;
    void MouseWheel(int turn) override;
    void KeybdEvent(KeyCode code, KeyDirection direction) override;
    void SendKeyboardInput(const KeyboardInput& input) override;
    std::uint32_t ScanCodeOfKey(std::uint32_t code) override { return real_.ScanCodeOfKey(code); }
    std::uint32_t CharacterOfKey(std::uint32_t code) override { return real_.CharacterOfKey(code); }
    std::uint32_t GetTickCount() override { return real_.GetTickCount(); }
    void PostWindowMessage(NativeWindow window, const PostedMessage& message) override;
    NativeWindow GetDesktopWindow() override { return real_.GetDesktopWindow(); }

  private:
    void BeforeInjection(ScriptRun* run);

    InputPort& real_;
    InjectionWatch watch_;
};

}  // namespace kavo
