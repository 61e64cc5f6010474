// What the main window offers the features that live in rooms of their own (library operations,
// saving, the small windows, find and search, settings and appearance, run control). Each
// feature is an object the main window owns; it gets this when it is made (features_win32.cpp
// makes them all, in order) and keeps what it needs.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "platform/platform.h"
#include "shell/main_window_colors.h"
#include "ui/menu_commands.h"

namespace kavo {

class Win32Platform;
class Win32EditorWidget;
class Win32TreeWidget;
struct Library;

enum class MainMenu { Program, Edit, Settings };

// The notification-area icon's clicks reach the main window as this message (lParam: the mouse
// message); the main window restores itself from the tray on it.
inline constexpr UINT kTrayIconMessage = WM_APP + 1;

// The main window's timers, by what each does.
enum MainWindowTimer : UINT_PTR {
    kCursorDisplayTimer = 3,  // 时钟3: F1's display of the cursor's coordinates
    kStartListingTimer,       // once: the rest of a big library is listed after the window shows
    kKeyboardWatchTimer,      // every 50 ms: the keyboard watch checks its hook and stands in
    kScriptCheckTimer,        // once, after typing pauses: the script is checked and coloured
    kScriptIdleColourTimer,   // while the lines out of view are coloured, a slice at a time
};

// Answers a message of the main window before the main window does; nullopt lets it through to
// the next handler of the message and then to the main window.
using MessageHandler = std::function<std::optional<LRESULT>(WPARAM, LPARAM)>;

class MainWindowServices {
  public:
    virtual HWND Window() = 0;
    // A control by its id from main_window_layout.h.
    virtual HWND Control(int id) = 0;
    virtual MenuCommands& Commands() = 0;
    // The pop-up menus, for check marks and item texts.
    virtual HMENU Menu(MainMenu which) = 0;
    virtual Library& TheLibrary() = 0;
    virtual Win32EditorWidget& Editor() = 0;
    virtual Win32TreeWidget& Tree() = 0;
    virtual Win32Platform& Platform() = 0;
    // Handlers of one message run in the order they were added, before the main window's own
    // handling of it.
    virtual void AddMessageHandler(UINT message, MessageHandler handler) = 0;
    // Steps that run when the window is about to close, by any way (退出, 图片框1, Alt+F4), in the
    // order they were added. They cannot stop the close.
    virtual void AddClosingStep(std::function<void()> step) = 0;
    // Steps that run after every closing step, just before the window (and with it the process)
    // ends, in the order they were added.
    virtual void AddLastClosingStep(std::function<void()> step) = 0;
    // The notification-area icon's tip, and a balloon at the icon (UTF-8). From any thread.
    virtual void SetTrayTip(const Utf8Text& tip) = 0;
    virtual void ShowTrayBalloon(const Utf8Text& title, const Utf8Text& text) = 0;
    // Brings the window back from the tray (hidden or minimised), centred, in front.
    virtual void RestoreWindow() = 0;
    // The interface colours; ApplyColors repaints the main window with what Colors() holds.
    virtual MainWindowColors& Colors() = 0;
    virtual void ApplyColors() = 0;

  protected:
    ~MainWindowServices() = default;
};

}  // namespace kavo
