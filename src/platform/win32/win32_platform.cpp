#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/temporary_file.h"
#include "platform/win32/late_function_win32.h"
#include "platform/win32/unique_handle.h"
#include "text/wide.h"

namespace kavo {

Win32Platform& ThePlatform() {
    static Win32Platform platform;
    return platform;
}

// --- InputPort ---
Point Win32Platform::GetCursorPos() {
    POINT point{};
    ::GetCursorPos(&point);
    return {point.x, point.y};
}
void Win32Platform::SetCursorPos(int x, int y) {
    ::SetCursorPos(x, y);
}
namespace {

DWORD MouseEventFlags(MouseButtonChanges changes) {
    static constexpr std::pair<MouseButtonChange, DWORD> kFlags[] = {
        {MouseButtonChange::LeftDown, MOUSEEVENTF_LEFTDOWN},
        {MouseButtonChange::LeftUp, MOUSEEVENTF_LEFTUP},
        {MouseButtonChange::RightDown, MOUSEEVENTF_RIGHTDOWN},
        {MouseButtonChange::RightUp, MOUSEEVENTF_RIGHTUP},
        {MouseButtonChange::MiddleDown, MOUSEEVENTF_MIDDLEDOWN},
        {MouseButtonChange::MiddleUp, MOUSEEVENTF_MIDDLEUP},
    };
    DWORD flags = 0;
    for (const auto& [change, flag] : kFlags)
        if (changes.Has(change)) flags |= flag;
    return flags;
}

UINT MessageNumber(WindowMessage message) {
    switch (message) {
        case WindowMessage::MouseMove:
            return WM_MOUSEMOVE;
        case WindowMessage::LeftButtonDown:
            return WM_LBUTTONDOWN;
        case WindowMessage::LeftButtonUp:
            return WM_LBUTTONUP;
        case WindowMessage::LeftButtonDoubleClick:
            return WM_LBUTTONDBLCLK;
        case WindowMessage::RightButtonDown:
            return WM_RBUTTONDOWN;
        case WindowMessage::RightButtonUp:
            return WM_RBUTTONUP;
        case WindowMessage::RightButtonDoubleClick:
            return WM_RBUTTONDBLCLK;
        case WindowMessage::MiddleButtonDown:
            return WM_MBUTTONDOWN;
        case WindowMessage::MiddleButtonUp:
            return WM_MBUTTONUP;
        case WindowMessage::MiddleButtonDoubleClick:
            return WM_MBUTTONDBLCLK;
        case WindowMessage::MouseWheel:
            return WM_MOUSEWHEEL;
        case WindowMessage::ContextMenu:
            return WM_CONTEXTMENU;
        case WindowMessage::KeyDown:
            return WM_KEYDOWN;
        case WindowMessage::KeyUp:
            return WM_KEYUP;
        case WindowMessage::Character:
            return WM_CHAR;
    }
    return WM_NULL;
}

// The first parameter as the message's receiver reads it: the buttons held (MK_ flags, with the
// wheel's turn in the high word), or the value the message carries.
std::uint32_t FirstParameter(const PostedMessage& message) {
    if (!IsMouseMessage(message.message)) return message.value;
    std::uint32_t held = 0;
    if (message.held.Has(MouseButton::Left)) held |= MK_LBUTTON;
    if (message.held.Has(MouseButton::Right)) held |= MK_RBUTTON;
    if (message.held.Has(MouseButton::Middle)) held |= MK_MBUTTON;
    if (message.message == WindowMessage::MouseWheel)
        held |= static_cast<std::uint32_t>(static_cast<std::uint16_t>(message.wheelTurn)) << 16;
    return held;
}

}  // namespace

void Win32Platform::MouseEvent(MouseButtonChanges changes, int x, int y) {
    ::mouse_event(MouseEventFlags(changes), static_cast<DWORD>(x), static_cast<DWORD>(y), 0,
                  kInjectedInputMark);
}
void Win32Platform::MouseWheel(int turn) {
    ::mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(turn), kInjectedInputMark);
}
void Win32Platform::KeybdEvent(KeyCode code, KeyDirection direction) {
    ::keybd_event(code, 0, direction == KeyDirection::Up ? KEYEVENTF_KEYUP : 0, kInjectedInputMark);
}
void Win32Platform::SendKeyboardInput(const KeyboardInput& input) {
    INPUT record{};
    record.type = INPUT_KEYBOARD;
    record.ki.wVk = input.virtualKey;
    record.ki.wScan = input.scanCode;
    record.ki.dwFlags = (input.extended ? KEYEVENTF_EXTENDEDKEY : 0) |
                        (input.direction == KeyDirection::Up ? KEYEVENTF_KEYUP : 0);
    record.ki.time = input.time;
    record.ki.dwExtraInfo = kInjectedInputMark;
    // The size of INPUT of this build (28 bytes in 32-bit programs, 40 in 64-bit ones):
    // SendInput refuses any other.
    ::SendInput(1, &record, sizeof(INPUT));
}
std::uint32_t Win32Platform::ScanCodeOfKey(std::uint32_t code) {
    return ::MapVirtualKeyW(code, MAPVK_VK_TO_VSC);
}
std::uint32_t Win32Platform::CharacterOfKey(std::uint32_t code) {
    return ::MapVirtualKeyW(code, MAPVK_VK_TO_CHAR);
}
std::uint32_t Win32Platform::GetTickCount() {
    return ::GetTickCount();
}
void Win32Platform::PostWindowMessage(NativeWindow window, const PostedMessage& message) {
    ::PostMessageW(reinterpret_cast<HWND>(static_cast<INT_PTR>(window)),
                   MessageNumber(message.message), FirstParameter(message),
                   static_cast<LPARAM>(message.point));
}
NativeWindow Win32Platform::GetDesktopWindow() {
    return reinterpret_cast<INT_PTR>(::GetDesktopWindow());
}

