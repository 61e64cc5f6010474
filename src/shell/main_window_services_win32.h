// What the main window offers the features that live in rooms of their own (library operations,
// saving, the small windows, find and search, settings and appearance, runs, recording). Each
// feature is an object the main window owns; it gets this when it is made (app/features_win32.cpp
// makes them all, in order) and keeps what it needs.
//
// How a message reaches a feature:
// - a control's WM_COMMAND, WM_NOTIFY and WM_DRAWITEM go to the one feature that registered the
//   control (OnControlCommand, OnControlNotify, OnDrawItem); a button's click and a menu item go
//   through Commands();
// - a timer's tick goes to the feature that registered its id (OnTimer);
// - a private message (AppMessage) goes to the feature that registered it (OnAppMessage);
// - what several features hear is one of the typed events of Events(), in the order written
//   there.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "platform/platform.h"
#include "shell/main_window_colors.h"
#include "ui/event_list.h"
#include "ui/menu_commands.h"

namespace kavo {

class Win32Platform;
class Win32EditorWidget;
class Win32TreeWidget;
struct Library;

enum class MainMenu { Program, Edit, Settings };

// The main window's private messages, one enum so that no two agree by accident. The program
// that runs a page from the command line uses kTrayIconMessage for its icon too.
enum AppMessage : UINT {
    kTrayIconMessage = WM_APP + 1,  // the notification-area icon's mouse message (lParam)
    kRunsChangedMessage,            // a run started or ended on some thread
    kRunStoppedMessage,             // a run was stopped: its balloon and line mark
    kRunEndedMessage,               // /run: the page's run has ended
    kHotkeyPressLatchedMessage,     // the keyboard watch latched a hotkey's press
    kCursorDisplayKeyMessage,       // F1's display: a claimed key went down (wParam: the key)
    kRecordingStartMessage,         // the record key asks for a recording
    kRecordingEndMessage,           // the record key or F12 ends it
    kCheckPageOnDiskMessage,        // back at the window: compare the page with its file
    kAskBeforeSessionEndMessage,    // the session's end was held: ask about unsaved edits
    kOfferRecoveryMessage,          // once, at the start: edits a crash left are offered back
    // Posted by another start of the program from the same folder: come forward. Its value is
    // fixed for good, so that programs of different versions understand each other.
    kShowRequestMessage = WM_APP + 0x100,
};

// The main window's timers, by what each does.
enum MainWindowTimer : UINT_PTR {
    kCursorDisplayTimer = 3,  // 时钟3: F1's display of the cursor's coordinates
    kStartListingTimer,       // once: the rest of a big library is listed after the window shows
    kKeyboardWatchTimer,      // every 50 ms: the keyboard watch checks its hook and stands in
    kScriptCheckTimer,        // once, after typing pauses: the script is checked and coloured
    kScriptIdleColourTimer,   // while the lines out of view are coloured, a slice at a time
    kRecoveryTimer,           // once, after typing pauses: unsaved edits go to the recovery file
};

// A click on the notification-area icon, decoded once from the icon's message.
enum class TrayClick { LeftDown, LeftUp, LeftDoubleClick, RightDown, RightUp, Other };

// The events several features hear. Subscribers are called in the order they subscribed, which
// is the order app/features_win32.h makes the features in; where it matters it is written here.
struct MainWindowEvents {
    // The icon was clicked. Subscribers: the recorder (while it records, a click ends the
    // recording and is taken: true), the appearance (a click that brings the window back resets
    // the hide button). The main window comes back on a left click, a double click and a right
    // click's release unless a subscriber took the click.
    EventList<bool(TrayClick)> trayClicked;
    // The window became active. Subscribers: the appearance (the shadow border comes up with
    // it), the library (the shown page is compared with its file once activation settled).
    EventList<void()> activated;
    // The user asks to close (退出, the close box, Alt+F4, WM_CLOSE). A subscriber that must
    // keep the window open (edits the user chose to keep could not be saved) answers true, and
    // nothing closes. In order: the run control (every run stops and none starts while the
    // question is open), the library (the unsaved-changes question).
    EventList<bool()> closingRequested;
    // A subscriber kept the window open. Subscribers: the run control (runs may start again).
    EventList<void()> closeRefused;
    // The window closes; nothing can stop it any more. In order: the runs (none starts any
    // more), the recording ends, the listing of a big library stops, the settings window closes.
    EventList<void()> closing;
    // After every closing subscriber, just before the window (and with it the process) ends:
    // the runs of other threads are given a moment, then what they still hold is released.
    EventList<void()> lastClosing;
    // The system asks whether the session may end (WM_QUERYENDSESSION): true holds it. In order:
    // the runs stop and let go (they never hold it); the library holds it for unsaved edits.
    EventList<bool()> sessionEndQueried;
    // The session ends or goes on (WM_ENDSESSION's answer). In order: the runs (when it ends,
    // no run starts any more), the library (lets go of the hold).
    EventList<void(bool ending)> sessionEnded;
    // The window moved, was sized or begins to be (WM_MOVE, WM_SIZE, WM_ENTERSIZEMOVE).
    // Subscribers: completion (its list stands where the caret was: it goes).
    EventList<void()> moved;
    // The window's position, size or order changed (WM_WINDOWPOSCHANGED), or it got the focus
    // or a click on its own background. Subscribers: the appearance (border and caption buttons).
    EventList<void()> positionChanged;
    EventList<void()> focused;
    EventList<void()> backgroundClicked;
    // The window moved to a monitor of another DPI (WM_DPICHANGED): the new DPI and the
    // rectangle the system suggests. Subscribers: the DPI change (fonts, sizes).
    EventList<void(UINT dpi, const RECT& suggested)> dpiChanged;
};

class MainWindowServices {
  public:
    using CommandHandler = std::function<void(int notificationCode)>;
    using NotifyHandler = std::function<std::optional<LRESULT>(const NMHDR& header)>;
    using DrawItemHandler = std::function<bool(const DRAWITEMSTRUCT& item)>;
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;

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
    virtual MainWindowEvents& Events() = 0;

    // The one owner of a control's notifications (codes other than a button's click, which goes
    // through Commands()), of its WM_NOTIFY (nullopt: the default answer) and of its drawing.
    virtual void OnControlCommand(int controlId, CommandHandler handler) = 0;
    virtual void OnControlNotify(int controlId, NotifyHandler handler) = 0;
    virtual void OnDrawItem(int controlId, DrawItemHandler handler) = 0;
    // The one owner of a timer id of MainWindowTimer, of a private message of AppMessage.
    virtual void OnTimer(UINT_PTR timerId, std::function<void()> handler) = 0;
    virtual void OnAppMessage(AppMessage message, MessageHandler handler) = 0;
    // Posts a private message to the window from any thread, never waiting for it.
    void Post(AppMessage message, WPARAM wParam = 0, LPARAM lParam = 0) {
        PostMessageW(Window(), message, wParam, lParam);
    }

    // The notification-area icon's tip, and a balloon at the icon (UTF-8). From any thread.
    virtual void SetTrayTip(const Utf8Text& tip) = 0;
    virtual void ShowTrayBalloon(const Utf8Text& title, const Utf8Text& text) = 0;
    // Brings the window back from the tray (hidden or minimised), centred, in front.
    virtual void RestoreWindow() = 0;
    // Minimises the window and hides it in the notification area.
    virtual void HideToTray() = 0;
    // The interface colours; ApplyColors repaints the main window with what Colors() holds.
    virtual MainWindowColors& Colors() = 0;
    virtual void ApplyColors() = 0;

  protected:
    ~MainWindowServices() = default;
};

}  // namespace kavo
