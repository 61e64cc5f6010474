// The program's small windows (questions, find and search, about, key codes, settings) are made
// one way: `SmallWindow<Derived>` registers the class, places the window at the start place,
// draws and drags the title strip, plays the opening animation and gives the window dialog keys
// (Tab, Enter as IDOK, Esc as IDCANCEL) through the message loop. `ModalSmallWindow` adds
// asking: Ask() blocks until the window finishes with an answer, and closing it any other way
// than its own buttons is 取消. `SingleWindow` shows a modeless window once: a second showing
// brings the open one forward.
//
// A window class declares what it is made of in a `static constexpr SmallWindowFrame kFrame`
// and implements:
//   LRESULT OnCreate();                     its controls (the title strip is there already)
//   LRESULT OnMessage(UINT, WPARAM, LPARAM) everything the kit leaves (default: the system's)
// and may define Cancel() (Esc, Alt+F4, closing) and Title() (a title known only at run time).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"
#include "ui/bounce_in.h"
#include "ui/message_loop_win32.h"
#include "ui/title_colors.h"
#include "ui/window_base_win32.h"

namespace kavo {

// Where every small window's title strip takes its colours from: the main window's title bar,
// once it is there. Until then (and in tests) the default colours.
void UseSmallWindowTitleColors(std::function<TitleColors()> colors);

namespace small_window {

inline constexpr int kTitleStripHeight = 30;
inline constexpr int kTitleStripId = 101;  // 标签1 in every window that has a strip
// Every small window is first placed here; the animated ones then fall towards the centre.
inline constexpr int kStartLeft = 50;
inline constexpr int kStartTop = 50;
inline constexpr UINT_PTR kBounceTimer = 1;  // 时钟1

// What a small window with a title strip draws with: the strip's colours and brush, the text
// font (12 pixels) and the strip's bold font (13 pixels), made at the window's DPI.
struct Look {
    TitleColors colors;
    UniqueGdiObject titleBrush;
    UniqueGdiObject font;
    UniqueGdiObject titleFont;
};
Look MakeLook(UINT dpi);

// A child control at its 96-DPI design place, scaled to dpi, with font.
HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                int y, int width, int height, int id, UINT dpi, HGDIOBJ font);

// The top designHeight pixels (at 96 DPI) of the window move it.
LRESULT DragHitTest(HWND window, LRESULT defaultHit, LPARAM screenPoint, int designHeight);

// Enter arrives as IDOK whatever has the focus; when the focus is on another push button of the
// window, that button is clicked instead (true).
bool ClickFocusedButton(HWND window);

// Shows window and pumps messages until finished is set or the window is gone; the owner takes
// no input meanwhile. Destroys the window at the end and gives the owner back its activation. A
// WM_QUIT is passed on.
void RunModal(HWND window, HWND owner, const bool& finished);

// The opening animation: StartBounceIn once the window exists, BounceInTick on each tick of
// kBounceTimer. The tick moves the window and stops the timer after the kind's 51st step.
void StartBounceIn(HWND window);
void BounceInTick(HWND window, BounceWindowKind kind);

}  // namespace small_window

enum class SmallWindowBackground { ButtonFace, White };

struct SmallWindowFrame {
    const wchar_t* className = nullptr;
    const wchar_t* title = nullptr;
    int designWidth = 0;
    int designHeight = 0;
    DWORD style = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    // A title strip showing the title across the top; it moves the window.
    bool titleStrip = true;
    // How much of the top moves the window (design pixels); 0: none (the system's caption).
    int dragHeight = small_window::kTitleStripHeight;
    std::optional<BounceWindowKind> bounce;
    SmallWindowBackground background = SmallWindowBackground::ButtonFace;
    // The control that has the focus when the window is shown or brought forward; 0: as
    // OnCreate left it.
    int focusId = 0;
    // Owned by the window that opens it (it stays above that window), or a window of its own
    // on the taskbar.
    bool owned = true;
};

template <typename Derived>
class SmallWindow : public WindowBase<SmallWindow<Derived>> {
    using Base = WindowBase<SmallWindow<Derived>>;

  public:
    bool IsOpen() const { return this->Handle() != nullptr; }

    // Creates the window over owner at the start place and shows it in front.
    bool Open(HWND owner) {
        if (!Create(owner)) return false;
        BringForward();
        return true;
    }

    void BringForward() {
        HWND window = this->Handle();
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        if (Derived::kFrame.focusId != 0) SetFocus(GetDlgItem(window, Derived::kFrame.focusId));
    }