// --- WaitPort ---
namespace {
HANDLE AsHandle(WaitPort::TimerHandle timer) {
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(timer));
}
constexpr DWORD kWakeMask = 0xFF;  // QS_KEY|QS_MOUSE|QS_POSTMESSAGE|QS_TIMER|QS_PAINT|...
}  // namespace

WaitPort::TimerHandle Win32Platform::CreateDelayTimer() {
    return reinterpret_cast<UINT_PTR>(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
}
bool Win32Platform::SetDelayTimer(TimerHandle timer, std::int64_t dueTime) {
    LARGE_INTEGER due{};
    due.QuadPart = dueTime;
    return ::SetWaitableTimer(AsHandle(timer), &due, 0, nullptr, nullptr, FALSE) != FALSE;
}
WaitPort::WakeHandle Win32Platform::CreateWakeEvent() {
    return reinterpret_cast<UINT_PTR>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}
void Win32Platform::SignalWakeEvent(WakeHandle wake) {
    if (wake != 0) ::SetEvent(AsHandle(wake));
}
void Win32Platform::CloseWakeEvent(WakeHandle wake) {
    if (wake != 0) ::CloseHandle(AsHandle(wake));
}
namespace {
// The timer (if any) comes first and the wake event (if any) after it, so their indexes say
// which one ended the wait; messages follow all handles.
WaitPort::WaitResult WaitForHandlesOrMessages(WaitPort::TimerHandle timer,
                                              WaitPort::WakeHandle wake, DWORD timeoutMs) {
    HANDLE handles[2];
    DWORD count = 0;
    if (timer != 0) handles[count++] = AsHandle(timer);
    const DWORD wakeIndex = count;
    if (wake != 0) handles[count++] = AsHandle(wake);
    const DWORD result = ::MsgWaitForMultipleObjects(count, count > 0 ? handles : nullptr, FALSE,
                                                     timeoutMs, kWakeMask);
    if (result == WAIT_TIMEOUT) return WaitPort::WaitResult::Timer;
    if (result == WAIT_OBJECT_0 + count) return WaitPort::WaitResult::Messages;
    if (wake != 0 && result == WAIT_OBJECT_0 + wakeIndex) return WaitPort::WaitResult::Woken;
    if (timer != 0 && result == WAIT_OBJECT_0) return WaitPort::WaitResult::Timer;
    return WaitPort::WaitResult::Failed;
}
}  // namespace
WaitPort::WaitResult Win32Platform::WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) {
    if (timer == 0) return WaitResult::Failed;  // no timer would wait for ever
    return WaitForHandlesOrMessages(timer, wake, INFINITE);
}
WaitPort::WaitResult Win32Platform::WaitForMessages(std::uint32_t timeoutMs, WakeHandle wake) {
    return WaitForHandlesOrMessages(0, wake, timeoutMs);
}
void Win32Platform::CloseTimer(TimerHandle timer) {
    ::CloseHandle(AsHandle(timer));
}
void Win32Platform::ProcessPendingEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the message loop that owns it.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}
std::uint64_t Win32Platform::NowMicroseconds() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000000 +
                                      now.QuadPart % frequency * 1000000 / frequency);
}
void Win32Platform::YieldToOtherThreads() {
    ::SwitchToThread();
}

