// Reading a settings file of a megabyte (a link.ini or color.ini grown by hand or by another
// program): split into its lines once, at every start.
#include <benchmark/benchmark.h>

#include <string>

#include "appearance/settings_files.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

std::string MegabyteOfLines(const std::string& line) {
    std::string text;
    while (text.size() < (1u << 20)) text += line + "\r\n";
    return text;
}

void BM_ReadSettingsOfAMegabyte(benchmark::State& state) {
    RecordingPlatform files;
    files.AddFile(SettingsPath(files), MegabyteOfLines("15527148"));
    for (auto _ : state) benchmark::DoNotOptimize(ReadSettings(files).size());
    state.SetLabel("goal: < 20 ms");
}
BENCHMARK(BM_ReadSettingsOfAMegabyte)->Unit(benchmark::kMillisecond);

void BM_ReadSchemesOfAMegabyte(benchmark::State& state) {
    RecordingPlatform files;
    // GBK names: the split walks double-byte characters as such.
    files.AddFile(SchemesPath(files),
                  MegabyteOfLines("\xC5\xE4\xC9\xAB=15527148;3487029;0;0;0;12632256;3487029;"
                                  "15329769;3487029;16777215;16777215;\xD5\xE6"));
    for (auto _ : state) benchmark::DoNotOptimize(ReadSchemes(files).size());
    state.SetLabel("goal: < 20 ms");
}
BENCHMARK(BM_ReadSchemesOfAMegabyte)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kavo
