// Binds a C++ object to its window: the object is attached at WM_NCCREATE (so no message is
// lost), every message goes to Derived::HandleMessage, and the binding is cleared at
// WM_NCDESTROY. No exception leaves the window procedure.
#pragma once

#include <windows.h>

namespace kavo {

template <typename Derived>
class WindowBase {
  public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const noexcept { return window_; }

  protected:
    ~WindowBase() = default;

    // Registers the class once per process.
    static bool RegisterClassOnce(const wchar_t* className, HBRUSH background, HICON icon,
                                  UINT style = 0) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &windowClass)) return true;
        windowClass.style = style;
        windowClass.lpfnWndProc = &WindowBase::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = background;
        windowClass.hIcon = icon;
        windowClass.hIconSm = icon;
        windowClass.lpszClassName = className;
        return RegisterClassExW(&windowClass) != 0;
    }

    HWND CreateWindowFor(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
        return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                               menuOrId, GetModuleHandleW(nullptr), static_cast<Derived*>(this));
    }

    LRESULT DefaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(window_, message, wParam, lParam);
    }

    // Destroys the window without telling the object: for a destructor, whose derived parts
    // are already gone.
    void DestroyDetached() noexcept {
        if (window_ == nullptr) return;
        HWND window = window_;
        window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            self = static_cast<Derived*>(create->lpCreateParams);
            self->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
        LRESULT result = 0;
        try {
            result = self->HandleMessage(message, wParam, lParam);
        } catch (...) {
            result = DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
        }
        return result;
    }

    HWND window_ = nullptr;
};

}  // namespace kavo
