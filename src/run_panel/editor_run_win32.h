// Running the editor's text: 直接运行 on the user-interface thread, and a bound hotkey's run on
// the hotkey's thread. The text is read and checked on the user-interface thread; a faulty one is
// reported over the visible window and its line marked; otherwise the window hides and the
// script runs on the calling thread under the program's run control. A stopped run's balloon
// says where it was, and the line is marked while its page is still shown.
#pragma once

#include <windows.h>

#include "editor/line_gutter_win32.h"
#include "engine/script_engine.h"
#include "recording/recorder_win32.h"
#include "run_control/run_control.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class EditorRun {
  public:
    EditorRun(MainWindowServices& services, ScriptEngine& engine, RunControl& control,
              LineGutter& gutter, const Recorder& recorder);
    EditorRun(const EditorRun&) = delete;
    EditorRun& operator=(const EditorRun&) = delete;

    // From any thread: the window work happens on the user-interface thread, the script runs
    // on the calling thread.
    void RunCurrentScript();

  private:
    // Selects the line (from 1) of the editor's text and shows it. User-interface thread.
    void SelectLine(const RuntimeText& text, int line);
    // The balloon after a stop, and its line's mark. User-interface thread.
    void ShowStopped();

    MainWindowServices& services_;
    ScriptEngine& engine_;
    RunControl& control_;
    LineGutter& gutter_;
    const Recorder& recorder_;
};

}  // namespace kavo
