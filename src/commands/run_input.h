// The input layer every command acts through. It passes each action on to the real input and
// keeps, in the calling thread's run, the record of the keys and mouse buttons pressed and not
// yet released, so the run can release them however it ends. Once the run has been asked to
// stop, it lets nothing new through: no press, click, cursor placement or posted message; a
// release still goes out, so nothing stays held. Outside any run it only passes calls on.
#pragma once

#include "platform/platform.h"

namespace kavo {

class RunInput : public InputPort {
  public:
    explicit RunInput(InputPort& real) : real_(real) {}

    Point GetCursorPos() override { return real_.GetCursorPos(); }
    void SetCursorPos(int x, int y) override;
    void MouseEvent(std::uint32_t flags, int x, int y) override;
    void KeybdEvent(std::uint8_t code, std::uint32_t flags) override;
    void SendKeyboardInput(const KeyboardInput& input) override;
    std::uint32_t MapKey(std::uint32_t code, std::uint32_t mapType) override {
        return real_.MapKey(code, mapType);
    }
    std::uint32_t GetTickCount() override { return real_.GetTickCount(); }
    void PostWindowMessage(NativeWindow window, std::uint32_t message, std::uint32_t wParam,
                           std::int32_t lParam) override;
    NativeWindow GetDesktopWindow() override { return real_.GetDesktopWindow(); }

  private:
    InputPort& real_;
};

}  // namespace kavo
