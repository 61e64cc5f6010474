// Finding a text on character boundaries in a long line of Chinese with no ASCII in it, where a
// two-byte search text straddles every pair of characters: the walk must not start again from
// the line's start at each false match.
#include <benchmark/benchmark.h>

#include <string>

#include "library/page_search.h"
#include "text/encoding.h"

namespace kavo {
namespace {

void BM_FindOnALongLineWithoutAscii(benchmark::State& state) {
    RuntimeText line;
    const RuntimeText pair = Utf8ToGbk("中文");
    while (line.size() < 1024 * 1024) line += pair;
    const std::string straddling = "\xD0\xCE";  // 形: the end of 中 and the start of 文
    for (auto _ : state) benchmark::DoNotOptimize(FindOnCharacterBoundary(line, straddling));
    state.SetLabel("goal: < 20 ms for a line of a megabyte");
}
BENCHMARK(BM_FindOnALongLineWithoutAscii)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavo
