#include "hotkeys/keyboard_watch_win32.h"

#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

// The one watch whose hook is installed; the hook procedure has no context argument.
std::atomic<KeyboardWatch*> gWatch{nullptr};

// Mouse buttons count as keys held for a hotkey; the keyboard hook does not see them.
constexpr std::uint8_t kMouseButtons[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1,
                                          VK_XBUTTON2};

}  // namespace

KeyboardWatch::~KeyboardWatch() {
    Stop();
}

bool KeyboardWatch::Start(int stopKey, Handlers handlers) {
    if (thread_.joinable()) return true;
    KeyboardWatch* none = nullptr;
    if (!gWatch.compare_exchange_strong(none, this)) return false;
    stopKey_ = stopKey;
    handlers_ = std::move(handlers);
    // 0 while starting, 1 with the hook in place, -1 when it could not be installed.
    std::atomic<int> started{0};
    thread_ = std::thread([this, &started] { Watch(started); });
    while (started.load() == 0) std::this_thread::yield();
    if (started.load() > 0) return true;
    thread_.join();
    gWatch = nullptr;
    return false;
}

void KeyboardWatch::Stop() {
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
    gWatch = nullptr;
}

void KeyboardWatch::Watch(std::atomic<int>& started) {
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

LRESULT CALLBACK KeyboardWatch::HookProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
    KeyboardWatch* watch = gWatch.load();
    if (code == HC_ACTION && watch != nullptr) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        const bool injected = (event.flags & LLKHF_INJECTED) != 0;
        try {
            if (watch->OnKeyEvent(static_cast<std::uint8_t>(event.vkCode & 0xFF), down, injected))
                return 1;
        } catch (...) {
            // Nothing may escape into the system's hook chain.
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool KeyboardWatch::OnKeyEvent(std::uint8_t key, bool down, bool injected) {
    if (key == stopKey_) {
        if (down && handlers_.stopKeyPressed) return handlers_.stopKeyPressed();
        return false;
    }
    KeyLatch* latch = handlers_.latch;
    if (latch == nullptr) return false;
    if (injected && handlers_.scriptsRunning && handlers_.scriptsRunning()) return false;
    if (!down) {
        latch->KeyUp(key);
        return false;
    }
    // A release the hook never saw (its window vanished with the key down, as a message box
    // closed by Enter does) would make the key look held for good: the system's view decides.
    // For the key now going down that view is still the one before this event.
    for (const std::uint8_t held : latch->HeldKeys())
        if ((GetAsyncKeyState(held) & 0x8000) == 0) latch->KeyUp(held);
    for (const std::uint8_t button : kMouseButtons)
        latch->SetHeld(button, (GetAsyncKeyState(button) & 0x8000) != 0);
    // The key goes to the focus window's thread; the foreground window's thread owns it.
    const DWORD focusThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    if (latch->KeyDown(key, focusThread) && handlers_.pressLatched) handlers_.pressLatched();
    return false;
}

}  // namespace kavo
