// What completion computes for each key typed: the word before the caret and the commands it
// can become, on a short line and at the end of a long one.
#include <benchmark/benchmark.h>

#include <string>

#include "editor/script_colouring.h"
#include "text/encoding.h"

namespace kavo {
namespace {

void Offers(benchmark::State& state, const RuntimeText& line) {
    const ScriptVocabulary words;
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
