// How long a window description takes to look up with a hundred windows open: a second copy of
// this program shows 100 top-level windows of its own, each holding three children, and each
// kind of description is looked up 50 times against them (and whatever else the desktop shows),
// for a window at the front of the hundred, one at their far end, and none at all.
// Then how long F1's Insert takes to write the description of the window under the pointer when
// a hundred windows are alike (one program, one class, one title, as a program's many windows
// or dialogs are): a third copy shows 100 such windows, each with the same three children, and
// the description of one at the front, in the middle and at the far end, and of a child of each,
// is made 10 times. Prints "name: value unit (goal: ...)" lines.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "hotkeys/window_spy.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "target_window/window_description.h"
#include "text/encoding.h"

namespace {

constexpr int kWindows = 100;
constexpr int kRounds = 50;
constexpr wchar_t kReadyEvent[] = L"KavoWindowDescriptionBenchReady";
constexpr wchar_t kDoneEvent[] = L"KavoWindowDescriptionBenchDone";

constexpr int kDescriptionRounds = 10;
constexpr wchar_t kAlikeTitle[] = L"Kavo \x540C\x540D";  // 同名

// The second copy: the windows, until the first copy is done. alike: all with one title.
int ShowWindows(bool alike) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"KavoBenchWindow";
    RegisterClassW(&windowClass);
    std::vector<kavo::UniqueWindow> windows;
    for (int i = 1; i <= kWindows; ++i) {
        const std::wstring title =
            alike ? kAlikeTitle : L"Kavo \x7A97\x53E3 " + std::to_wstring(i);  // 窗口
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

// A copy of this program showing its hundred windows, until it is let go.
class WindowHost {
  public:
    explicit WindowHost(const wchar_t* role)
        : ready_(CreateEventW(nullptr, TRUE, FALSE, kReadyEvent)),
          done_(CreateEventW(nullptr, TRUE, FALSE, kDoneEvent)) {
        std::wstring command = L"\"" + ExecutableName() + L"\" " + role;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started)) {
            std::printf("window_description: the window host could not be started\n");
            return;
        }
        process_.reset(started.hProcess);
        kavo::UniqueHandleKernel thread(started.hThread);
        if (WaitForSingleObject(ready_.get(), 60000) != WAIT_OBJECT_0) {
            std::printf("window_description: the windows did not show\n");
            TerminateProcess(process_.get(), 1);
            process_.reset();
            return;
        }
        Sleep(500);
    }
    ~WindowHost() {
        SetEvent(done_.get());
        if (process_) WaitForSingleObject(process_.get(), 10000);
    }
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;
    bool Showing() const { return static_cast<bool>(process_); }

  private:
    kavo::UniqueHandleKernel ready_;
    kavo::UniqueHandleKernel done_;
    kavo::UniqueHandleKernel process_;
};

bool LookUpDescriptions() {
    const WindowHost host(L"--windows");
    if (!host.Showing()) return false;

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
    return allRight;
}

// The descriptions F1's Insert makes of windows among a hundred alike.
bool DescribeAlikeWindows() {
    const WindowHost host(L"--alike");
    if (!host.Showing()) return false;
    kavo::Win32Platform& platform = kavo::ThePlatform();
    const auto find = [&](const char* description) {
        const kavo::ParsedWindowDescription parsed =
            kavo::ParseWindowDescription(kavo::Utf8ToGbk(description));
        return kavo::FindDescribedWindow(platform, parsed.description, {}).value_or(0);
    };
    struct Row {
        const char* name;
        const char* window;  // the window described, found by its class and ordinal
    };
    const Row rows[] = {
        {"f1_insert_description_front", "类:KavoBenchWindow"},
        {"f1_insert_description_middle", "类:KavoBenchWindow#50"},
        {"f1_insert_description_far", "类:KavoBenchWindow#100"},
        {"f1_insert_description_front_child", "类:KavoBenchWindow>类:Edit"},
        {"f1_insert_description_middle_child", "类:KavoBenchWindow#50>类:Edit"},
        {"f1_insert_description_far_child", "类:KavoBenchWindow#100>类:Edit"},
    };
    bool allRight = true;
    for (const Row& row : rows) {
        const kavo::NativeWindow window = find(row.window);
        std::vector<double> times;
        bool found = window != 0;
        for (int round = 0; found && round < kDescriptionRounds; ++round) {
            const std::uint64_t start = platform.NowMicroseconds();
            const kavo::Utf8Text description = kavo::DescriptionOf(platform, window);
            times.push_back(static_cast<double>(platform.NowMicroseconds() - start) / 1000.0);
            // What it wrote finds the window again.
            found = find(description.c_str()) == window;
        }
        allRight = allRight && found;
        std::sort(times.begin(), times.end());
        std::printf(
            "%s: %.2f ms (goal: <= 50 ms with 100 alike windows open; median of %d, max "
            "%.2f%s)\n",
            row.name, times.empty() ? 0.0 : times[times.size() / 2], kDescriptionRounds,
            times.empty() ? 0.0 : times.back(), found ? "" : "; WRONG RESULT");
        std::fflush(stdout);
    }
    return allRight;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring role = argv != nullptr && argc > 1 ? argv[1] : L"";
    LocalFree(argv);
    if (role == L"--windows" || role == L"--alike") return ShowWindows(role == L"--alike");

    bool allRight = LookUpDescriptions();
    allRight = DescribeAlikeWindows() && allRight;
    return allRight ? 0 : 1;
}
