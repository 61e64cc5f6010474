// Start-up to a visible window and resident memory of kavo.exe, with a one-page library and with
// 100 directories x 100 pages, beside Wine's own notepad started the same way. Each program is
// started, timed until its first visible top-level window, measured a moment later and ended.
// Prints "name: value unit (goal: ...)" lines, with the ratio where there is a peer.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "bench_support_win32.h"

namespace {

using kavo::UniqueFile;
using kavo::UniqueHandleKernel;

constexpr int kRuns = 5;

using kavo_bench::ModuleFolder;
using kavo_bench::NowMicroseconds;

void WriteFile(const std::wstring& path, const char* text) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// A run folder with its own copy of kavo.exe and a library of directories x pages.
std::wstring MakeRunFolder(const std::wstring& name, int directories, int pages) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyFileW((ModuleFolder() + L"\\..\\kavo.exe").c_str(), (folder + L"\\kavo.exe").c_str(),
              FALSE);
    const std::wstring content = folder + L"\\content";
    CreateDirectoryW(content.c_str(), nullptr);
    for (int d = 0; d < directories; ++d) {
        const std::wstring directory = content + L"\\目录" + std::to_wstring(d);
        CreateDirectoryW(directory.c_str(), nullptr);
        for (int p = 0; p < pages; ++p) {
            const std::wstring page = directory + L"\\页" + std::to_wstring(p) + L".txt";
            if (GetFileAttributesW(page.c_str()) == INVALID_FILE_ATTRIBUTES)
                WriteFile(page, "延时(1)\r\n");
        }
    }
    return folder;
}

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    RECT rect{};
    GetWindowRect(window, &rect);
    // A real window, not a tool window of a few pixels.
    if (owner == search.processId && IsWindowVisible(window) && rect.right - rect.left >= 200) {
        search.found = true;
        return FALSE;
    }
    return TRUE;
}

struct Sample {
    double startMs = 0;
    double residentMb = 0;
};

// Starts the program, waits for its window, reads its memory after it has settled, ends it.
bool Measure(const std::wstring& commandLine, const std::wstring& folder, Sample& sample) {
    std::wstring command = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const std::uint64_t start = NowMicroseconds();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    const UniqueHandleKernel processHandle(process.hProcess);
    const UniqueHandleKernel threadHandle(process.hThread);
    WindowSearch search{process.dwProcessId, false};
    while (!search.found && NowMicroseconds() - start < 60'000'000) {
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(1);
    }
    sample.startMs = static_cast<double>(NowMicroseconds() - start) / 1000.0;
    Sleep(1500);  // settled: the library's background listing is done
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
    sample.residentMb = static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    return search.found;
}

Sample Median(const std::wstring& commandLine, const std::wstring& folder) {
    std::vector<double> starts;
    std::vector<double> memory;
    Sample warm;
    Measure(commandLine, folder, warm);  // the first start loads the files into the cache
    for (int i = 0; i < kRuns; ++i) {
        Sample sample;
        if (!Measure(commandLine, folder, sample)) continue;
        starts.push_back(sample.startMs);
        memory.push_back(sample.residentMb);
    }
    if (starts.empty()) return {};
    std::sort(starts.begin(), starts.end());
    std::sort(memory.begin(), memory.end());
    return {starts[starts.size() / 2], memory[memory.size() / 2]};
}

}  // namespace

int main() {
    const std::wstring small = MakeRunFolder(L"kavo-start-small", 1, 1);
    const std::wstring big = MakeRunFolder(L"kavo-start-big", 100, 100);

    const Sample notepad = Median(L"notepad.exe", L"");
    const Sample one = Median(L"\"" + small + L"\\kavo.exe\"", small);
    const Sample hundred = Median(L"\"" + big + L"\\kavo.exe\"", big);

    std::printf("startup_notepad: %.0f ms (peer)\n", notepad.startMs);
    std::printf("startup_1page: %.0f ms (goal: report; %.2f x notepad)\n", one.startMs,
                one.startMs / notepad.startMs);
    std::printf(
        "startup_100x100: %.0f ms (goal: <= 1.30 x 1 page; %.2f x 1 page, %.2f x notepad)\n",
        hundred.startMs, hundred.startMs / one.startMs, hundred.startMs / notepad.startMs);
    std::printf("resident_notepad: %.1f MB (peer)\n", notepad.residentMb);
    std::printf("resident_1page: %.1f MB (goal: report; %.2f x notepad)\n", one.residentMb,
                one.residentMb / notepad.residentMb);
    std::printf("resident_100x100: %.1f MB (goal: report; %.2f x notepad)\n", hundred.residentMb,
                hundred.residentMb / notepad.residentMb);
    std::fflush(stdout);
    return 0;
}
