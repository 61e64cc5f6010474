#include "run_panel/editor_run_win32.h"

#include <richedit.h>

#include <optional>
#include <string>

#include "commands/run_texts.h"
#include "editor/editor_widget_win32.h"
#include "shell/main_window_layout.h"
#include "ui/ui_thread_win32.h"

namespace kavo {

EditorRun::EditorRun(MainWindowServices& services, ScriptEngine& engine, RunControl& control,
                     LineGutter& gutter, const Recorder& recorder)
    : services_(services),
      engine_(engine),
      control_(control),
      gutter_(gutter),
      recorder_(recorder) {
    services.Commands().Register(layout::kGo, [this] { RunCurrentScript(); });
    services.OnAppMessage(kRunStoppedMessage, [this](WPARAM, LPARAM) -> LRESULT {
        ShowStopped();
        return 0;
    });
}

void EditorRun::RunCurrentScript() {
    // Once the program closes no run starts: it would be cut off half way with keys held.
    if (control_.Closing()) return;
    RuntimeText script;
    PreparedScript prepared;
    bool refused = false;
    std::uint64_t generation = 0;
    RunOnUiThread([this, &script, &prepared, &refused, &generation] {
        if (const Utf8Text refusal = recorder_.RunRefusal(); !refusal.empty()) {
            refused = true;
            services_.ShowTrayBalloon("KAVO脚本助手", refusal);
            return;
        }
        script = services_.Editor().ReadText();
        generation = services_.Editor().Generation();
        gutter_.SetRunMark(0, RunLineMark::None);
        // Checked before anything hides: the fault is shown over the window the user sees.
        prepared = engine_.Prepare(script);
        if (!prepared.fault) services_.HideToTray();
    });
    if (refused) return;
    if (const std::optional<ScriptFault>& fault = prepared.fault) {
        engine_.ReportFault(*fault);
        RunOnUiThread([this, &script, &fault] {
            SelectLine(script, fault->line);
            gutter_.SetRunMark(fault->line, RunLineMark::ScriptFault);
        });
        return;
    }
    const RunResult result = control_.Run([this, &prepared] { engine_.Run(*prepared.script); });
    control_.ReportStop(result, script, generation);
}

void EditorRun::SelectLine(const RuntimeText& text, int line) {
    const std::optional<EditorSpan> span = LineSpan(text, line);
    if (!span) return;
    HWND editor = services_.Editor().Handle();
    CHARRANGE range{static_cast<LONG>(span->start), static_cast<LONG>(span->end)};
    SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(editor, EM_SCROLLCARET, 0, 0);
    if (IsWindowVisible(services_.Window())) SetFocus(editor);
}

void EditorRun::ShowStopped() {
    const std::optional<StopReport> report = control_.TakeStopReport();
    if (!report) return;
    services_.ShowTrayBalloon(StoppedTitle(), report->text);
    // Marked only while the editor still holds the page that ran.
    if (report->line > 0 && report->tag == services_.Editor().Generation())
        gutter_.SetRunMark(report->line, RunLineMark::Stopped);
}

}  // namespace kavo