namespace {
std::atomic<int> g_preciseTimingUsers{0};
std::mutex g_preciseTimingMutex;

// Windows 11 throttles the timer resolution of processes without a visible window (the main
// window hides while a script runs). SetProcessInformation is looked up at run time so that
// Windows 7 still starts.
void OptOutOfTimerThrottling() {
    using SetProcessInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    struct PowerThrottlingState {
        ULONG version;
        ULONG controlMask;
        ULONG stateMask;
    };
    constexpr int kProcessPowerThrottling = 4;
    constexpr ULONG kIgnoreTimerResolution = 0x4;
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return;
    const auto setInformation = reinterpret_cast<SetProcessInformationFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetProcessInformation")));
    if (setInformation == nullptr) return;
    PowerThrottlingState state{1, kIgnoreTimerResolution, 0};
    setInformation(::GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
}
}  // namespace

void Win32Platform::BeginPreciseTiming() {
    const std::lock_guard lock(g_preciseTimingMutex);
    if (g_preciseTimingUsers++ == 0) {
        OptOutOfTimerThrottling();
        BeginTimerPeriod(1);
    }
}
void Win32Platform::EndPreciseTiming() {
    const std::lock_guard lock(g_preciseTimingMutex);
    if (g_preciseTimingUsers > 0 && --g_preciseTimingUsers == 0) EndTimerPeriod(1);
}

// --- SystemPort ---
bool Win32Platform::StartProcess(const Utf8Text& commandLine, std::uint32_t idleWaitMs) {
    std::wstring mutableLine = Utf8ToWide(commandLine);
    mutableLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        return false;
    const UniqueHandleKernel process(info.hProcess);
    const UniqueHandleKernel thread(info.hThread);
    ::WaitForInputIdle(process.get(), idleWaitMs);
    return true;
}
std::vector<ProcessEntry> Win32Platform::SnapshotProcesses() {
    std::vector<ProcessEntry> processes;
    // Processes only: the threads, modules and heaps of a full snapshot would cost more than
    // the list itself and are never read.
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID != 0)
            processes.push_back(
                {entry.th32ParentProcessID, entry.th32ProcessID, WideToUtf8(entry.szExeFile)});
    }
    return processes;
}
Utf8Text Win32Platform::ProcessName(std::uint32_t processId) {
    if (processId == 0) return {};
    const UniqueHandleKernel process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) return {};
    path.resize(length);
    const std::size_t slash = path.find_last_of(L"\\/");
    return WideToUtf8(slash == std::wstring::npos ? path : path.substr(slash + 1));
}
namespace {
HWND AsHwnd(NativeWindow window) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
}
WindowEntry EntryOf(HWND window, WindowFields fields) {
    WindowEntry entry;
    entry.window = reinterpret_cast<INT_PTR>(window);
    if (fields.Has(WindowField::Process)) {
        DWORD processId = 0;
        entry.threadId = ::GetWindowThreadProcessId(window, &processId);
        entry.processId = processId;
    }
    if (fields.Has(WindowField::Visible)) {
        // A window that is no child is visible by its own style bit (its parent is the desktop),
        // which takes one question where IsWindowVisible asks about the parents too: searches
        // read it of every candidate, and under Wine each question is a round trip.
        const LONG style = ::GetWindowLongW(window, GWL_STYLE);
        entry.visible = (style & WS_VISIBLE) != 0 &&
                        ((style & WS_CHILD) == 0 || ::IsWindowVisible(window) != FALSE);
    }
    wchar_t buffer[256];
    if (fields.Has(WindowField::Class)) {
        const int length = ::GetClassNameW(window, buffer, 256);
        entry.className = WideToUtf8(std::wstring_view(buffer, length > 0 ? length : 0));
    }
    if (fields.Has(WindowField::Title)) {
        const int length = ::GetWindowTextW(window, buffer, 256);
        entry.title = WideToUtf8(std::wstring_view(buffer, length > 0 ? length : 0));
    }
    return entry;
}
constexpr WindowFields kAllFields =
    WindowField::Visible | WindowField::Process | WindowField::Class | WindowField::Title;
