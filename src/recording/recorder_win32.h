// 录制脚本: the user's mouse and keyboard, from the record key (or the menu) to the record key
// again or the stop key, written at the editor's caret as statements that play it back. Also
// 录制选项, the options window, and the rules that keep recordings and runs apart: no recording
// while a script runs, no run while recording, and the record key is no run hotkey.
//
// The keys act on the keyboard hook's thread: the end key stops the taking there, before any
// later event can come in, and the rest of the work goes to the user-interface thread by message.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>

#include "hotkeys/keyboard_watch.h"
#include "recording/mouse_hook_win32.h"
#include "recording/recording_options.h"
#include "recording/recording_session.h"
#include "run_control/run_control.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class Recorder {
  public:
    // control: the program's run control: its keyboard watch hears the keys and acts on the
    // record key, its list of the program's keys refuses the record key as a run hotkey, and it
    // knows whether scripts run.
    Recorder(MainWindowServices& services, RunControl& control);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Why a script may not run now (a recording goes on); empty when it may. User-interface
    // thread.
    Utf8Text RunRefusal() const;
    bool Recording() const { return recording_; }

  private:
    // The record key's action and the stop key's extra one, for the key in settings_.
    void InstallKeys();
    // User-interface thread, from the menu or the record key.
    void OnStartRequested();
    void OnEndRequested();
    // A click on the icon while recording ends the recording; true when it was taken.
    bool OnTrayClicked(TrayClick click);
    void OpenOptions();
    // 录制脚本's menu text names the record key.
    void ShowMenuText();
    // Tells the user why a recording or a run does not start: over the window when it shows,
    // else at the tray icon.
    void Refuse(const Utf8Text& text);
    // A recording that ended unlike the user asked: a message box over the window, which shows
    // again by then, until the user closes it.
    void Tell(const Utf8Text& text);
    // Writes the recording's statements at the editor's caret.
    void InsertRecording(const RuntimeText& statements);

    MainWindowServices& services_;
    RunControl& control_;
    KeyboardWatch& keyboard_;
    RecordingSettings settings_;
    RecordingSession session_;
    Win32MouseHook mouseHook_;
    // Hook thread and user-interface thread.
    std::atomic<KeyCode> recordKey_;
    std::atomic<bool> recordKeyHeld_{false};  // its repeats while held do nothing
    std::atomic<bool> startPosted_{false};
    std::atomic<bool> endPosted_{false};
    // User-interface thread.
    bool recording_ = false;
};

}  // namespace kavo
