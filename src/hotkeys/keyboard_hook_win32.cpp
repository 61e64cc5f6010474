#include "hotkeys/keyboard_hook_win32.h"

#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

// The one hook of the process; the hook procedure has no context argument.
std::atomic<Win32KeyboardHook*> gHook{nullptr};

}  // namespace

Win32KeyboardHook::~Win32KeyboardHook() {
    Remove();
}

bool Win32KeyboardHook::Install(std::function<bool(const KeyEvent&)> onKey) {
    Remove();
    Win32KeyboardHook* none = nullptr;
    if (!gHook.compare_exchange_strong(none, this)) return false;
    onKey_ = std::move(onKey);
    // 0 while starting, 1 with the hook in place, -1 when it could not be installed.
    std::atomic<int> started{0};
    thread_ = std::thread([this, &started] { Watch(started); });
    while (started.load() == 0) std::this_thread::yield();
    if (started.load() > 0) return true;
    thread_.join();
    gHook = nullptr;
    return false;
}

void Win32KeyboardHook::Remove() {
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
    gHook = nullptr;
}

bool Win32KeyboardHook::IsKeyDown(KeyCode key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

std::uint32_t Win32KeyboardHook::FocusThread() {
    // The key goes to the focus window's thread; the foreground window's thread owns it.
    return GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
}

void Win32KeyboardHook::Watch(std::atomic<int>& started) {
    MSG message;
    // The thread's message queue must exist before anyone posts WM_QUIT to it.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    const UniqueHook hook(
        SetWindowsHookExW(WH_KEYBOARD_LL, HookProcedure, GetModuleHandleW(nullptr), 0));
    started = hook ? 1 : -1;
    if (!hook) return;
    // The hook's callbacks arrive while this loop waits for messages.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

LRESULT CALLBACK Win32KeyboardHook::HookProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
    Win32KeyboardHook* hook = gHook.load();
    if (code == HC_ACTION && hook != nullptr && hook->onKey_) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        KeyEvent key;
        key.key = static_cast<KeyCode>(event.vkCode & 0xFF);
        key.down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        key.ours = (event.flags & LLKHF_INJECTED) != 0 && event.dwExtraInfo == kInjectedInputMark;
        key.timeMs = event.time;
        try {
            if (hook->onKey_(key)) return 1;
        } catch (...) {
            // Nothing may escape into the system's hook chain.
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace kavo
