// The real platform: each seam method is one or two Win32 calls. One object serves every
// thread; it keeps no per-call state (only the precise-timing count and the timer callbacks of
// the user-interface thread).
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace kavo {

class Win32Platform : public InputPort,
                      public WaitPort,
                      public SystemPort,
                      public HotkeyPort,
                      public FilePort,
                      public ClipboardPort {
  public:
    // InputPort
    Point GetCursorPos() override;
    void SetCursorPos(int x, int y) override;
    void MouseEvent(MouseButtonChanges changes, int x, int y) override;
    void MouseWheel(int turn) override;
    void KeybdEvent(KeyCode code, KeyDirection direction) override;
    void SendKeyboardInput(const KeyboardInput& input) override;
    std::uint32_t ScanCodeOfKey(std::uint32_t code) override;
    std::uint32_t CharacterOfKey(std::uint32_t code) override;
    std::uint32_t GetTickCount() override;
    void PostWindowMessage(NativeWindow window, const PostedMessage& message) override;
    NativeWindow GetDesktopWindow() override;

    // WaitPort
    TimerHandle CreateDelayTimer() override;
    bool SetDelayTimer(TimerHandle timer, std::int64_t dueTime) override;
    WaitResult WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) override;
    WaitResult WaitForMessages(std::uint32_t timeoutMs, WakeHandle wake) override;
    void CloseTimer(TimerHandle timer) override;
    void ProcessPendingEvents() override;
    std::uint64_t NowMicroseconds() override;
    void YieldToOtherThreads() override;
    void BeginPreciseTiming() override;
    void EndPreciseTiming() override;
    WakeHandle CreateWakeEvent() override;
    void SignalWakeEvent(WakeHandle wake) override;
    void CloseWakeEvent(WakeHandle wake) override;

    // SystemPort
    bool StartProcess(const Utf8Text& commandLine, std::uint32_t idleWaitMs) override;
    std::vector<ProcessEntry> SnapshotProcesses() override;
    Utf8Text ProcessName(std::uint32_t processId) override;
    std::vector<WindowEntry> EnumerateTopLevelWindows() override;
    void VisitTopLevelWindows(const std::function<bool(NativeWindow)>& visit) override;
    void VisitChildWindows(NativeWindow parent,
                           const std::function<bool(NativeWindow)>& visit) override;
    WindowEntry ReadWindow(NativeWindow window, WindowFields fields) override;
    std::optional<WindowEntry> DescribeWindow(NativeWindow window) override;
    NativeWindow WindowAtPoint(Point where) override;
    NativeWindow TopLevelWindowOf(NativeWindow window) override;
    std::optional<std::uint32_t> PixelColorAt(Point where) override;
    bool RunsAboveThisProcess(NativeWindow window) override;
    NativeWindow ForegroundWindow() override;
    Activation ActivateWindow(NativeWindow window) override;
    int ShowMessageBox(const Utf8Text& text, const Utf8Text& caption,
                       MessageBoxOptions options) override;

    // HotkeyPort
    std::uint32_t GetCurrentThreadId() override;
    std::uint32_t GetWindowThreadId(NativeWindow window) override;
    void AttachThreadInput(std::uint32_t from, std::uint32_t to) override;
    void StartWindowlessTimer(std::uint32_t timerId, std::uint32_t intervalMs,
                              std::function<void()> onTick) override;
    bool GetKeyboardState(KeyboardState& state) override;
    void StartThread(std::function<void()> body) override;

    // FilePort
    std::vector<DirectoryEntry> ListDirectory(const Utf8Text& folder,
                                              const Utf8Text& pattern) override;
    std::optional<std::string> ReadWholeFile(const Utf8Text& path) override;
    bool WriteWholeFile(const Utf8Text& path, const std::string& bytes) override;
    bool IsDirectory(const Utf8Text& path) override;
    bool CreateDirectories(const Utf8Text& path) override;
    bool RenamePath(const Utf8Text& from, const Utf8Text& to) override;
    bool RemoveFile(const Utf8Text& path) override;
    bool RemoveDirectoryTree(const Utf8Text& path) override;
    bool PathExists(const Utf8Text& path) override;
    bool CreateNewEmptyFile(const Utf8Text& path) override;
    bool ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) override;
    bool AppendToFile(const Utf8Text& path, const std::string& bytes) override;
    Utf8Text ExecutableFolder() override;
    std::optional<FileStamp> StampOf(const Utf8Text& path) override;
    std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text& folder) override;

    // ClipboardPort
    bool SetText(const Utf8Text& text) override;
    std::optional<Utf8Text> GetText() override;
};

// The process-wide instance.
Win32Platform& ThePlatform();

// The program's one way to show a message box: with an OK button, over owner (nullptr: no
// owner). Returns the code of the button that closed it, 0 when it could not be shown.
int ShowMessageBoxOver(HWND owner, const Utf8Text& text, const Utf8Text& caption,
                       MessageBoxOptions options);

}  // namespace kavo
