// One move-only owner for every kind of Windows handle, with a traits type per kind.
#pragma once

#include <windows.h>

#include <utility>

namespace kavo {

template <typename Traits>
class UniqueHandle {
  public:
    using Pointer = typename Traits::Pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Pointer value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::IsValid(value_); }
    Pointer release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(Pointer value = Traits::Invalid()) noexcept {
        const Pointer old = std::exchange(value_, value);
        if (Traits::IsValid(old)) {
            const DWORD lastError = GetLastError();  // closing must not hide the caller's error
            Traits::Close(old);
            SetLastError(lastError);
        }
    }

  private:
    Pointer value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Pointer = HANDLE;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Pointer h) noexcept { CloseHandle(h); }
};
// CreateFile and CreateToolhelp32Snapshot report failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits : KernelHandleTraits {
    static Pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
};
struct FindHandleTraits {
    using Pointer = HANDLE;
    static Pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Pointer h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(Pointer h) noexcept { FindClose(h); }
};
// A folder's change notification from FindFirstChangeNotification.
struct ChangeNotificationTraits {
    using Pointer = HANDLE;
    static Pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Pointer h) noexcept { FindCloseChangeNotification(h); }
};
struct WindowHandleTraits {
    using Pointer = HWND;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { DestroyWindow(h); }
};
struct GdiObjectTraits {
    using Pointer = HGDIOBJ;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { DeleteObject(h); }
};
struct IconTraits {
    using Pointer = HICON;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { DestroyIcon(h); }
};
struct MenuTraits {
    using Pointer = HMENU;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { DestroyMenu(h); }
};
struct AcceleratorTraits {
    using Pointer = HACCEL;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { DestroyAcceleratorTable(h); }
};
struct ImageListTraits {
    using Pointer = HANDLE;  // HIMAGELIST, kept opaque so commctrl.h is not needed here
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept;
};

// A COM interface pointer: released once, by its owner.
template <typename Interface>
struct ComInterfaceTraits {
    using Pointer = Interface*;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer p) noexcept { return p != nullptr; }
    static void Close(Pointer p) noexcept { p->Release(); }
};
// The screen's device context from GetDC(nullptr).
struct ScreenDcTraits {
    using Pointer = HDC;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { ReleaseDC(nullptr, h); }
};
// A memory device context from CreateCompatibleDC, for drawing a picture off screen.
struct MemoryDcTraits {
    using Pointer = HDC;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { DeleteDC(h); }
};
// A hook from SetWindowsHookEx, removed on the thread that installed it.
struct HookTraits {
    using Pointer = HHOOK;
    static Pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(Pointer h) noexcept { return h != nullptr; }
    static void Close(Pointer h) noexcept { UnhookWindowsHookEx(h); }
};

using UniqueHandleKernel = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueChangeNotification = UniqueHandle<ChangeNotificationTraits>;
using UniqueWindow = UniqueHandle<WindowHandleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueAccelerators = UniqueHandle<AcceleratorTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
template <typename Interface>
using UniqueComInterface = UniqueHandle<ComInterfaceTraits<Interface>>;
using UniqueScreenDc = UniqueHandle<ScreenDcTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueHook = UniqueHandle<HookTraits>;

}  // namespace kavo
