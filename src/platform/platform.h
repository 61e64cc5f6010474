// The narrow seams through which the portable core reaches the operating system.
//
// Nothing here includes <windows.h>: windows are integers, texts are UTF-8 (`Utf8Text`) unless a
// comment says GBK bytes, and every call maps onto one or two Win32 calls in platform/win32.
// Native tests implement these interfaces with the recording fake in platform/fake.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/input_values.h"

namespace kavo {

// How bringing a window to the front went.
enum class Activation {
    Activated,     // it is the foreground window now
    Refused,       // it is not (gone, the desktop, the system would not switch)
    NotResponding  // its thread does not answer: nothing was done that would wait for it
};

// What ShowMessageBox returns for a box another program closed.
inline constexpr int kMessageBoxClosedFromOutside = -1;

// A window handle as an integer. -1 and 0 carry meaning for target windows (no match / no
// condition), so the type is signed.
using NativeWindow = std::int64_t;

// Text for the screen and the operating system (titles, names, paths, message box texts).
using Utf8Text = std::string;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Cursor, injected input and posted messages: what a script does to the desktop.
class InputPort {
  public:
    virtual ~InputPort() = default;
    virtual Point GetCursorPos() = 0;
    virtual void SetCursorPos(int x, int y) = 0;
    // One mouse event with no movement (mouse_event); x and y go along as the call's
    // coordinates.
    virtual void MouseEvent(MouseButtonChanges changes, int x, int y) = 0;
    // One turn of the wheel at the cursor, 120 a notch, positive away from the user.
    virtual void MouseWheel(int turn) = 0;
    // One key event without a scan code (keybd_event).
    virtual void KeybdEvent(KeyCode code, KeyDirection direction) = 0;
    // One keyboard record (SendInput). Every injected event carries kInjectedInputMark.
    virtual void SendKeyboardInput(const KeyboardInput& input) = 0;
    // The keyboard layout's scan code of the key, and the character it types unshifted; 0 when
    // it has none (MapVirtualKey). The full 32-bit number is asked about, as a script wrote it.
    virtual std::uint32_t ScanCodeOfKey(std::uint32_t code) = 0;
    virtual std::uint32_t CharacterOfKey(std::uint32_t code) = 0;
    virtual std::uint32_t GetTickCount() = 0;
    // Posts the message to the window and returns at once (PostMessage). The point goes out
    // sign-extended, as a 32-bit program would pass it.
    virtual void PostWindowMessage(NativeWindow window, const PostedMessage& message) = 0;
    virtual NativeWindow GetDesktopWindow() = 0;
};

// Waitable timers, wake events and the calling thread's message queue.
class WaitPort {
  public:
    using TimerHandle = std::uint64_t;  // 0: no timer
    // A wake event lets another thread end a wait at once (a stopped script). 0: none.
    using WakeHandle = std::uint64_t;
    enum class WaitResult { Timer, Messages, Failed, Woken };

    virtual ~WaitPort() = default;
    // CreateWaitableTimer(no security, auto reset, no name); 0 when it fails.
    virtual TimerHandle CreateDelayTimer() = 0;
    // SetWaitableTimer(timer, dueTime, 0, no routine, no argument, FALSE).
    virtual bool SetDelayTimer(TimerHandle timer, std::int64_t dueTime) = 0;
    virtual void CloseTimer(TimerHandle timer) = 0;
    // Sleeps until the timer fires (Timer), a message arrives (Messages) or the wake event, when
    // not 0, is signalled (Woken): MsgWaitForMultipleObjects(timer and wake, INFINITE, 0xFF).
    virtual WaitResult WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) = 0;
    // The same without a timer, for at most timeoutMs (Timer: the time ran out); used when no
    // timer works.
    virtual WaitResult WaitForMessages(std::uint32_t timeoutMs, WakeHandle wake) = 0;
    // Dispatches every message waiting in the calling thread's queue; never blocks.
    virtual void ProcessPendingEvents() = 0;
    // Monotonic clock in microseconds.
    virtual std::uint64_t NowMicroseconds() = 0;
    // Gives the processor to another ready thread, if any (the last stretch of a delay waits
    // on the clock).
    virtual void YieldToOtherThreads() = 0;
    // Fine timer resolution while scripts run (timeBeginPeriod(1) and the Windows 11 opt-out of
    // timer throttling). Counted: the last End releases it.
    virtual void BeginPreciseTiming() = 0;
    virtual void EndPreciseTiming() = 0;
    // Manual reset, created unsignalled; 0: none could be created.
    virtual WakeHandle CreateWakeEvent() = 0;
    // Any thread.
    virtual void SignalWakeEvent(WakeHandle wake) = 0;
    virtual void CloseWakeEvent(WakeHandle wake) = 0;
};

