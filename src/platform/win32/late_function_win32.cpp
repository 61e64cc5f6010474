#include "platform/win32/late_function_win32.h"

namespace kavo {

BOOL ShowFontDialog(CHOOSEFONTW& choose) {
    using Function = BOOL(WINAPI*)(CHOOSEFONTW*);
    static const auto chooseFont = LateFunction<Function>(L"comdlg32.dll", "ChooseFontW");
    return chooseFont != nullptr ? chooseFont(&choose) : FALSE;
}

BOOL ShowColorDialog(CHOOSECOLORW& choose) {
    using Function = BOOL(WINAPI*)(CHOOSECOLORW*);
    static const auto chooseColor = LateFunction<Function>(L"comdlg32.dll", "ChooseColorW");
    return chooseColor != nullptr ? chooseColor(&choose) : FALSE;
}

void BeginTimerPeriod(UINT milliseconds) {
    using Function = UINT(WINAPI*)(UINT);
    static const auto begin = LateFunction<Function>(L"winmm.dll", "timeBeginPeriod");
    if (begin != nullptr) begin(milliseconds);
}

void EndTimerPeriod(UINT milliseconds) {
    using Function = UINT(WINAPI*)(UINT);
    static const auto end = LateFunction<Function>(L"winmm.dll", "timeEndPeriod");
    if (end != nullptr) end(milliseconds);
}

}  // namespace kavo
