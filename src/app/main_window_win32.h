// The main window: it owns its controls, menus, widgets and features and dispatches its
// messages. What the window does lives in the rooms around it: the control table, the menus, the
// title bar, the painting, and the features (features_win32.h) that reach it through
// MainWindowServices.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "app/main_menus_win32.h"
#include "app/main_window_painting_win32.h"
#include "app/roll_up_panel_win32.h"
#include "app/title_bar_win32.h"
#include "app/tray_icon_win32.h"
#include "editor/editor_widget_win32.h"
#include "library/library_tree.h"
#include "library/tree_widget_win32.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_services_win32.h"
#include "ui/window_base_win32.h"

namespace kavo {

struct Features;
class ScriptEngine;
class HotkeyMonitor;

class MainWindow : public WindowBase<MainWindow>, public MainWindowServices {
  public:
    static constexpr wchar_t kTitle[] = L"KAVO脚本助手 ";

    MainWindow(Win32Platform& platform, ScriptEngine& engine, HotkeyMonitor& hotkeys);
    ~MainWindow();

    // Creates the window; its created event builds the controls, applies the single-instance
    // rule, fills the library and makes the features. False when the window was not created
    // (among others when another instance is visible).
    bool Create();
    void Show();
    // Closes the window by any of its ways: the closing steps run, then the window is destroyed,
    // which ends the process.
    void Close();
    // The 操作 menu's shortcuts, for the message loop.
    bool TranslateShortcut(MSG& message);

    // MainWindowServices
    HWND Window() override { return Handle(); }
    HWND Control(int id) override;
    MenuCommands& Commands() override { return commands_; }
    HMENU Menu(MainMenu which) override { return menus_.Get(which); }
    Library& TheLibrary() override { return *library_; }
    Win32EditorWidget& Editor() override { return *editor_; }
    Win32TreeWidget& Tree() override { return *tree_; }
    Win32Platform& Platform() override { return platform_; }
    MainWindowEvents& Events() override { return events_; }
    void OnControlCommand(int controlId, CommandHandler handler) override {
        controlCommands_[controlId] = std::move(handler);
    }
    void OnControlNotify(int controlId, NotifyHandler handler) override {
        controlNotifications_[controlId] = std::move(handler);
    }
    void OnDrawItem(int controlId, DrawItemHandler handler) override {
        drawItems_[controlId] = std::move(handler);
    }
    void OnTimer(UINT_PTR timerId, std::function<void()> handler) override {
        timers_[timerId] = std::move(handler);
    }
    void OnAppMessage(AppMessage message, MessageHandler handler) override {
        appMessages_[message] = std::move(handler);
    }
    void SetTrayTip(const Utf8Text& tip) override;
    void ShowTrayBalloon(const Utf8Text& title, const Utf8Text& text) override;
    void RestoreWindow() override;
    void HideToTray() override;
    MainWindowColors& Colors() override { return painter_.Colors(); }
    void ApplyColors() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnCreate();
    void OnDestroy();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnTimer(UINT_PTR id);
    bool OnSetCursor(HWND over);
    void OnTrayEvent(LPARAM lParam);
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    // A private message (AppMessage) to the feature that registered it.
    std::optional<LRESULT> OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void PrepareEditor();

    Win32Platform& platform_;
    ScriptEngine& engine_;
    HotkeyMonitor& hotkeys_;
    bool closing_ = false;

    MenuCommands commands_;
    MainMenus menus_;
    MainWindowPainter painter_;
    TitleBar titleBar_;
    MainWindowEvents events_;
    std::map<int, CommandHandler> controlCommands_;
    std::map<int, NotifyHandler> controlNotifications_;
    std::map<int, DrawItemHandler> drawItems_;
    std::map<UINT_PTR, std::function<void()>> timers_;
    std::map<UINT, MessageHandler> appMessages_;

    RollUpPanel helpPanel_;
    RollUpPanel runPanel_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    UniqueGdiObject uiFont_;
    UniqueGdiObject titleFont_;
    std::unique_ptr<TrayIcon> trayIcon_;
    UniqueImageList treeImages_;
    std::unique_ptr<Win32TreeWidget> tree_;
    std::unique_ptr<Win32EditorWidget> editor_;
    std::unique_ptr<Library> library_;
    // Last: made after everything above, gone before it.
    std::unique_ptr<Features> features_;
};

}  // namespace kavo
