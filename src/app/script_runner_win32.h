// Running the editor's script: 直接运行 on the user-interface thread, and a bound hotkey's run on
// the hotkey's thread. Also the run panel's binding controls and F1's cursor display (its own
// room, cursor_display_win32), which the hotkey binding reads and writes through this view, and
// the engine's eleven commands, whose balloon tip this room shows.
//
// Every run is under the user's control: the stop key (F12) stops every run from any window,
// a faulty script is reported before anything hides, and the notification-area icon tells
// that a script runs and where a stopped one was, or why it stopped itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "app/cursor_display_win32.h"
#include "commands/balloon_tip_win32.h"
#include "commands/builtin_commands.h"
#include "commands/script_run.h"
#include "editor/line_gutter_win32.h"
#include "hotkeys/hotkey_binding.h"
#include "hotkeys/hotkey_monitor.h"
#include "hotkeys/key_latch.h"
#include "hotkeys/keyboard_hook_win32.h"
#include "hotkeys/keyboard_watch.h"
#include "shell/main_window_services_win32.h"
#include "text/runtime_text.h"
#include "ui/subclass_win32.h"

namespace kavo {

class ScriptRunner : public HotkeyBindingView {
  public:
    // Enters the eleven commands into the engine; registers 直接运行 and 热键执行, the hotkey
    // edit's key names, the cursor display's ticks and F1; starts the keyboard watch for the stop
    // key and the hotkeys' presses.
    ScriptRunner(MainWindowServices& services, ScriptEngine& engine, HotkeyMonitor& hotkeys);
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Checks the editor's whole text; a faulty one is reported over the visible window and its
    // line selected afterwards. Otherwise hides the window and runs the text. From any thread:
    // the window work happens on the user-interface thread, the script runs on the calling
    // thread.
    void RunCurrentScript() override;
    // Shows 气球提示框1 with the text at a screen point. From any thread; returns once it is up.
    void ShowBalloonTip(Point where, const Utf8Text& text);

    Utf8Text ProcessNameText() override;
    Utf8Text HotkeyEditText() override;
    void SetHotkeyEditText(const Utf8Text& text) override;
    void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) override;
    void ShowWindowUnderCursor(const SpyLines& lines) override;
    void InsertInEditor(const Utf8Text& text) override;
    void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t current)>& next) override;

    // For the features that share the keyboard and the runs: the keyboard watch, whether
    // scripts run, the binding (keys it must refuse), and what may refuse a run (a recording
    // going on: the refusal's message; empty lets the run go).
    KeyboardWatch& Keyboard() { return watch_; }
    int ActiveRuns() const { return runs_.ActiveRuns(); }
    HotkeyBinding& Binding() { return binding_; }
    void SetRunRefusal(std::function<Utf8Text()> refusal) { runRefusal_ = std::move(refusal); }
    // Where the marks go of the line a 脚本错误 names and of the line a stopped run was on.
    // Called on the user-interface thread.
    void SetLineMarks(std::function<void(int line, RunLineMark mark)> marks) {
        lineMarks_ = std::move(marks);
    }

  private:
    // A key pressed in the hotkey edit shows the key's name and nothing else: the typed
    // character does not land in the edit.
    class HotkeyEdit : public WindowSubclass<HotkeyEdit> {
      public:
        explicit HotkeyEdit(HotkeyBinding& binding) : binding_(binding) {}
        LRESULT HandleSubclassMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

      private:
        HotkeyBinding& binding_;
    };

    // The stop key, the latched hotkey presses, the icon's texts and the closing release.
    void InstallRunControl();
    // Minimises and hides the window. User-interface thread.
    void HideForRun();
    // The program's last moment: waits up to a second for the runs of other threads to end,
    // then releases what every run still holds. User-interface thread.
    void WaitForRunsThenRelease();
    // Selects the line (from 1) of the editor's text and shows it. User-interface thread.
    void SelectLine(const RuntimeText& text, int line);
    // The notification-area icon's tip (running or not) and the balloon after a stop.
    // User-interface thread.
    void ShowRunState();
    void ShowStopped();

    MainWindowServices& services_;
    ScriptEngine& engine_;
    HotkeyBinding binding_;
    HotkeyEdit hotkeyEdit_;
    // What the commands act through; they keep a reference to it.
    std::unique_ptr<CommandServices> commandServices_;
    std::unique_ptr<BalloonTip> balloon_;  // 气球提示框1

    RunRegistry runs_;
    KeyLatch latch_;
    Win32KeyboardHook hook_;
    KeyboardWatch watch_{hook_};
    CursorDisplay cursorDisplay_;  // F1
    // Messages of the main window that carry work from other threads without waiting for it.
    UINT runsChangedMessage_ = 0;
    UINT runStoppedMessage_ = 0;
    UINT pressLatchedMessage_ = 0;
    std::mutex stoppedMutex_;
    Utf8Text stoppedText_;  // the last stop's balloon text: the line, or why the run stopped
    int stoppedLine_ = 0;
    std::uint64_t stoppedGeneration_ = 0;  // the editor's page the stopped run came from
    std::function<Utf8Text()> runRefusal_;
    std::function<void(int, RunLineMark)> lineMarks_;
};

}  // namespace kavo
