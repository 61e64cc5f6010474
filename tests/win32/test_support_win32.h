// Helpers for the Win32 tests under Wine: the fixture program and waiting on conditions.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kavo::test {

// A Windows path for a path of the build (Linux paths are reached through drive Z:).
std::wstring WindowsPath(const std::string& path);

// The user's temporary folder, with its trailing backslash.
std::wstring TempFolder();

// Waits until condition() holds or the timeout passes; true when it held.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Pumps this thread's messages for a while (for tests that need the queue served).
void PumpMessagesFor(std::chrono::milliseconds duration);

// The fixture program in another process, logging the messages its window receives.
class Fixture {
  public:
    explicit Fixture(const std::wstring& title = L"KavoFixture", bool hidden = false);
    ~Fixture();
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    // Log lines "0xMSG 0xWPARAM 0xLPARAM" received so far.
    std::vector<std::string> Lines() const;
    // Lines whose message is one of the given ones.
    std::vector<std::string> LinesFor(std::initializer_list<UINT> messages) const;
    // Brings the fixture window to the front with the keyboard focus.
    void Activate() const;

  private:
    std::wstring logPath_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// "0xMSG 0xWPARAM 0xLPARAM" as the fixture writes it.
std::string LogLine(UINT message, unsigned wParam, unsigned lParam);

// Field 0 (message), 1 (wParam) or 2 (lParam) of a fixture log line.
unsigned FieldOf(const std::string& line, int field);

// The real cursor, and its placement.
POINT CursorPos();
// Keeps the real cursor off the fixture so that it sends no mouse moves of its own.
void ParkCursorAway();
POINT ClientToScreenPoint(HWND window, int x, int y);

}  // namespace kavo::test
