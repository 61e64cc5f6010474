#include "win32/test_support_win32.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "text/wide.h"
#include "ui/message_loop_win32.h"

namespace kavo::test {

std::wstring WindowsPath(const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    for (auto& c : wide)
        if (c == L'/') c = L'\\';
    if (!wide.empty() && wide[0] == L'\\') wide = L"Z:" + wide;
    return wide;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        PumpMessagesFor(std::chrono::milliseconds(10));
    }
    return condition();
}

void PumpMessagesFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // As the program's own loop does: its small windows take dialog keys.
            if (TranslateDialogKeys(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder, length > MAX_PATH ? 0 : length);
}

namespace {
std::wstring TemporaryLogPath() {
    wchar_t name[MAX_PATH];
    GetTempFileNameW(TempFolder().c_str(), L"kfx", 0, name);
    return name;
}
}  // namespace

Fixture::Fixture(const std::wstring& title, bool hidden) : logPath_(TemporaryLogPath()) {
    DeleteFileW((logPath_ + L".hwnd").c_str());
    std::wstring commandLine = L"\"" + WindowsPath(KAVO_FIXTURE_EXE) + L"\" \"" + logPath_ +
                               L"\" \"" + title + L"\"" + (hidden ? L" --hidden" : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    WaitFor(
        [&] {
            std::ifstream handleFile(std::filesystem::path(logPath_ + L".hwnd"));
            long long value = 0;
            if (!(handleFile >> value)) return false;
            window_ = reinterpret_cast<HWND>(static_cast<INT_PTR>(value));
            return true;
        },
        std::chrono::seconds(60));
}

Fixture::~Fixture() {
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    DeleteFileW(logPath_.c_str());
    DeleteFileW((logPath_ + L".hwnd").c_str());
}

std::vector<std::string> Fixture::Lines() const {
    std::vector<std::string> lines;
    std::ifstream log{std::filesystem::path(logPath_)};
    std::string line;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fixture::LinesFor(std::initializer_list<UINT> messages) const {
    std::vector<std::string> selected;
    for (const auto& line : Lines()) {
        const UINT message = static_cast<UINT>(std::stoul(line.substr(0, 6), nullptr, 16));
        for (UINT wanted : messages)
            if (message == wanted) selected.push_back(line);
    }
    return selected;
}

void Fixture::Activate() const {
    SetForegroundWindow(window_);
    WaitFor([&] { return GetForegroundWindow() == window_; }, std::chrono::seconds(5));
}

std::string LogLine(UINT message, unsigned wParam, unsigned lParam) {
    char line[64];
    std::snprintf(line, sizeof line, "0x%04X 0x%08X 0x%08X", message, wParam, lParam);
    return line;
}

unsigned FieldOf(const std::string& line, int field) {
    std::istringstream fields(line);
    std::string text;
    for (int i = 0; i <= field; ++i) fields >> text;
    return static_cast<unsigned>(std::stoul(text, nullptr, 16));
}

POINT CursorPos() {
    POINT at{};
    GetCursorPos(&at);
    return at;
}

void ParkCursorAway() {
    SetCursorPos(1250, 1000);
    WaitFor([] { return CursorPos().x == 1250 && CursorPos().y == 1000; });
}

POINT ClientToScreenPoint(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

}  // namespace kavo::test
