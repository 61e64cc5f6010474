#include "app/features_win32.h"

namespace kavo {

Features::Features(MainWindowServices& services, const ProgramState& program)
    : runner(services, program.engine, program.hotkeys),
      recorder(services, runner.Keyboard(), runner.Binding(),
               [this] { return runner.ActiveRuns(); }),
      libraryView(services),
      helpPanel(services),
      libraryCommands(services),
      libraryLoading(services),
      dpiChange(services),
      editorCommands(services),
      lineGutter(services),
      scriptColours(services, program.engine, lineGutter),
      scriptCompletion(services, [this] { return !recorder.RunRefusal().empty(); }),
      appearance(services) {
    runner.SetRunRefusal([this] { return recorder.RunRefusal(); });
    runner.SetLineMarks([this](int line, RunLineMark mark) { lineGutter.SetRunMark(line, mark); });
}

}  // namespace kavo
