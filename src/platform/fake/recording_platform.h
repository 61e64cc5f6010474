// A recording fake of every platform seam, for native tests.
//
// Each call is appended to `calls` as one line of text, so that tests can compare whole
// sequences with ElementsAre. Each line names the port's method. Formats (numbers decimal unless
// shown as 0x..., hex upper case):
//   GetCursorPos                      SetCursorPos(x,y)
//   MouseEvent(LeftDown+LeftUp,x,y)   MouseWheel(turn)          KeybdEvent(0xCODE2,Down|Up)
//   SendKeyboardInput(vk=65,scan=30,Down,time=1000)
//   SendKeyboardInput(vk=20,scan=58,Up,extended,time=1001)
//   ScanCodeOfKey(code)               CharacterOfKey(code)      GetTickCount
//   PostWindowMessage(window,LeftButtonDown,held=Left,0xPOINT8)   (mouse messages; held=none)
//   PostWindowMessage(window,MouseWheel,held=Middle,turn=-120,0xPOINT8)
//   PostWindowMessage(window,KeyDown,0xVALUE8,0xPOINT8)           (every other message)
//   GetDesktopWindow
//   CreateDelayTimer                  SetDelayTimer(timer,due)  CloseTimer(timer)
//   WaitForTimerOrMessages(timer)     WaitForMessages(ms)       (no wake event)
//   WaitForTimerOrMessages(timer,wake)  WaitForMessages(ms,wake)
//   ProcessPendingEvents              BeginPreciseTiming        EndPreciseTiming
//   CreateWakeEvent  SignalWakeEvent(wake)  CloseWakeEvent(wake)
//   StartProcess(commandLine,idleMs)  SnapshotProcesses         EnumerateTopLevelWindows
//   ProcessName(processId)
//   VisitTopLevelWindows              VisitChildWindows(parent) DescribeWindow(window)
//   ReadWindow(window,FIELDS)  FIELDS: Visible, Process, Class, Title joined by "+"
//   TopLevelWindowOf(window)          WindowAtPoint(x,y)        PixelColorAt(x,y)
//   ShowMessageBox(text|caption|OPTIONS)  OPTIONS: plain, TaskModal, TaskModal+Warning
//   GetCurrentThreadId                GetWindowThreadId(window)  AttachThreadInput(from,to)
//   StartWindowlessTimer(id,ms)       GetKeyboardState           StartThread
//   file operations: ListDirectory(folder|pattern) ReadWholeFile(path) WriteWholeFile(path)
//   IsDirectory(path) CreateDirectories(path) RenamePath(from|to) RemoveFile(path)
//   RemoveDirectoryTree(path)        SetText(text)             GetText
//   PathExists(path) CreateNewEmptyFile(path) ReplaceFileAtomically(path)
//   StampOf(path) WatchFolder(folder) AppendToFile(path)
// NowMicroseconds and ExecutableFolder are not recorded.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kavo {

