// Functions of system libraries looked up when first called. A library that only a feature the
// user may never open needs (the font and colour dialogs, the fine timer of a running script)
// is not loaded at start: an idle program does not carry it. Also for functions that exist only
// from a later Windows than the oldest one supported.
#pragma once

#include <windows.h>
#include <commdlg.h>

namespace kavo {

// The function, its library loaded when it is not yet; nullptr when either is missing.
template <typename Function>
Function LateFunction(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) handle = LoadLibraryW(module);  // stays loaded for the process's life
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

// comdlg32's ChooseFontW and ChooseColorW; FALSE as for a cancelled dialog when the library is
// missing.
BOOL ShowFontDialog(CHOOSEFONTW& choose);
BOOL ShowColorDialog(CHOOSECOLORW& choose);

// winmm's timeBeginPeriod and timeEndPeriod.
void BeginTimerPeriod(UINT milliseconds);
void EndTimerPeriod(UINT milliseconds);

}  // namespace kavo