// Named CALLBACK functions: a lambda would have the wrong calling convention in 32-bit builds.
BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<WindowEntry>*>(context)->push_back(EntryOf(window, kAllFields));
    return TRUE;
}
BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
    const auto& visit = *reinterpret_cast<const std::function<bool(NativeWindow)>*>(context);
    return visit(reinterpret_cast<INT_PTR>(window)) ? TRUE : FALSE;
}
}  // namespace

std::vector<WindowEntry> Win32Platform::EnumerateTopLevelWindows() {
    std::vector<WindowEntry> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}
void Win32Platform::VisitTopLevelWindows(const std::function<bool(NativeWindow)>& visit) {
    ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}
void Win32Platform::VisitChildWindows(NativeWindow parent,
                                      const std::function<bool(NativeWindow)>& visit) {
    // EnumChildWindows with no parent would list the top-level windows instead.
    if (parent == 0 || !::IsWindow(AsHwnd(parent))) return;
    ::EnumChildWindows(AsHwnd(parent), VisitWindow, reinterpret_cast<LPARAM>(&visit));
}
WindowEntry Win32Platform::ReadWindow(NativeWindow window, WindowFields fields) {
    return EntryOf(AsHwnd(window), fields);
}
std::optional<WindowEntry> Win32Platform::DescribeWindow(NativeWindow window) {
    if (window == 0 || !::IsWindow(AsHwnd(window))) return std::nullopt;
    return EntryOf(AsHwnd(window), kAllFields);
}
NativeWindow Win32Platform::WindowAtPoint(Point where) {
    const POINT screen{where.x, where.y};
    HWND window = ::WindowFromPoint(screen);
    // WindowFromPoint passes over disabled children and over those that let the mouse through
    // (static texts): the spy goes down to the deepest visible child holding the point.
    for (int depth = 0; window != nullptr && depth < 64; ++depth) {
        POINT client = screen;
        ::ScreenToClient(window, &client);
        HWND child =
            ::ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (child == nullptr || child == window) break;
        window = child;
    }
    return reinterpret_cast<INT_PTR>(window);
}
NativeWindow Win32Platform::TopLevelWindowOf(NativeWindow window) {
    if (window == 0 || !::IsWindow(AsHwnd(window))) return 0;
    return reinterpret_cast<INT_PTR>(::GetAncestor(AsHwnd(window), GA_ROOT));
}
namespace {
// The mandatory integrity level of a process token (SECURITY_MANDATORY_*_RID); nothing when it
// cannot be read.
std::optional<DWORD> TokenIntegrity(HANDLE token) {
    DWORD size = 0;
    ::GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> buffer(size);
    if (!::GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const UCHAR count = *::GetSidSubAuthorityCount(label->Label.Sid);
    if (count == 0) return std::nullopt;
    return *::GetSidSubAuthority(label->Label.Sid, count - 1);
}
std::optional<DWORD> OwnIntegrity() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::nullopt;
    const UniqueHandleKernel owned(token);
    return TokenIntegrity(token);
}
}  // namespace

bool Win32Platform::RunsAboveThisProcess(NativeWindow window) {
    static const std::optional<DWORD> own = OwnIntegrity();
    if (!own || window == 0) return false;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(AsHwnd(window), &processId);
    if (processId == 0 || processId == ::GetCurrentProcessId()) return false;
    const UniqueHandleKernel process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    HANDLE token = nullptr;
    // A token that cannot be read tells nothing (a protected system process refuses it too).
    if (!::OpenProcessToken(process.get(), TOKEN_QUERY, &token)) return false;
    const UniqueHandleKernel owned(token);
    const std::optional<DWORD> theirs = TokenIntegrity(token);
    return theirs && *theirs > *own;
}
NativeWindow Win32Platform::ForegroundWindow() {
    return reinterpret_cast<INT_PTR>(::GetForegroundWindow());
}
namespace {

// How long a window's thread may take to answer before it counts as not answering.
constexpr UINT kAnswerWaitMs = 1000;
// How long a minimised window may take to come back before the switch goes on without it.
constexpr DWORD kRestoreWaitMs = 500;

bool Answers(HWND window) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                 kAnswerWaitMs, &ignored) != 0;
}

}  // namespace