struct ProcessEntry {
    std::uint32_t parentId = 0;
    std::uint32_t processId = 0;
    Utf8Text exeName;  // bare file name, as the snapshot reports it
};

// What ReadWindow reads of a window: each field costs a call of its own.
enum class WindowField : std::uint8_t { Visible = 1, Process = 2, Class = 4, Title = 8 };
using WindowFields = FlagSet<WindowField>;
constexpr WindowFields operator|(WindowField a, WindowField b) {
    return WindowFields(a) | b;
}

struct WindowEntry {
    NativeWindow window = 0;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
    Utf8Text className;
    Utf8Text title;
    bool visible = false;
    friend bool operator==(const WindowEntry&, const WindowEntry&) = default;
};

// Processes, windows and the screen.
class SystemPort {
  public:
    virtual ~SystemPort() = default;
    // CreateProcess of the command line (no shell, no inherited handles, SW_SHOWNORMAL), then
    // WaitForInputIdle(at most idleWaitMs) and both handles closed. False when not created.
    virtual bool StartProcess(const Utf8Text& commandLine, std::uint32_t idleWaitMs) = 0;
    // Toolhelp snapshot, in snapshot order; empty when no snapshot could be taken.
    virtual std::vector<ProcessEntry> SnapshotProcesses() = 0;
    // The file name of the process's executable (as the snapshot names it), asked of the one
    // process; empty when it cannot be asked (gone, or protected from this program).
    virtual Utf8Text ProcessName(std::uint32_t processId) = 0;
    // EnumWindows order (front to back), hidden windows included with visible = false.
    virtual std::vector<WindowEntry> EnumerateTopLevelWindows() = 0;
    // The same top-level windows, handed to visit one by one until it returns false, so that a
    // search reads only what it needs of each and stops at its match.
    virtual void VisitTopLevelWindows(const std::function<bool(NativeWindow)>& visit) = 0;
    // Every window below parent, in EnumChildWindows order (each window before its own
    // children), until visit returns false; none when parent is 0 or gone.
    virtual void VisitChildWindows(NativeWindow parent,
                                   const std::function<bool(NativeWindow)>& visit) = 0;
    // Only the asked fields of one window (the others stay empty), one call each; visible as
    // IsWindowVisible says (a child of a hidden window is hidden). A window that is gone reads
    // as hidden, with empty texts and process 0.
    virtual WindowEntry ReadWindow(NativeWindow window, WindowFields fields) = 0;
    // The one window, as the enumerations report it; nothing when it is gone.
    virtual std::optional<WindowEntry> DescribeWindow(NativeWindow window) = 0;
    // The deepest visible window under the screen point, children included; 0 when none.
    virtual NativeWindow WindowAtPoint(Point where) = 0;
    // The top-level window a window belongs to (itself when it is one); 0 when it is gone.
    virtual NativeWindow TopLevelWindowOf(NativeWindow window) = 0;
    // The colour of the screen's pixel as 0x00BBGGRR (a COLORREF, as link.ini keeps colours);
    // nothing when it cannot be read.
    virtual std::optional<std::uint32_t> PixelColorAt(Point where) = 0;
    // True when the window's process runs at a higher integrity level than this program (a
    // program run as administrator, seen from one that is not): the system drops the input and
    // the messages this program sends it without a word. False when it cannot be told.
    virtual bool RunsAboveThisProcess(NativeWindow window) = 0;
    // The window that receives injected input now (GetForegroundWindow); 0 when none has it.
    virtual NativeWindow ForegroundWindow() = 0;
    // Brings the window's top-level window to the front with the keyboard (restored first when
    // minimised), never waiting long on a window whose thread does not answer.
    virtual Activation ActivateWindow(NativeWindow window) = 0;
    // A message box with an OK button and no owner. Returns the code of the button that closed
    // it (1 for OK), 0 when it could not be shown, kMessageBoxClosedFromOutside when another
    // program closed it (a posted WM_CLOSE: taskkill, the session ending).
    virtual int ShowMessageBox(const Utf8Text& text, const Utf8Text& caption,
                               MessageBoxOptions options) = 0;
};

