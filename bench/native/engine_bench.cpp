// How fast the engine matches and dispatches statements, with handlers that do nothing.
#include <benchmark/benchmark.h>

#include <string>

#include "commands/script_words.h"
#include "engine/script_engine.h"
#include "text/encoding.h"

namespace kavo {
namespace {

constexpr const char* kGoal = "goal: >= 5000000 statements/s";

void AddNoOpCommands(ScriptEngine& engine) {
    AddScriptWords(engine, ScriptWords(), [](const ScriptWord&) -> CommandHandler {
        return [](const std::vector<RuntimeText>& arguments) {
            benchmark::DoNotOptimize(arguments.data());
            return std::int32_t{0};
        };
    });
    engine.SetHost({.pump = [] {}});
}

// A page of typical statements, one per line, repeated to the given number of statements.
RuntimeText LargeScript(int statements) {
    const char* lines[] = {
        "鼠标移动(512,384)",     "鼠标(左键)",       "延时(100)",    "按键(hello,10)",
        "鼠标消息(0,10,20,1,1)", "按键消息(0,65,1)", "特殊按键(13)", "信息框(标题,正文)",
    };
    std::string utf8;
    for (int i = 0; i < statements; ++i) {
        utf8 += lines[i % 8];
        utf8 += "\r\n";
    }
    return Utf8ToGbk(utf8);
}

void BM_RunScriptLargePage(benchmark::State& state) {
    ScriptEngine engine;
    AddNoOpCommands(engine);
    const auto statements = static_cast<int>(state.range(0));
    const RuntimeText script = LargeScript(statements);
    for (auto _ : state) engine.RunScript(script);
    state.SetItemsProcessed(state.iterations() * statements);
    state.SetLabel(kGoal);
}
BENCHMARK(BM_RunScriptLargePage)->Arg(100000);

// The same page prepared once and run again and again: the run alone.
void BM_RunPreparedLargePage(benchmark::State& state) {
    ScriptEngine engine;
    AddNoOpCommands(engine);
    const auto statements = static_cast<int>(state.range(0));
    const PreparedScript prepared = engine.Prepare(LargeScript(statements));
    if (!prepared.script) {
        state.SkipWithError("the page did not pass the check");
        return;
    }
    for (auto _ : state) engine.Run(*prepared.script);
    state.SetItemsProcessed(state.iterations() * statements);
    state.SetLabel(kGoal);
}
BENCHMARK(BM_RunPreparedLargePage)->Arg(100000);

void BM_RunScriptCountedBlock(benchmark::State& state) {
    ScriptEngine engine;
    AddNoOpCommands(engine);
    const RuntimeText script = Utf8ToGbk("计次循环(100000,1)\r\n延时(1)\r\n计次循环尾(1)\r\n");
    for (auto _ : state) engine.RunScript(script);
    state.SetItemsProcessed(state.iterations() * 100000);
    state.SetLabel(kGoal);
}
BENCHMARK(BM_RunScriptCountedBlock);

}  // namespace
}  // namespace kavo
