#include "recording/mouse_hook_win32.h"

#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

std::atomic<Win32MouseHook*> gMouseHook{nullptr};

}  // namespace

bool PointOnOwnWindow(POINT point) {
    HWND window = WindowFromPoint(point);
    if (window == nullptr) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

Win32MouseHook::~Win32MouseHook() {
    Remove();
}

bool Win32MouseHook::Install(std::function<void(const RecordedEvent&)> sink) {
    Remove();
    Win32MouseHook* none = nullptr;
    if (!gMouseHook.compare_exchange_strong(none, this)) return false;
    sink_ = std::move(sink);
    std::atomic<int> started{0};
    thread_ = std::thread([this, &started] { Watch(started); });
    while (started.load() == 0) std::this_thread::yield();
    if (started.load() > 0) return true;
    thread_.join();
    gMouseHook = nullptr;
    return false;
}

void Win32MouseHook::Remove() {
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
    gMouseHook = nullptr;
}

void Win32MouseHook::Watch(std::atomic<int>& started) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    const UniqueHook hook(
        SetWindowsHookExW(WH_MOUSE_LL, HookProcedure, GetModuleHandleW(nullptr), 0));
    started = hook ? 1 : -1;
    if (!hook) return;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

LRESULT CALLBACK Win32MouseHook::HookProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
    Win32MouseHook* hook = gMouseHook.load();
    if (code == HC_ACTION && hook != nullptr && hook->sink_) {
        const auto& data = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const bool ours =
            (data.flags & LLMHF_INJECTED) != 0 && data.dwExtraInfo == kInjectedInputMark;
        RecordedEvent event;
        event.timeMs = data.time;
        event.point = {data.pt.x, data.pt.y};
        bool known = true;
        switch (wParam) {
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
                event.kind = RecordedKind::ButtonDown;
                break;
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP:
                event.kind = RecordedKind::ButtonUp;
                break;
            case WM_MOUSEWHEEL:
                event.kind = RecordedKind::Wheel;
                event.wheelNotches = static_cast<short>(HIWORD(data.mouseData)) / WHEEL_DELTA;
                break;
            case WM_MOUSEMOVE:
                event.kind = RecordedKind::Move;
                break;
            default:
                known = false;
                break;
        }
        if (wParam == WM_RBUTTONDOWN || wParam == WM_RBUTTONUP) event.button = MouseButton::Right;
        if (wParam == WM_MBUTTONDOWN || wParam == WM_MBUTTONUP) event.button = MouseButton::Middle;
        // Moves are not checked against the program's windows: they cost nothing to drop later,
        // and the check is the one call here that asks the window system.
        const bool ownWindow =
            known && event.kind != RecordedKind::Move && PointOnOwnWindow(data.pt);
        if (known && !ours && !ownWindow) {
            try {
                hook->sink_(event);
            } catch (...) {
                // Nothing may escape into the system's hook chain.
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace kavo
