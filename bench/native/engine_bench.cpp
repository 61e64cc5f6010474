// How fast the engine matches and dispatches statements, with handlers that do nothing.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/script_engine.h"
#include "text/encoding.h"

namespace kavo {
namespace {

constexpr const char* kGoal = "goal: >= 5000000 statements/s";

void AddNoOpCommands(ScriptEngine& engine) {
    struct CommandRow {
        const char* name;
        std::int32_t count;
        bool isLoop;
    };
    const CommandRow rows[] = {
        {"信息框", 2, false},     {"鼠标", 1, false},     {"延时", 1, false},
        {"鼠标消息", 5, false},   {"按键消息", 3, false}, {"鼠标移动", 2, false},
        {"气球提示框", 1, false}, {"计次循环", 2, true},  {"按键", 2, false},
        {"运行", 1, false},       {"特殊按键", 1, false},
    };
    for (const CommandRow& row : rows)
        engine.AddCommand(
            Utf8ToGbk(row.name),
            [](const std::vector<RuntimeText>& arguments) {
                benchmark::DoNotOptimize(arguments.data());
                return std::int32_t{0};
            },
            row.count, row.isLoop);
    engine.SetEventPump([] {});
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