class RecordingPlatform : public InputPort,
                          public WaitPort,
                          public SystemPort,
                          public HotkeyPort,
                          public FilePort,
                          public ClipboardPort {
  public:
    RecordingPlatform();

    std::vector<std::string> calls;
    // Only the calls whose text starts with one of the prefixes.
    std::vector<std::string> CallsStartingWith(std::initializer_list<std::string> prefixes) const;
    void ClearCalls() {
        calls.clear();
        callTimes.clear();
    }
    // The simulated clock (nowMicroseconds) when each entry of calls was recorded.
    std::vector<std::uint64_t> callTimes;

    // --- InputPort ---
    Point cursor;
    // Answers of ScanCodeOfKey and CharacterOfKey; the defaults answer like a US keyboard for
    // the common keys.
    std::function<std::uint32_t(std::uint32_t code)> scanCodeOfKey;
    std::function<std::uint32_t(std::uint32_t code)> characterOfKey;
    std::uint32_t tickCount = 1000;  // advances by 1 on every GetTickCount
    NativeWindow desktopWindow = 65552;
    // SetCursorPos moves `cursor` unless this is set (a refused placement).
    bool refuseCursorPlacement = false;

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

    // --- WaitPort ---
    bool failTimerCreation = false;
    bool failTimerSetting = false;
    // Results handed out by the next waits; when empty, a wait reports the timer (or, for
    // WaitForMessages, the end of the timeout) and the simulated clock advances by the wait.
    std::deque<WaitResult> waitResults;
    std::uint64_t nowMicroseconds = 0;
    std::function<void()> onProcessPendingEvents;
    int preciseTimingDepth = 0;

    TimerHandle CreateDelayTimer() override;
    bool SetDelayTimer(TimerHandle timer, std::int64_t dueTime) override;
    WaitResult WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) override;
    WaitResult WaitForMessages(std::uint32_t timeoutMs, WakeHandle wake) override;
    void CloseTimer(TimerHandle timer) override;
    void ProcessPendingEvents() override;
    std::uint64_t NowMicroseconds() override;
    void BeginPreciseTiming() override;
    void EndPreciseTiming() override;
    // YieldToOtherThreads advances the clock by yieldMicroseconds and is counted, not recorded
    // (a delay's last stretch yields many times). A timer fires timerLatenessMicroseconds after
    // its due time, as real timers wake up to a tick late.
    std::uint64_t yieldMicroseconds = 10;
    int yields = 0;
    std::uint64_t timerLatenessMicroseconds = 0;
    void YieldToOtherThreads() override;

    // Wake events: a signalled one makes every wait that names it report Woken. beforeWait runs
    // at the start of each such wait, standing for another thread acting while this one sleeps.
    std::set<WakeHandle> signalledWakes;
    bool failWakeEventCreation = false;
    std::function<void()> beforeWait;
    WakeHandle CreateWakeEvent() override;
    void SignalWakeEvent(WakeHandle wake) override;
    void CloseWakeEvent(WakeHandle wake) override;

    // --- SystemPort ---
    std::vector<ProcessEntry> processes;
    bool failSnapshot = false;
    std::vector<WindowEntry> windows;
    // Every window below a window, in enumeration order, by that window (tests list the
    // descendants of each window they enumerate from).
    std::map<NativeWindow, std::vector<WindowEntry>> childWindows;
    // What lies under a screen point; nothing and unreadable unless a test says otherwise.
    std::function<NativeWindow(Point)> windowAtPoint = [](Point) -> NativeWindow { return 0; };
    std::function<std::optional<std::uint32_t>(Point)> pixelColorAt =
        [](Point) -> std::optional<std::uint32_t> { return std::nullopt; };
    // Runs while a message box is "open", before ShowMessageBox returns.
    std::function<void()> onMessageBox;
    std::function<bool(const Utf8Text&)> processStarts = [](const Utf8Text&) { return true; };
    int messageBoxResult = 1;  // its OK button

    bool StartProcess(const Utf8Text& commandLine, std::uint32_t idleWaitMs) override;
    std::vector<ProcessEntry> SnapshotProcesses() override;
    // The name `processes` gives it, unless the process is one of these.
    std::set<std::uint32_t> unaskableProcesses;
    Utf8Text ProcessName(std::uint32_t processId) override;
    std::vector<WindowEntry> EnumerateTopLevelWindows() override;
    // The windows of `windows`, or of the parent's list, in order.
    void VisitTopLevelWindows(const std::function<bool(NativeWindow)>& visit) override;
    void VisitChildWindows(NativeWindow parent,
                           const std::function<bool(NativeWindow)>& visit) override;
    // Found in `windows` or in any list of `childWindows`.
    WindowEntry ReadWindow(NativeWindow window, WindowFields fields) override;
    std::optional<WindowEntry> DescribeWindow(NativeWindow window) override;
    NativeWindow WindowAtPoint(Point where) override;
    // Itself for a window of `windows`, else the window of `windows` whose list holds it.
    NativeWindow TopLevelWindowOf(NativeWindow window) override;
    std::optional<std::uint32_t> PixelColorAt(Point where) override;
    // Windows of programs run as administrator; asking is not recorded (it is no action).
    std::set<NativeWindow> windowsAboveThisProcess;
    int runsAboveAsked = 0;  // how often RunsAboveThisProcess was asked
    bool RunsAboveThisProcess(NativeWindow window) override {
        ++runsAboveAsked;
        return windowsAboveThisProcess.count(window) > 0;
    }
    // The window with the keyboard and the mouse; asking is not recorded either.
    NativeWindow foregroundWindow = 0;
    NativeWindow ForegroundWindow() override { return foregroundWindow; }
    // Recorded; the window becomes the foreground one unless activationRefused.
    bool activationRefused = false;
    bool activationNotAnswered = false;  // the window's thread hangs
    Activation ActivateWindow(NativeWindow window) override;
    int ShowMessageBox(const Utf8Text& text, const Utf8Text& caption,
                       MessageBoxOptions options) override;

    // --- HotkeyPort ---
    std::uint32_t currentThreadId = 100;
    std::map<NativeWindow, std::uint32_t> windowThreads;
    KeyboardState keyboard{};
    bool failKeyboardState = false;
    std::function<void()> timerTick;             // the last window-less timer's callback
    std::vector<std::function<void()>> threads;  // bodies started and not yet run
    void RunStartedThreads();                    // runs and forgets them, in start order

    std::uint32_t GetCurrentThreadId() override;
    std::uint32_t GetWindowThreadId(NativeWindow window) override;
    void AttachThreadInput(std::uint32_t from, std::uint32_t to) override;
    void StartWindowlessTimer(std::uint32_t timerId, std::uint32_t intervalMs,
                              std::function<void()> onTick) override;
    bool GetKeyboardState(KeyboardState& state) override;
    void StartThread(std::function<void()> body) override;

    // --- FilePort: an in-memory disk; paths use backslashes, compared case-insensitively ---
    // As on the platform, no name of a file or folder the fake makes may pass 255 UTF-16 units:
    // writes, creations and renames to a longer one fail, and so does an atomic replace whose
    // temporary file's name would (TemporaryFileBeside).
    static constexpr std::size_t kMaxComponentUnits = 255;
    static bool NamesFit(const Utf8Text& path);
    Utf8Text executableFolder = "C:\\kavo";
    void AddFile(const Utf8Text& path, const std::string& bytes);  // parents created
    void AddFolder(const Utf8Text& path);                          // parents created
    bool HasFile(const Utf8Text& path) const;
    bool HasFolder(const Utf8Text& path) const;
    std::string FileBytes(const Utf8Text& path) const;  // empty when missing
    std::set<Utf8Text> unreadablePaths;                 // reads of these fail

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
    // Writes, creations, renames and removals of these paths fail and change nothing.
    std::set<Utf8Text> unwritablePaths;
    // A file's write time is a count that every write of it moves on; a rename keeps it. The
    // stamps of these files say they were written just now (FileStamp::recent).
    std::optional<FileStamp> StampOf(const Utf8Text& path) override;
    std::set<Utf8Text> recentFiles;
    // Each watch tells of every change the fake's own operations make directly in its folder
    // (for a folder renamed or removed, in it and below it). Folders cannot be watched while
    // foldersWatchable is false. As on Windows, which keeps a watched folder until its watch is
    // closed, a folder that is watched (or holds one that is) cannot be renamed or removed.
    std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text& folder) override;
    bool foldersWatchable = true;
    // A change neither a stamp nor a watch sees (same size, same write time, no notice), as a
    // file system with coarse times and no notifications can make.
    void ChangeFileUnseen(const Utf8Text& path, const std::string& bytes);

    // --- ClipboardPort ---
    std::optional<Utf8Text> clipboard;
    bool SetText(const Utf8Text& text) override;
    std::optional<Utf8Text> GetText() override;

  private:
    void Record(std::string call) {
        calls.push_back(std::move(call));
        callTimes.push_back(nowMicroseconds);
    }
    static Utf8Text Key(const Utf8Text& path);                    // normalised, lower-case ASCII
    std::map<Utf8Text, std::pair<Utf8Text, std::string>> files_;  // key -> (path as given, bytes)
    std::map<Utf8Text, Utf8Text> folders_;                        // key -> path as given
    // Sets the file's write time and tells the watches of its folder.
    void FileWritten(const Utf8Text& key);
    // Tells the watches of the folder (and of every folder below it, when below is set).
    void FolderChanged(const Utf8Text& key, bool below = false);
    std::map<Utf8Text, std::uint64_t> writeTimes_;  // file key -> write time
    std::uint32_t nextTemporary_ = 0;
    std::uint64_t fileClock_ = 0;
    std::map<Utf8Text, std::uint64_t> folderChanges_;  // folder key -> changes told so far
    std::map<Utf8Text, int> watched_;                  // folder key -> watches open on it
    bool Watched(const Utf8Text& key) const;           // the folder or one below it
    std::optional<WindowEntry> Find(NativeWindow window) const;
    WaitResult TimerWaitResult(TimerHandle timer);
    WaitResult TimeoutWaitResult(std::uint32_t timeoutMs);
    TimerHandle nextTimer_ = 1;
    WakeHandle nextWake_ = 1001;  // apart from timer handles, so a mix-up shows
    std::map<TimerHandle, std::int64_t> timerDue_;
};

}  // namespace kavo