// What the hotkey monitor needs: the keyboard view of the user-interface thread, a window-less
// timer and new threads.
class HotkeyPort {
  public:
    virtual ~HotkeyPort() = default;
    virtual std::uint32_t GetCurrentThreadId() = 0;
    // GetWindowThreadProcessId's thread; 0 for a window that does not exist.
    virtual std::uint32_t GetWindowThreadId(NativeWindow window) = 0;
    virtual void AttachThreadInput(std::uint32_t from, std::uint32_t to) = 0;
    // SetTimer(NULL, timerId, intervalMs, ...) whose ticks call onTick on this thread.
    virtual void StartWindowlessTimer(std::uint32_t timerId, std::uint32_t intervalMs,
                                      std::function<void()> onTick) = 0;
    virtual bool GetKeyboardState(KeyboardState& state) = 0;
    // CreateThread running body, handle closed at once; nobody waits for it.
    virtual void StartThread(std::function<void()> body) = 0;
};

struct DirectoryEntry {
    Utf8Text name;
    bool isDirectory = false;
    friend bool operator==(const DirectoryEntry&, const DirectoryEntry&) = default;
};

// A file's size and last write time (in the platform's own units): when either differs, the
// file changed.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    // Written less than 2 s ago (or stamped later than now). Such a stamp cannot tell that the
    // file is unchanged: where times are kept in 2-second steps (FAT, as on many USB sticks), a
    // second write of as many bytes within those 2 s leaves the same stamp.
    bool recent = false;
    friend bool operator==(const FileStamp& a, const FileStamp& b) {
        return a.size == b.size && a.writeTime == b.writeTime;
    }
};

// Tells of changes directly inside one folder: an entry added, removed or renamed, a file
// written or resized. Changes below its subfolders are not told.
class FolderWatch {
  public:
    virtual ~FolderWatch() = default;
    // True when something may have changed since the watch began or was last asked, and when
    // the watch lost track; each change is told once.
    virtual bool Changed() = 0;
};

// Files and folders. Paths are UTF-8 with backslashes; file contents are bytes.
class FilePort {
  public:
    virtual ~FilePort() = default;
    // Entries of folder (no trailing separator needed) matching a wildcard such as "*.*" or
    // "*.txt" (case-insensitive, as the platform matches); "." and ".." included as the
    // platform reports them. Empty when the folder cannot be listed.
    virtual std::vector<DirectoryEntry> ListDirectory(const Utf8Text& folder,
                                                      const Utf8Text& pattern) = 0;
    virtual std::optional<std::string> ReadWholeFile(const Utf8Text& path) = 0;
    // Creates or truncates the file. False when it could not be written.
    virtual bool WriteWholeFile(const Utf8Text& path, const std::string& bytes) = 0;
    virtual bool IsDirectory(const Utf8Text& path) = 0;
    virtual bool CreateDirectories(const Utf8Text& path) = 0;
    virtual bool RenamePath(const Utf8Text& from, const Utf8Text& to) = 0;
    virtual bool RemoveFile(const Utf8Text& path) = 0;
    // Removes the folder and everything below it without following junctions or symbolic
    // links: a link inside is removed itself, its target untouched; a folder that is itself a
    // link loses only the link. False when anything is left.
    virtual bool RemoveDirectoryTree(const Utf8Text& path) = 0;
    // True when a file or folder of that name exists.
    virtual bool PathExists(const Utf8Text& path) = 0;
    // Creates an empty file that must not exist yet; false when it exists or cannot be made.
    virtual bool CreateNewEmptyFile(const Utf8Text& path) = 0;
    // Writes bytes to a temporary file in the same folder, then puts it in place of path in one
    // step. When anything fails the file at path keeps its old content and no temporary file
    // is left.
    virtual bool ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) = 0;
    // Adds bytes at the end of the file, creating it when missing; what it held stays. Several
    // processes may append at once: each write lands whole at the end. False when it failed.
    virtual bool AppendToFile(const Utf8Text& path, const std::string& bytes) = 0;
    // Folder of the running executable, without a trailing separator.
    virtual Utf8Text ExecutableFolder() = 0;
    // The file's size and last write time; nullopt when there is no such file.
    virtual std::optional<FileStamp> StampOf(const Utf8Text& path) = 0;
    // A watch on what lies directly in the folder; nullptr when it cannot be watched.
    virtual std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text& folder) = 0;
};

class ClipboardPort {
  public:
    virtual ~ClipboardPort() = default;
    virtual bool SetText(const Utf8Text& text) = 0;
    virtual std::optional<Utf8Text> GetText() = 0;
};

}  // namespace kavo
