// Every feature of the main window, in one list. The main window makes them once its library
// and editor are ready, owns them, and they live as long as it does.
#pragma once

#include "app/dpi_change_win32.h"
#include "app/script_runner_win32.h"
#include "appearance/appearance_win32.h"
#include "editor/completion_popup_win32.h"
#include "editor/editor_commands_win32.h"
#include "editor/help_panel_win32.h"
#include "editor/script_colours_win32.h"
#include "library/library_commands_win32.h"
#include "library/library_loading_win32.h"
#include "library/library_view_win32.h"
#include "recording/recorder_win32.h"
#include "shell/main_window_services_win32.h"

namespace kavo {

class ScriptEngine;
class HotkeyMonitor;

// What the program made before its window: the features that run scripts need it.
struct ProgramState {
    ScriptEngine& engine;
    HotkeyMonitor& hotkeys;
};

// The features, made in the order they are listed. Where the order matters:
// - Closing steps run in this order. The script runner's comes first: every run is stopped and
//   lets go of what it holds before the library asks about unsaved changes; then the listing
//   stops and the settings window closes.
// - Handlers of the same message run in this order. The features handle disjoint messages but
//   for WM_NOTIFY (the editor's links, which pass every notification on, after the tree's; the
//   gutter's selection watch), the editor's EN_CHANGE (the gutter counts lines again before the
//   colouring asks it; both pass it on) and the icon's message (the appearance resets the hide
//   button, then the main window restores).
// - The gutter comes before the colouring: the colouring marks faults in it.
// - The recorder comes right after the runner: it gives the runner's keyboard watch the record
//   key, and it takes the icon's clicks while recording before anything restores the window.
// - The script runner starts the keyboard watch before it enters the commands and registers
//   F1, so the first run already has its stop key.
// - The appearance comes last: it reads link.ini and repaints everything the others made.
struct Features {
    Features(MainWindowServices& services, const ProgramState& program);
    Features(const Features&) = delete;
    Features& operator=(const Features&) = delete;

    ScriptRunner runner;
    Recorder recorder;
    LibraryView libraryView;
    HelpPanel helpPanel;
    LibraryCommands libraryCommands;
    LibraryLoading libraryLoading;
    DpiChange dpiChange;
    EditorCommands editorCommands;
    LineGutter lineGutter;
    ScriptColours scriptColours;
    ScriptCompletion scriptCompletion;  // also sees WM_MOVE and WM_SIZE, and passes them on
    Appearance appearance;
};

}  // namespace kavo
