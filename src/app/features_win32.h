// Every feature of the main window, in one list. The main window makes them once its library
// and editor are ready, owns them, and they live as long as it does.
#pragma once

#include "app/dpi_change_win32.h"
#include "appearance/appearance_win32.h"
#include "editor/completion_popup_win32.h"
#include "editor/editor_commands_win32.h"
#include "editor/help_panel_win32.h"
#include "editor/line_gutter_win32.h"
#include "editor/script_colours_win32.h"
#include "library/library_commands_win32.h"
#include "library/library_loading_win32.h"
#include "library/library_view_win32.h"
#include "recording/recorder_win32.h"
#include "run_panel/cursor_display_win32.h"
#include "run_panel/editor_run_win32.h"
#include "run_panel/hotkey_panel_win32.h"
#include "run_panel/run_control_window_win32.h"
#include "run_panel/script_commands_win32.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class ScriptEngine;
class HotkeyMonitor;

// What the program made before its window: the features that run scripts need it.
struct ProgramState {
    ScriptEngine& engine;
    HotkeyMonitor& hotkeys;
};

// The features, made in the order they are listed: the events of shell/ and of the editor reach
// their subscribers in this order. Where the order matters:
// - The run control comes first: when the window closes or the session ends, every run is
//   stopped and lets go of what it holds before anything else acts.
// - The recorder comes right after it: it hears the icon's clicks before anything restores the
//   window, and it gives the run control the record key.
// - The script's commands are entered before the editor's features ask the engine its words.
// - The gutter comes before the colouring: on a change of the text it counts the lines before
//   the colouring asks it which lines show, and the colouring marks faults in it.
// - The run panel's features come after the gutter and the recorder they use.
// - The appearance comes last: it reads link.ini and repaints everything the others made.
struct Features {
    Features(MainWindowServices& services, const ProgramState& program);
    Features(const Features&) = delete;
    Features& operator=(const Features&) = delete;

    RunControlWindow runControl;
    Recorder recorder;
    ScriptCommands scriptCommands;
    LibraryView libraryView;
    HelpPanel helpPanel;
    LibraryCommands libraryCommands;
    LibraryLoading libraryLoading;
    DpiChange dpiChange;
    EditorCommands editorCommands;
    LineGutter lineGutter;
    ScriptColours scriptColours;
    ScriptCompletion scriptCompletion;
    HotkeyPanel hotkeyPanel;
    EditorRun editorRun;
    CursorDisplay cursorDisplay;
    Appearance appearance;
};

}  // namespace kavo
