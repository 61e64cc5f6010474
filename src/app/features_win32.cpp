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
    // Another start from this folder asks the program to come forward: a window hidden by a run
    // or a recording stays hidden (they hide it on purpose) and says why instead.
    services.OnAppMessage(kShowRequestMessage, [this, &services](WPARAM, LPARAM) -> LRESULT {
        if (runControl.Control().ActiveRuns() > 0)
            services.ShowTrayBalloon("KAVO脚本助手", "脚本正在运行，按 F12 停止。");
        else if (recorder.Recording())
            services.ShowTrayBalloon("KAVO脚本助手", recorder.RunRefusal());
        else
            services.RestoreWindow();
        return 0;
    });
    // The keyboard watch starts once everything that hears it is there.
    runControl.Start([this](KeyCode key) { cursorDisplay.KeyPressed(key); });
}

}  // namespace kavo
