// The editor's work after a pause in typing on a 20,000-line page: classifying one changed
// line, the check of the whole page, and classifying every line.
#include <benchmark/benchmark.h>

#include <string>

#include "editor/script_colouring.h"
#include "engine/script_engine.h"
#include "text/encoding.h"

namespace kavo {
namespace {

void AddWords(ScriptEngine& engine) {
    const std::pair<const char*, int> words[] = {
        {"信息框", 3},   {"鼠标", 1},       {"延时", 1},     {"鼠标消息", 5}, {"按键消息", 3},
        {"鼠标移动", 2}, {"气球提示框", 2}, {"计次循环", 2}, {"按键", 2},     {"运行", 1},
        {"特殊按键", 1}, {"鼠标定位", 2},   {"按住", 1},     {"松开", 1}};
    for (const auto& [name, count] : words)
        engine.AddCommand(
            Utf8ToGbk(name), [](const std::vector<RuntimeText>&) { return 0; }, count,
            std::string(name) == "计次循环");
}

RuntimeText Page(int lines) {
    const char* rows[] = {"鼠标移动(512,384)", "鼠标(左键)",       "延时(100)",
                          "按键(hello,10)",    "计次循环(3,1)",    "特殊按键(13)",
                          "计次循环尾(1)",     "运行(notepad.exe)"};
    RuntimeText page;
    for (int line = 0; line < lines; ++line) {
        page += Utf8ToGbk(rows[line % 8]);
        page += "\r\n";
    }
    return page;
}

void BM_ColourChangedLine(benchmark::State& state) {
    ScriptEngine engine;
    AddWords(engine);
    const ScriptVocabulary words(engine);
    const RuntimeText line = Utf8ToGbk("鼠标移动(512,384) 延时(100)");
    for (auto _ : state) benchmark::DoNotOptimize(ClassifyLine(line, words));
    state.SetLabel("goal: <= 5 ms per keystroke, with the check below");
}
BENCHMARK(BM_ColourChangedLine)->Unit(benchmark::kMillisecond);

void BM_CheckWholePage20000Lines(benchmark::State& state) {
    ScriptEngine engine;
    AddWords(engine);
    const RuntimeText page = Page(20000);
    for (auto _ : state) benchmark::DoNotOptimize(FaultsByLine(engine, page));
    state.SetLabel("goal: report; runs after a pause in typing, off the keystroke");
}
BENCHMARK(BM_CheckWholePage20000Lines)->Unit(benchmark::kMillisecond);

void BM_ClassifyWholePage20000Lines(benchmark::State& state) {
    ScriptEngine engine;
    AddWords(engine);
    const ScriptVocabulary words(engine);
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