Activation Win32Platform::ActivateWindow(NativeWindow window) {
    HWND target = ::GetAncestor(AsHwnd(window), GA_ROOT);
    if (target == nullptr || !::IsWindow(target) || target == ::GetDesktopWindow())
        return Activation::Refused;
    // Every call below that reaches another thread's window waits for that thread: a window
    // that does not answer is asked once, for a bounded time, and then left alone.
    if (!Answers(target)) return Activation::NotResponding;
    if (::IsIconic(target)) {
        if (::GetWindowThreadProcessId(target, nullptr) == ::GetCurrentThreadId()) {
            ::ShowWindow(target, SW_RESTORE);  // a window of this thread: nothing to wait for
        } else {
            ::ShowWindowAsync(target, SW_RESTORE);
            const DWORD start = ::GetTickCount();
            while (::IsIconic(target) && ::GetTickCount() - start < kRestoreWaitMs) ::Sleep(10);
        }
    }
    if (::SetForegroundWindow(target) && ::GetForegroundWindow() == target)
        return Activation::Activated;
    // Windows hands the foreground on only from the thread that has it (or one joined to its
    // input): join it for the moment of the switch, unless that thread does not answer either.
    const HWND foreground = ::GetForegroundWindow();
    const DWORD ownThread = ::GetCurrentThreadId();
    const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    const bool joined = foregroundThread != 0 && foregroundThread != ownThread &&
                        Answers(foreground) &&
                        ::AttachThreadInput(ownThread, foregroundThread, TRUE);
    ::SetWindowPos(target, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    ::SetForegroundWindow(target);
    if (joined) ::AttachThreadInput(ownThread, foregroundThread, FALSE);
    return ::GetForegroundWindow() == target ? Activation::Activated : Activation::Refused;
}
std::optional<std::uint32_t> Win32Platform::PixelColorAt(Point where) {
    const UniqueScreenDc screen(::GetDC(nullptr));
    if (!screen) return std::nullopt;
    const COLORREF color = ::GetPixel(screen.get(), where.x, where.y);
    if (color == CLR_INVALID) return std::nullopt;
    return static_cast<std::uint32_t>(color);
}
namespace {

// Set while this thread shows a message box and a WM_CLOSE was posted to one of its windows: a
// close asked by another program (taskkill posts it to every window of the process), not by the
// user, whose Alt+F4 or Esc reaches the box as sent messages.
thread_local bool tClosedFromOutside = false;

LRESULT CALLBACK NoticePostedClose(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        reinterpret_cast<const MSG*>(lParam)->message == WM_CLOSE)
        tClosedFromOutside = true;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int Win32Platform::ShowMessageBox(const Utf8Text& text, const Utf8Text& caption,
                                  MessageBoxOptions options) {
    tClosedFromOutside = false;
    const UniqueHook watch(
        SetWindowsHookExW(WH_GETMESSAGE, NoticePostedClose, nullptr, ::GetCurrentThreadId()));
    const int button = ShowMessageBoxOver(nullptr, text, caption, options);
    return tClosedFromOutside ? kMessageBoxClosedFromOutside : button;
}

int ShowMessageBoxOver(HWND owner, const Utf8Text& text, const Utf8Text& caption,
                       MessageBoxOptions options) {
    UINT flags = MB_OK;
    if (options.Has(MessageBoxOption::TaskModal)) flags |= MB_TASKMODAL;
    if (options.Has(MessageBoxOption::Warning)) flags |= MB_ICONWARNING;
    if (options.Has(MessageBoxOption::Information)) flags |= MB_ICONINFORMATION;
    if (options.Has(MessageBoxOption::Error)) flags |= MB_ICONERROR;
    return ::MessageBoxW(owner, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), flags);
}

// --- HotkeyPort ---
namespace {
// Callbacks of window-less timers, by the id the system gave them. User-interface thread only.
std::map<UINT_PTR, std::function<void()>>& TimerCallbacks() {
    static std::map<UINT_PTR, std::function<void()>> callbacks;
    return callbacks;
}
// No exception crosses into the system's code that called these: a failed tick or thread ends
// there, and the program goes on (a run inside ends as failed before it gets here).
void CALLBACK WindowlessTimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    try {
        const auto found = TimerCallbacks().find(id);
        if (found != TimerCallbacks().end()) found->second();
    } catch (...) {
    }
}
DWORD WINAPI ThreadBody(LPVOID parameter) noexcept {
    const std::unique_ptr<std::function<void()>> body(
        static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
    }
    return 0;
}
}  // namespace

