// Functions of system libraries looked up when first called. A library that only a feature the
// user may never open needs (the font and colour dialogs, the fine timer of a running script)
// is not loaded at start: an idle program does not carry it. Also for functions that exist only
// from a later Windows than the oldest one supported.
//
// Every library is loaded from the system folder by its full path, never by its bare name: a
// file of that name in the program's folder or the current folder (a download folder, a USB
// stick) would be loaded first and run with the user's rights.
#pragma once

#include <windows.h>
#include <commdlg.h>

namespace kavo {

// First thing at start: from now on, a library loaded by its bare name (by this program or by a
// system library on its behalf) is looked for in the system folder only. Where the system cannot
// be told so (Windows 7 without update KB2533623), at least the current folder leaves the search.
void LoadLibrariesFromSystemFolderOnly();

// The system library of that file name ("winmm.dll"), from the system folder, loaded when it is
// not yet; it stays loaded for the process's life. nullptr when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The function, its library loaded when it is not yet; nullptr when either is missing.
template <typename Function>
Function LateFunction(const wchar_t* module, const char* name) {
    const HMODULE handle = LoadSystemLibrary(module);
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
