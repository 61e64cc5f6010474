// What completion computes for each key typed: the word before the caret and the commands it
// can become, on a short line and at the end of a long one.
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

void Offers(benchmark::State& state, const RuntimeText& line) {
    ScriptEngine engine;
    AddWords(engine);
    const ScriptVocabulary words(engine);
    for (auto _ : state) {
        const std::string_view word = WordBeforeCaret(line, line.size());
        benchmark::DoNotOptimize(CompletionOffers(word, words));
    }
    state.SetLabel("goal: <= 1 ms per keystroke");
}

void BM_CompletionOffersShortLine(benchmark::State& state) {
    Offers(state, Utf8ToGbk("延时(100) 鼠"));
}
BENCHMARK(BM_CompletionOffersShortLine)->Unit(benchmark::kMicrosecond);

// 500 statements on one line, 6,000 characters, before the word.
void BM_CompletionOffersLongLine(benchmark::State& state) {
    RuntimeText line;
    for (int n = 0; n < 500; ++n) line += Utf8ToGbk("鼠标移动(512,384)");
    line += Utf8ToGbk("鼠");
    Offers(state, line);
}
BENCHMARK(BM_CompletionOffersLongLine)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kavo
