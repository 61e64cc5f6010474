// The lines of a typical script (UTF-8): a page for the benchmarks repeats them in turn.
#pragma once

namespace kavo::bench {

inline constexpr const char* kTypicalScriptLines[] = {
    "鼠标移动(512,384)", "鼠标(左键)",   "延时(100)",     "按键(hello,10)",
    "计次循环(3,1)",     "特殊按键(13)", "计次循环尾(1)", "运行(notepad.exe)"};

}  // namespace kavo::bench
