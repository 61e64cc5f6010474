#include "platform/win32/late_function_win32.h"

#include <string>

namespace kavo {

void LoadLibrariesFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault =
        kernel == nullptr ? nullptr
                          : reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it the program's folder stays first in the search: every library this program
    // loads itself is named by its full path (LoadSystemLibrary).
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    const UINT size = GetSystemDirectoryW(nullptr, 0);
    if (size == 0) return nullptr;
    std::wstring path(size, L'\0');
    const UINT length = GetSystemDirectoryW(path.data(), size);
    if (length == 0 || length >= size) return nullptr;
    path.resize(length);
    path += L'\\';
    path += fileName;
    // The libraries it needs in turn are looked for in its own folder first (the system folder).
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

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
