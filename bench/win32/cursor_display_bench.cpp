// What F1's display of the pointer costs: kavo.exe is started, F1 turns the display on, and for
// a few seconds the pointer sweeps back and forth over the program's own window and the desktop
// around it, as a person looking for a spot moves it. The program's processor time over that
// stretch is compared with the same sweep while the display is off. Prints
// "name: value unit (goal: ...)" lines.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_window_layout.h"
#include "platform/win32/unique_handle.h"

namespace {

using kavo::UniqueFile;
using kavo::UniqueHandleKernel;

constexpr DWORD kSweepMs = 6000;

std::uint64_t NowMicroseconds() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart) * 1000000u /
           static_cast<std::uint64_t>(frequency.QuadPart);
}

std::wstring ModuleFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring MakeRunFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kavo-cursor-display";
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyFileW((ModuleFolder() + L"\\..\\kavo.exe").c_str(), (folder + L"\\kavo.exe").c_str(),
              FALSE);
    CreateDirectoryW((folder + L"\\content").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\content\\bench").c_str(), nullptr);
    const UniqueFile page(CreateFileW((folder + L"\\content\\bench\\page.txt").c_str(),
                                      GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    const char text[] = "\xD1\xD3\xCA\xB1(1)\r\n";  // 延时(1)
    DWORD written = 0;
    WriteFile(page.get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    return folder;
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[64]{};
    GetWindowTextW(window, title, 64);
    if (owner == search.processId && IsWindowVisible(window) &&
        std::wstring(title) == L"KAVO脚本助手 ") {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

void Press(WORD key) {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &keys[0], sizeof(INPUT));
    Sleep(120);  // held as a person holds it
    SendInput(1, &keys[1], sizeof(INPUT));
}

std::wstring ControlText(HWND control) {
    wchar_t text[64]{};
    SendMessageTimeoutW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        nullptr);
    return text;
}

// True once the X coordinate edit shows x (the display follows the pointer).
bool DisplayFollows(HWND xEdit, int x, DWORD timeoutMs) {
    const DWORD until = GetTickCount() + timeoutMs;
    do {
        SetCursorPos(x, 500);
        if (ControlText(xEdit) == std::to_wstring(x)) return true;
        Sleep(20);
    } while (static_cast<int>(until - GetTickCount()) > 0);
    return false;
}

std::uint64_t ProcessorMicroseconds(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    const auto add = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return (add(kernel) + add(user)) / 10;
}

// The program's share of one processor while the pointer sweeps for kSweepMs, in percent.
double SweepCost(HANDLE process, RECT over) {
    const std::uint64_t startCpu = ProcessorMicroseconds(process);
    const std::uint64_t start = NowMicroseconds();
    const int width = over.right - over.left;
    for (DWORD step = 0; NowMicroseconds() - start < kSweepMs * 1000ull; ++step) {
        const int phase = static_cast<int>(step % 200);
        const int x = over.left + width * (phase < 100 ? phase : 200 - phase) / 100;
        SetCursorPos(x, over.top + static_cast<int>(step % 7) * 40);
        Sleep(10);
    }
    const double wall = static_cast<double>(NowMicroseconds() - start);
    return 100.0 * static_cast<double>(ProcessorMicroseconds(process) - startCpu) / wall;
}

}  // namespace

int main() {
    const std::wstring folder = MakeRunFolder();
    std::wstring command = L"\"" + folder + L"\\kavo.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
        std::printf("cursor_display: kavo.exe could not be started\n");
        return 1;
    }
    const UniqueHandleKernel process(started.hProcess);
    const UniqueHandleKernel thread(started.hThread);
    Search search{started.dwProcessId, nullptr};
    for (DWORD waited = 0; search.found == nullptr && waited < 60000; waited += 20) {
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(20);
    }
    HWND window = search.found;
    HWND panel = window ? GetDlgItem(window, kavo::layout::kHelpPanel) : nullptr;
    HWND xEdit = panel ? GetDlgItem(panel, kavo::layout::kXEdit) : nullptr;
    if (xEdit == nullptr) {
        std::printf("cursor_display: the main window did not show\n");
        TerminateProcess(process.get(), 0);
        return 1;
    }
    Sleep(1500);  // settled: the library's background listing is done
    RECT over{};
    GetWindowRect(window, &over);
    InflateRect(&over, 150, 0);

    const double off = SweepCost(process.get(), over);
    SetForegroundWindow(window);
    Sleep(200);
    Press(VK_F1);
    const bool on = DisplayFollows(xEdit, 321, 5000);
    const double display = on ? SweepCost(process.get(), over) : 0.0;
    Press(VK_F1);
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);

    if (!on) {
        std::printf("cursor_display: F1 did not start the display\n");
        return 1;
    }
    std::printf(
        "cursor_display_off_cpu: %.1f %% of a core (goal: report; the same sweep, F1 off)\n", off);
    std::printf(
        "cursor_display_cpu: %.1f %% of a core (goal: small; within a few points of F1 off, "
        "%.1f points more)\n",
        display, display - off);
    std::fflush(stdout);
    return 0;
}