std::uint32_t Win32Platform::GetCurrentThreadId() {
    return ::GetCurrentThreadId();
}
std::uint32_t Win32Platform::GetWindowThreadId(NativeWindow window) {
    return ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(window)),
                                      nullptr);
}
void Win32Platform::AttachThreadInput(std::uint32_t from, std::uint32_t to) {
    ::AttachThreadInput(from, to, TRUE);
}
void Win32Platform::StartWindowlessTimer(std::uint32_t timerId, std::uint32_t intervalMs,
                                         std::function<void()> onTick) {
    // Without a window the system picks the id; the requested one only documents intent.
    const UINT_PTR assigned = ::SetTimer(nullptr, timerId, intervalMs, WindowlessTimerProc);
    if (assigned != 0) TimerCallbacks()[assigned] = std::move(onTick);
}
bool Win32Platform::GetKeyboardState(KeyboardState& state) {
    BYTE bytes[256] = {};
    if (!::GetKeyboardState(bytes)) return false;
    state = {};
    for (std::size_t key = 0; key < 256; ++key) {
        state.down.set(key, (bytes[key] & 0x80) != 0);
        state.toggled.set(key, (bytes[key] & 0x01) != 0);
    }
    return true;
}
void Win32Platform::StartThread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    DWORD threadId = 0;
    const UniqueHandleKernel thread(
        ::CreateThread(nullptr, 0, ThreadBody, owned.get(), 0, &threadId));
    if (thread) owned.release();  // the thread owns it now
}

// --- FilePort ---
namespace {

// Every file operation names its file in the \\?\ form: the system then takes the name as it
// stands. Without it, a name ending in "." or " " loses that ending ("abc." would reach "abc", a
// folder beside it) and paths are bound to 260 characters. The form wants an absolute path with
// backslashes only; the library's paths are absolute (the program's own folder), a relative one
// is taken from the current folder as it is.
std::wstring LongPath(const Utf8Text& path) {
    std::wstring wide = Utf8ToWide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    // Already in the form, or a device (a pipe, a volume): as it stands.
    if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
    if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    const bool driveAbsolute = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    if (!driveAbsolute) {
        std::wstring current(::GetCurrentDirectoryW(0, nullptr), L'\0');
        current.resize(::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
        if (!current.empty() && current.back() != L'\\') current.push_back(L'\\');
        wide = (wide.rfind(L"\\", 0) == 0 ? current.substr(0, 2) : current) + wide;
        if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    }
    // Doubled separators would name an empty component, which the \\?\ form refuses.
    std::wstring cleaned;
    cleaned.reserve(wide.size());
    for (wchar_t c : wide)
        if (!(c == L'\\' && !cleaned.empty() && cleaned.back() == L'\\')) cleaned.push_back(c);
    return L"\\\\?\\" + cleaned;
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
    // Never below the root: "\\?\C:\" keeps its backslash.
    while (path.size() > 7 && path.back() == L'\\') path.pop_back();
    return path;
}

std::wstring LongFolderPath(const Utf8Text& path) {
    return WithoutTrailingSeparator(LongPath(path));
}

// Writes all of bytes to file; false as soon as a write fails or writes nothing.
bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(file, bytes.data() + done, wanted, &chunk, nullptr) || chunk == 0)
            return false;
        done += chunk;
    }
    return true;
}

}  // namespace

