#include "ui/ui_thread_win32.h"

#include <windows.h>

#include <atomic>

namespace kavo {
namespace {

constexpr wchar_t kDispatcherClass[] = L"KavoUiDispatcher";
constexpr UINT kRunCallable = WM_APP + 100;

std::atomic<DWORD> gUiThread{0};
std::atomic<HWND> gDispatcher{nullptr};

LRESULT CALLBACK DispatcherProcedure(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    if (message == kRunCallable) {
        try {
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
        } catch (...) {
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void StartUiThreadDispatcher() {
    if (gDispatcher.load() != nullptr) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DispatcherProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kDispatcherClass;
    RegisterClassExW(&windowClass);
    gUiThread = GetCurrentThreadId();
    gDispatcher = CreateWindowExW(0, kDispatcherClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
}

bool OnUiThread() {
    return GetCurrentThreadId() == gUiThread.load();
}

void RunOnUiThread(const std::function<void()>& work) {
    HWND dispatcher = gDispatcher.load();
    if (dispatcher == nullptr || OnUiThread()) {
        work();
        return;
    }
    // A sent message runs while the UI thread waits for messages, including inside a script's
    // delay on that thread, so this cannot deadlock against a run there.
    SendMessageW(dispatcher, kRunCallable, 0, reinterpret_cast<LPARAM>(&work));
}

}  // namespace kavo
