// The script language's words with their argument counts, entered into an engine with handlers
// that do nothing, and the lines of a typical script: for the tests and benchmarks of what the
// editor shows about a script.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/script_engine.h"
#include "text/encoding.h"

namespace kavo {

inline void AddScriptWords(ScriptEngine& engine) {
    const std::pair<const char*, int> words[] = {
        {"信息框", 3},   {"鼠标", 1},       {"延时", 1},     {"鼠标消息", 5}, {"按键消息", 3},
        {"鼠标移动", 2}, {"气球提示框", 2}, {"计次循环", 2}, {"按键", 2},     {"运行", 1},
        {"特殊按键", 1}, {"鼠标定位", 2},   {"按住", 1},     {"松开", 1},     {"随机延时", 2},
        {"等待窗口", 2}, {"激活窗口", 1}};
    for (const auto& [name, count] : words)
        engine.AddCommand(
            Utf8ToGbk(name), [](const std::vector<RuntimeText>&) { return 0; }, count,
            std::string(name) == "计次循环");
}

// UTF-8; a page repeats them in turn.
inline constexpr const char* kTypicalScriptLines[] = {
    "鼠标移动(512,384)", "鼠标(左键)",   "延时(100)",     "按键(hello,10)",
    "计次循环(3,1)",     "特殊按键(13)", "计次循环尾(1)", "运行(notepad.exe)"};

}  // namespace kavo
