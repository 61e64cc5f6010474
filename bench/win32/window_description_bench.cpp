// How long a window description takes to look up with a hundred windows open: a second copy of
// this program shows 100 top-level windows of its own, each holding three children, and each
// kind of description is looked up 50 times against them (and whatever else the desktop shows),
// for a window at the front of the hundred, one at their far end, and none at all.
// Prints "name: value unit (goal: ...)" lines.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "target_window/window_description.h"
#include "text/encoding.h"

namespace {

constexpr int kWindows = 100;
constexpr int kRounds = 50;
constexpr wchar_t kReadyEvent[] = L"KavoWindowDescriptionBenchReady";
constexpr wchar_t kDoneEvent[] = L"KavoWindowDescriptionBenchDone";

// The second copy: the windows, until the first copy is done.
int ShowWindows() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"KavoBenchWindow";
    RegisterClassW(&windowClass);
    std::vector<kavo::UniqueWindow> windows;
    for (int i = 1; i <= kWindows; ++i) {
        const std::wstring title = L"Kavo \x7A97\x53E3 " + std::to_wstring(i);  // 窗口
        windows.emplace_back(CreateWindowExW(WS_EX_TOOLWINDOW, L"KavoBenchWindow", title.c_str(),
                                             WS_POPUP | WS_VISIBLE, 10 + i, 10 + i, 120, 80,
                                             nullptr, nullptr, instance, nullptr));
        HWND parent = windows.back().get();
        CreateWindowExW(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, parent,
                        nullptr, instance, nullptr);
        CreateWindowExW(0, L"BUTTON", L"ok", WS_CHILD | WS_VISIBLE, 0, 20, 60, 20, parent, nullptr,
                        instance, nullptr);
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 40, 60, 20, parent, nullptr,
                        instance, nullptr);
    }
    const kavo::UniqueHandleKernel ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, kReadyEvent));
    const kavo::UniqueHandleKernel done(OpenEventW(SYNCHRONIZE, FALSE, kDoneEvent));
    if (ready) SetEvent(ready.get());
    const HANDLE waitFor = done.get();
    for (DWORD waited = 0; waited < 120000;) {
        if (MsgWaitForMultipleObjects(1, &waitFor, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        waited += 100;
    }
    return 0;
}

std::wstring ExecutableName() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

struct Timing {
    double medianMs = 0;
    double maxMs = 0;
    bool found = false;
};

Timing Measure(const char* utf8Description, bool shouldFind) {
    kavo::Win32Platform& platform = kavo::ThePlatform();
    const kavo::ParsedWindowDescription parsed =
        kavo::ParseWindowDescription(kavo::Utf8ToGbk(utf8Description));
    std::vector<double> times;
    Timing timing;
    timing.found = true;
    for (int round = 0; round < kRounds; ++round) {
        const std::uint64_t start = platform.NowMicroseconds();
        const bool found = kavo::FindDescribedWindow(platform, parsed.description, {}).has_value();
        times.push_back(static_cast<double>(platform.NowMicroseconds() - start) / 1000.0);
        if (found != shouldFind) timing.found = false;
    }
    std::sort(times.begin(), times.end());
    timing.medianMs = times[times.size() / 2];
    timing.maxMs = times.back();
    return timing;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool host = argv != nullptr && argc > 1 && std::wstring(argv[1]) == L"--windows";
    LocalFree(argv);
    if (host) return ShowWindows();

    const kavo::UniqueHandleKernel ready(CreateEventW(nullptr, TRUE, FALSE, kReadyEvent));
    const kavo::UniqueHandleKernel done(CreateEventW(nullptr, TRUE, FALSE, kDoneEvent));
    std::wstring command = L"\"" + ExecutableName() + L"\" --windows";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        std::printf("window_description: the window host could not be started\n");
        return 1;
    }
    const kavo::UniqueHandleKernel hostProcess(started.hProcess);
    const kavo::UniqueHandleKernel hostThread(started.hThread);
    if (WaitForSingleObject(ready.get(), 60000) != WAIT_OBJECT_0) {
        std::printf("window_description: the windows did not show\n");
        TerminateProcess(hostProcess.get(), 1);
        return 1;
    }
    Sleep(500);

    struct Row {
        const char* name;
        const char* description;
        bool found;
        const char* goal;
    };
    // Each new window shows in front of the one before: the host's last window is the front of
    // its hundred, found at once; its first is the far end, found after asking about all the
    // others (under Wine every question about another process's window is a round trip to the
    // server, some 25 to 55 microseconds).
    constexpr const char* kFront = "<= 5 ms with 100 windows open";
    constexpr const char* kFar = "report; the whole walk over 100 windows";
    const Row rows[] = {
        {"window_description_front_process", "进程:window_description_bench.exe", true, kFront},
        {"window_description_front_title", "标题:Kavo 窗口 100", true, kFront},
        {"window_description_front_class", "类:KavoBenchWindow", true, kFront},
        {"window_description_front_child",
         "进程:window_description_bench.exe;标题:*窗口 100>类:Edit", true, kFront},
        {"window_description_far_process_title",
         "进程:window_description_bench.exe;标题:Kavo 窗口 1", true, kFar},
        {"window_description_far_title", "标题:Kavo 窗口 1", true, kFar},
        {"window_description_far_class", "类:KavoBenchWindow#100", true, kFar},
        {"window_description_far_child", "标题:Kavo 窗口 1>类:Edit", true, kFar},
        {"window_description_missing_process", "进程:no_such_program.exe", false, kFar},
        {"window_description_missing_child", "类:KavoBenchWindow>类:NoSuchClass", false,
         "report; every window's children looked at"},
    };
    bool allRight = true;
    for (const Row& row : rows) {
        const Timing timing = Measure(row.description, row.found);
        allRight = allRight && timing.found;
        std::printf("%s: %.2f ms (goal: %s; median of %d, max %.2f%s)\n", row.name, timing.medianMs,
                    row.goal, kRounds, timing.maxMs, timing.found ? "" : "; WRONG RESULT");
    }
    std::fflush(stdout);
    SetEvent(done.get());
    WaitForSingleObject(hostProcess.get(), 10000);
    return allRight ? 0 : 1;
}