    void Close() {
        if (IsOpen()) DestroyWindow(this->Handle());
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        constexpr const SmallWindowFrame& frame = Derived::kFrame;
        switch (message) {
            case WM_CREATE:
                return OnKitCreate();
            case WM_DESTROY:
                RemoveDialogWindow(this->Handle());
                break;
            case WM_NCHITTEST:
                if (frame.dragHeight > 0)
                    return small_window::DragHitTest(
                        this->Handle(), this->DefaultProcedure(message, wParam, lParam), lParam,
                        frame.dragHeight);
                break;
            case WM_CTLCOLORSTATIC:
                if (frame.titleStrip &&
                    GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == small_window::kTitleStripId) {
                    const auto dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, look_.colors.text);
                    SetBkColor(dc, look_.colors.background);
                    return reinterpret_cast<LRESULT>(look_.titleBrush.get());
                }
                break;
            case WM_TIMER:
                if (frame.bounce && wParam == small_window::kBounceTimer) {
                    small_window::BounceInTick(this->Handle(), *frame.bounce);
                    return 0;
                }
                break;
            case WM_COMMAND:
                if (LOWORD(wParam) == IDCANCEL) {
                    Self().Cancel();
                    return 0;
                }
                // Enter on a focused button clicks that button, as in a dialog box.
                if (LOWORD(wParam) == IDOK && small_window::ClickFocusedButton(this->Handle()))
                    return 0;
                break;
            case WM_CLOSE:  // Alt+F4 and the like
                Self().Cancel();
                return 0;
            default:
                break;
        }
        return Self().OnMessage(message, wParam, lParam);
    }

  protected:
    SmallWindow() = default;
    // The window goes with its object, after the derived window's own parts: the messages of
    // its destruction reach no object any more.
    ~SmallWindow() {
        if (IsOpen()) RemoveDialogWindow(this->Handle());
        this->DestroyDetached();
    }

    // The defaults a window may replace.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return this->DefaultProcedure(message, wParam, lParam);
    }
    void Cancel() { Close(); }
    const wchar_t* Title() const { return Derived::kFrame.title; }

    // Creates the window (not shown yet).
    bool Create(HWND owner) {
        constexpr const SmallWindowFrame& frame = Derived::kFrame;
        const auto background =
            frame.background == SmallWindowBackground::White
                ? static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))
                : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        if (!Base::RegisterClassOnce(frame.className, background, nullptr)) return false;
        const UINT ownerDpi = WindowDpi(owner);
        return this->CreateWindowFor(frame.exStyle, frame.className, Self().Title(), frame.style,
                                     small_window::kStartLeft, small_window::kStartTop,
                                     MulDiv(frame.designWidth, static_cast<int>(ownerDpi), 96),
                                     MulDiv(frame.designHeight, static_cast<int>(ownerDpi), 96),
                                     frame.owned ? owner : nullptr, nullptr) != nullptr;
    }

    UINT Dpi() const { return dpi_; }
    const small_window::Look& Look() const { return look_; }
    HWND Item(int id) const { return GetDlgItem(this->Handle(), id); }
    // A control at its design place; font nullptr: the look's text font.
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                    int width, int height, int id, HGDIOBJ font = nullptr) {
        return small_window::AddControl(this->Handle(), className, text, style, x, y, width, height,
                                        id, dpi_, font != nullptr ? font : look_.font.get());
    }

  private:
    Derived& Self() { return static_cast<Derived&>(*this); }

    LRESULT OnKitCreate() {
        constexpr const SmallWindowFrame& frame = Derived::kFrame;
        dpi_ = WindowDpi(this->Handle());
        look_ = small_window::MakeLook(dpi_);
        if (frame.titleStrip) {
            const std::wstring caption = std::wstring(L"  ") + Self().Title();
            AddControl(L"STATIC", caption.c_str(), SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0,
                       frame.designWidth, small_window::kTitleStripHeight,
                       small_window::kTitleStripId, look_.titleFont.get());
        }
        AddDialogWindow(this->Handle());
        const LRESULT result = Self().OnCreate();
        if (result == 0 && frame.bounce) small_window::StartBounceIn(this->Handle());
        return result;
    }

    UINT dpi_ = 96;
    small_window::Look look_;
};

// A small window that asks: Answer is what Ask returns; a default Answer is the cancel.
template <typename Derived, typename Answer>
class ModalSmallWindow : public SmallWindow<Derived> {
  public:
    // Opens the window over owner and returns its answer once it closes.
    template <typename... Args>
    static Answer Ask(HWND owner, Args&&... args) {
        Derived window(std::forward<Args>(args)...);
        if (!window.Create(owner)) return window.answer_;
        small_window::RunModal(window.Handle(), owner, window.finished_);
        return window.answer_;
    }

    // Esc, Alt+F4, 取消: the answer stays the cancel.
    void Cancel() { finished_ = true; }

  protected:
    void Finish(Answer answer) {
        if (finished_) return;
        answer_ = std::move(answer);
        finished_ = true;
    }
    // The answer a cancel leaves (set before the window opens, as the default is).
    Answer& PendingAnswer() { return answer_; }

  private:
    Answer answer_{};
    bool finished_ = false;
};

// One modeless window of its kind at a time, owned by whoever offers it.
template <typename Window>
class SingleWindow {
  public:
    // Brings the open window forward, or opens a new one made from args over owner.
    template <typename... Args>
    Window* Show(HWND owner, Args&&... args) {
        if (window_ && window_->IsOpen()) {
            window_->BringForward();
            return window_.get();
        }
        window_ = std::make_unique<Window>(std::forward<Args>(args)...);
        if (!window_->Open(owner)) window_.reset();
        return window_.get();
    }
    // The open window; nullptr when none is.
    Window* Get() const { return window_ && window_->IsOpen() ? window_.get() : nullptr; }
    void Close() { window_.reset(); }

  private:
    std::unique_ptr<Window> window_;
};

}  // namespace kavo