std::vector<DirectoryEntry> Win32Platform::ListDirectory(const Utf8Text& folder,
                                                         const Utf8Text& pattern) {
    std::vector<DirectoryEntry> entries;
    const std::wstring query = LongFolderPath(folder) + L"\\" + Utf8ToWide(pattern);
    WIN32_FIND_DATAW data{};
    const UniqueFind find(::FindFirstFileW(query.c_str(), &data));
    if (!find) return entries;
    do {
        entries.push_back(
            {WideToUtf8(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(find.get(), &data));
    return entries;
}
std::optional<FileStamp> Win32Platform::StampOf(const Utf8Text& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::uint64_t written =
        join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    // File times count 100-nanosecond steps.
    constexpr std::uint64_t kTwoSeconds = 20'000'000;
    const bool recent = written + kTwoSeconds > join(now.dwHighDateTime, now.dwLowDateTime);
    return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow), written, recent};
}

namespace {

class Win32FolderWatch : public FolderWatch {
  public:
    explicit Win32FolderWatch(UniqueChangeNotification change) : change_(std::move(change)) {}

    bool Changed() override {
        if (::WaitForSingleObject(change_.get(), 0) == WAIT_TIMEOUT) return false;
        // Watching goes on from here. A notification that cannot be renewed stays signalled,
        // so a watch that lost track tells of a change every time it is asked.
        ::FindNextChangeNotification(change_.get());
        return true;
    }

  private:
    UniqueChangeNotification change_;
};

}  // namespace

std::unique_ptr<FolderWatch> Win32Platform::WatchFolder(const Utf8Text& folder) {
    // The folder itself only: pages lie directly in their script directories, and Wine tells
    // nothing of changes inside subfolders even when asked to watch them.
    UniqueChangeNotification change(::FindFirstChangeNotificationW(
        LongFolderPath(folder).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
            FILE_NOTIFY_CHANGE_LAST_WRITE));
    if (!change) return nullptr;
    return std::make_unique<Win32FolderWatch>(std::move(change));
}

std::optional<std::string> Win32Platform::ReadWholeFile(const Utf8Text& path) {
    const UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        // A read that fails part of the way (a locked range, a network drive gone) is a failure:
        // half a page must never pass for the page.
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
}
bool Win32Platform::WriteWholeFile(const Utf8Text& path, const std::string& bytes) {
    const UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.get(), bytes);
}
bool Win32Platform::IsDirectory(const Utf8Text& path) {
    const DWORD attributes = ::GetFileAttributesW(LongFolderPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool Win32Platform::CreateDirectories(const Utf8Text& path) {
    const std::wstring full = LongFolderPath(path);
    // Each folder from the first one below the root: "\\?\C:\a", "\\?\C:\a\b", ... (for
    // "\\?\UNC\server\share\a" the first is the share's first folder).
    const bool unc = full.rfind(L"\\\\?\\UNC\\", 0) == 0;
    std::size_t pos = full.find(L'\\', 4);  // after the drive, or after "UNC"
    if (unc) pos = full.find(L'\\', full.find(L'\\', pos + 1) + 1);
    for (pos = full.find(L'\\', pos + 1);; pos = full.find(L'\\', pos + 1)) {
        const std::wstring part = full.substr(0, pos);
        if (!::CreateDirectoryW(part.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS && pos == std::wstring::npos)
            return false;
        if (pos == std::wstring::npos) break;
    }
    return IsDirectory(path);
}
bool Win32Platform::RenamePath(const Utf8Text& from, const Utf8Text& to) {
    return ::MoveFileW(LongFolderPath(from).c_str(), LongFolderPath(to).c_str()) != FALSE;
}
bool Win32Platform::RemoveFile(const Utf8Text& path) {
    return ::DeleteFileW(LongPath(path).c_str()) != FALSE;
}
namespace {
constexpr DWORD kLinkAttribute = FILE_ATTRIBUTE_REPARSE_POINT;

// Clears the read-only flag of the entry itself, never of what a link points at: through a
// handle to the entry (FILE_FLAG_OPEN_REPARSE_POINT), and only when that handle is the entry.
// Where a link cannot be opened as itself (Wine opens a Unix symbolic link as its target, and
// reports it as a plain file), the handle names another path and nothing is changed.
void ClearReadOnlyOfEntry(const std::wstring& path) {
    const UniqueFile entry(::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry) return;
    std::wstring named(path.size() + 16, L'\0');
    const DWORD length =
        ::GetFinalPathNameByHandleW(entry.get(), named.data(), static_cast<DWORD>(named.size()), 0);
    if (length == 0 || length >= named.size()) return;
    named.resize(length);
    if (::CompareStringOrdinal(named.c_str(), -1, path.c_str(), -1, TRUE) != CSTR_EQUAL) return;
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic)) return;
    if (basic.FileAttributes & kLinkAttribute) return;
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ::SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic);
}

// A junction or a symbolic link is removed as the link itself, never entered, and nothing of
// what it points at changes: its target may be anywhere, the user's other folders included.
bool RemoveTreeNoFollow(const std::wstring& folder, DWORD attributes) {
    if (attributes & kLinkAttribute) return ::RemoveDirectoryW(folder.c_str()) != FALSE;
    WIN32_FIND_DATAW data{};
    {
        const UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
        if (find) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring child = folder + L"\\" + name;
                const DWORD childAttributes = data.dwFileAttributes;
                const bool readOnly = (childAttributes & FILE_ATTRIBUTE_READONLY) != 0 &&
                                      (childAttributes & kLinkAttribute) == 0;
                if (readOnly) ClearReadOnlyOfEntry(child);
                if (childAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTreeNoFollow(child, childAttributes);
                } else {
                    // A file or a symbolic link to a file: DeleteFile removes the link only.
                    ::DeleteFileW(child.c_str());
                }
            } while (::FindNextFileW(find.get(), &data));
        }
    }
    return ::RemoveDirectoryW(folder.c_str()) != FALSE;
}

