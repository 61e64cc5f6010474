// Binds a C++ object to windows it subclasses (SetWindowSubclass): every message of those
// windows goes to Derived::HandleSubclassMessage(window, message, wParam, lParam) first, which
// passes what it leaves on with DefaultSubclassProcedure. One object may subclass several
// windows. The subclass goes when its window is destroyed or the object goes, whichever comes
// first. No exception leaves the procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace kavo {

template <typename Derived>
class WindowSubclass {
  public:
    WindowSubclass() = default;
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    bool Subclass(HWND window) {
        if (window == nullptr) return false;
        if (!SetWindowSubclass(window, &WindowSubclass::Procedure, kSubclassId,
                               reinterpret_cast<DWORD_PTR>(this)))
            return false;
        if (std::find(windows_.begin(), windows_.end(), window) == windows_.end())
            windows_.push_back(window);
        return true;
    }

  protected:
    ~WindowSubclass() {
        for (HWND window : windows_)
            if (IsWindow(window))
                RemoveWindowSubclass(window, &WindowSubclass::Procedure, kSubclassId);
    }

    static LRESULT DefaultSubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
        return DefSubclassProc(window, message, wParam, lParam);
    }

  private:
    // One id for every subclass of this kind: the procedure and the id name it together.
    static constexpr UINT_PTR kSubclassId = 0x4B56;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) noexcept {
        auto* subclass = reinterpret_cast<WindowSubclass*>(self);
        if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(window, &WindowSubclass::Procedure, kSubclassId);
            std::erase(subclass->windows_, window);
        }
        try {
            return static_cast<Derived*>(subclass)->HandleSubclassMessage(window, message, wParam,
                                                                          lParam);
        } catch (...) {
            return DefSubclassProc(window, message, wParam, lParam);
        }
    }

    std::vector<HWND> windows_;
};

}  // namespace kavo
