#include "app/single_instance_win32.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/program_instance.h"
#include "shell/main_window_services_win32.h"
#include "text/wide.h"

namespace kavo {
namespace {
BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM context) {
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE)
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}
}  // namespace

bool VisibleWindowTitled(const wchar_t* title) {
    std::vector<HWND> visible;
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&visible));
    const std::wstring wanted = title;
    for (HWND window : visible) {
        // Compared as a whole: the same name without the trailing space, or with more text
        // after it, is another program.
        const int length = GetWindowTextLengthW(window);
        if (length != static_cast<int>(wanted.size())) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
        if (text == wanted) return true;
    }
    return false;
}

namespace {

// The folder as the name's rule wants it: every letter folded as the file system folds them.
std::wstring FoldedFolder(const Utf8Text& programFolder) {
    std::wstring folder = Utf8ToWide(programFolder);
    if (!folder.empty()) CharLowerBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    return folder;
}

// Writes or reads the published window handle through a short-lived view of the mapping.
bool AccessWindowSlot(HANDLE mapping, DWORD access, std::uint64_t& value, bool write) {
    void* view = MapViewOfFile(mapping, access, 0, 0, sizeof value);
    if (view == nullptr) return false;
    if (write)
        std::memcpy(view, &value, sizeof value);
    else
        std::memcpy(&value, view, sizeof value);
    UnmapViewOfFile(view);
    return true;
}

}  // namespace

bool ProgramInstance::Claim(const Utf8Text& programFolder) {
    const std::wstring name = Utf8ToWide(ProgramInstanceName(WideToUtf8(FoldedFolder(programFolder))));
    claim_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!claim_ || GetLastError() != ERROR_ALREADY_EXISTS) {
        // Ours (or the system would not make the object: the program goes on as before).
        window_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(std::uint64_t), (name + L"-window").c_str()));
        return true;
    }
    claim_.reset();
    const UniqueHandleKernel published(
        OpenFileMappingW(FILE_MAP_READ, FALSE, (name + L"-window").c_str()));
    std::uint64_t value = 0;
    if (published && AccessWindowSlot(published.get(), FILE_MAP_READ, value, false)) {
        HWND running = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
        if (running != nullptr && IsWindow(running))
            PostMessageW(running, kShowRequestMessage, 0, 0);
    }
    return false;
}

void ProgramInstance::Publish(HWND mainWindow) {
    if (!window_) return;
    std::uint64_t value = reinterpret_cast<std::uintptr_t>(mainWindow);
    AccessWindowSlot(window_.get(), FILE_MAP_WRITE, value, true);
}

}  // namespace kavo
