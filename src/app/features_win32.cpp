#include "app/features_win32.h"

namespace kavo {

Features::Features(MainWindowServices& services, const ProgramState& program)
    : runner(services, program.engine, program.hotkeys),
      libraryView(services),
      helpPanel(services),
      libraryCommands(services),
      libraryLoading(services),
      dpiChange(services),
      editorCommands(services),
      scriptColours(services, program.engine),
      appearance(services) {}

}  // namespace kavo
