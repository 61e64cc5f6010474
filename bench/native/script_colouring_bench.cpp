// The editor's work after a pause in typing on a 20,000-line page: classifying one changed
// line, the check of the whole page, and classifying every line.
#include <benchmark/benchmark.h>

#include <string>

#include "commands/script_words.h"
#include "editor/script_colouring.h"
#include "engine/script_engine.h"
#include "text/encoding.h"
#include "typical_script.h"

namespace kavo {
namespace {

RuntimeText Page(int lines) {
    RuntimeText page;
    for (int line = 0; line < lines; ++line) {
        page += Utf8ToGbk(bench::kTypicalScriptLines[line % std::size(bench::kTypicalScriptLines)]);
        page += "\r\n";
    }
    return page;
}

void BM_ColourChangedLine(benchmark::State& state) {
    const ScriptVocabulary words;
    const RuntimeText line = Utf8ToGbk("鼠标移动(512,384) 延时(100)");
    for (auto _ : state) benchmark::DoNotOptimize(ClassifyLine(line, words));
    state.SetLabel("goal: <= 5 ms per keystroke, with the check below");
}
BENCHMARK(BM_ColourChangedLine)->Unit(benchmark::kMillisecond);

void BM_CheckWholePage20000Lines(benchmark::State& state) {
    ScriptEngine engine;
    AddScriptWordsDoingNothing(engine);
    const RuntimeText page = Page(20000);
    for (auto _ : state) benchmark::DoNotOptimize(FaultsByLine(engine, page));
    state.SetLabel("goal: report; runs after a pause in typing, off the keystroke");
}
BENCHMARK(BM_CheckWholePage20000Lines)->Unit(benchmark::kMillisecond);

void BM_ClassifyWholePage20000Lines(benchmark::State& state) {
    const ScriptVocabulary words;
    const RuntimeText page = Page(20000);
    for (auto _ : state) {
        std::size_t start = 0;
        while (start < page.size()) {
            const std::size_t end = page.find('\n', start);
            benchmark::DoNotOptimize(
                ClassifyLine(std::string_view(page).substr(start, end - start), words));
            start = end + 1;
        }
    }
    state.SetLabel("goal: <= 1000 ms with the formatting");
}
BENCHMARK(BM_ClassifyWholePage20000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavo
