#include "app/features_win32.h"

namespace kavo {

Features::Features(MainWindowServices& services, const ProgramState& program)
    : runControl(services, program.hotkeys),
      recorder(services, runControl.Control()),
      scriptCommands(services, program.engine,
                     [this] { return hotkeyPanel.Binding().BoundProcessName(); }),
      libraryView(services),
      helpPanel(services),
      libraryCommands(services),
      libraryLoading(services),
      dpiChange(services),
      editorCommands(services),
      lineGutter(services),
      scriptColours(services, program.engine, lineGutter),
      scriptCompletion(services, [this] { return recorder.Recording(); }),
      hotkeyPanel(services, program.hotkeys, runControl.Control().Keys(),
                  [this] { editorRun.RunCurrentScript(); }),
      editorRun(services, program.engine, runControl.Control(), lineGutter, recorder),
      cursorDisplay(services, program.hotkeys, runControl.Control().Keyboard()),
      appearance(services) {
    // The keyboard watch starts once everything that hears it is there.
    runControl.Start([this](KeyCode key) { cursorDisplay.KeyPressed(key); });
}

}  // namespace kavo
