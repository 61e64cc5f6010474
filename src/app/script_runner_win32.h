// Running the editor's script: 直接运行 on the user-interface thread, and a bound hotkey's run on
// the hotkey's thread. Also the run panel's binding controls and F1's cursor display, which the
// hotkey binding reads and writes through this view.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/main_window_services_win32.h"
#include "commands/balloon_tip_win32.h"
#include "hotkeys/hotkey_binding.h"
#include "text/runtime_text.h"

namespace kavo {

class ScriptRunner : public HotkeyBindingView {
  public:
    ScriptRunner(MainWindowServices& services, ScriptEngine& engine);
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Registers 直接运行 and 热键执行, the hotkey edit's key names and 时钟3's ticks.
    void Install(HotkeyBinding& binding);

    // Hides the window and runs the editor's whole text. From any thread: the window work
    // happens on the user-interface thread, the script runs on the calling thread.
    void RunCurrentScript() override;
    // Shows 气球提示框1 with the text at a screen point. From any thread; returns once it is up.
    void ShowBalloonTip(Point where, const Utf8Text& text);

    Utf8Text ProcessNameText() override;
    Utf8Text HotkeyEditText() override;
    void SetHotkeyEditText(const Utf8Text& text) override;
    void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) override;
    void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t current)>& next) override;

  private:
    static LRESULT CALLBACK HotkeyEditProcedure(HWND edit, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    // Minimises and hides the window and returns the editor's text. User-interface thread.
    RuntimeText PrepareRun();

    MainWindowServices& services_;
    ScriptEngine& engine_;
    HotkeyBinding* binding_ = nullptr;
    std::unique_ptr<BalloonTip> balloon_;       // 气球提示框1
    std::uint32_t cursorTrackingInterval_ = 0;  // 时钟3; 0 while stopped
};

}  // namespace kavo