// The temporary file beside the target, created empty and open for writing; its name is short
// and of one length (TemporaryFileBeside), so that it fits wherever the target's name does.
std::wstring CreateTemporaryBeside(const Utf8Text& target, UniqueFile& file) {
    static std::atomic<std::uint32_t> counter{0};
    // The process's id spread over the bits, a count added: two processes rarely try one name,
    // and a name that is taken is passed by.
    const std::uint32_t process = ::GetCurrentProcessId() * 2654435761u;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = LongPath(TemporaryFileBeside(target, process + counter++));
        file.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return name;
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return std::wstring();
}

}  // namespace

bool Win32Platform::RemoveDirectoryTree(const Utf8Text& path) {
    const std::wstring folder = LongFolderPath(path);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return RemoveTreeNoFollow(folder, attributes);
}
bool Win32Platform::PathExists(const Utf8Text& path) {
    return ::GetFileAttributesW(LongFolderPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
bool Win32Platform::CreateNewEmptyFile(const Utf8Text& path) {
    const UniqueFile file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}
bool Win32Platform::ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) {
    const std::wstring target = LongPath(path);
    bool written = false;
    UniqueFile file;
    const std::wstring temporary = CreateTemporaryBeside(path, file);
    if (temporary.empty()) return false;
    // The new bytes must be on the disk before they take the page's name.
    written = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    file.reset();
    if (written && ::MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}
bool Win32Platform::AppendToFile(const Utf8Text& path, const std::string& bytes) {
    // FILE_APPEND_DATA alone: the system puts every write at the file's end as it is then, so
    // two processes appending at once never write over each other's lines.
    const UniqueFile file(::CreateFileW(LongPath(path).c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.get(), bytes);
}
Utf8Text Win32Platform::ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const auto slash = buffer.find_last_of(L"\\/");
    return WideToUtf8(slash == std::wstring::npos ? buffer : buffer.substr(0, slash));
}

// --- ClipboardPort ---
bool Win32Platform::SetText(const Utf8Text& text) {
    const std::wstring wide = Utf8ToWide(text);
    if (!::OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (memory != nullptr) {
        if (void* target = ::GlobalLock(memory)) {
            std::memcpy(target, wide.c_str(), bytes);
            ::GlobalUnlock(memory);
            done = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done) ::GlobalFree(memory);  // the clipboard owns it only on success
    }
    ::CloseClipboard();
    return done;
}
std::optional<Utf8Text> Win32Platform::GetText() {
    if (!::OpenClipboard(nullptr)) return std::nullopt;
    std::optional<Utf8Text> text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = WideToUtf8(wide);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

}  // namespace kavo
