// The main window: a custom title bar, the menu buttons with their pop-up menus, the library
// tree, the script editor and the two roll-up panels (help and run).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/editor_widget_win32.h"
#include "app/roll_up_panel_win32.h"
#include "app/tray_icon_win32.h"
#include "app/tree_widget_win32.h"
#include "app/window_base_win32.h"
#include "commands/balloon_tip_win32.h"
#include "hotkeys/hotkey_binding.h"
#include "library/library_tree.h"
#include "platform/platform.h"
#include "platform/win32/unique_handle.h"
#include "text/runtime_text.h"

namespace kavo {

class Application;

// The interface colours of the main window (Windows colour values, red in the low byte).
struct MainWindowColors {
    COLORREF titleBackground = 0xECECEC;
    COLORREF titleText = 0x353535;
    COLORREF menuBackground = 0xC0C0C0;
    COLORREF menuText = 0x353535;
    COLORREF treeBackground = 0xE9E9E9;
    COLORREF treeText = 0x353535;
    COLORREF editorBackground = 0xFFFFFF;
    COLORREF windowBackground = 0xFFFFFF;
};

class MainWindow : public WindowBase<MainWindow>, public HotkeyBindingView {
  public:
    static constexpr wchar_t kTitle[] = L"KAVO脚本助手 ";

    explicit MainWindow(Application& application);
    ~MainWindow();

    // Creates the window and runs the start-up sequence of its created event. False when the
    // window was not created (among others when another instance is visible).
    bool Create();
    bool AnotherInstanceFound() const { return anotherInstanceFound_; }
    void Show();
    // Menu shortcuts; true when the message was one.
    bool TranslateAccelerators(MSG& message);

    // Hides the window and runs the editor's whole text. From any thread: the window work
    // happens on the user-interface thread, the script runs on the calling thread.
    void RunCurrentScript() override;
    // Shows a balloon tip with the text at a screen point. From any thread; returns at once
    // after the tip is up.
    void ShowBalloonTip(Point where, const Utf8Text& text);

    // The editor's whole text as GBK with CR LF line ends. User-interface thread.
    RuntimeText ReadEditorText() const;
    void SetEditorText(const RuntimeText& text);
    HWND Control(int id) const;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // What the hotkey binding reads and changes.
    Utf8Text ProcessNameText() override;
    Utf8Text HotkeyEditText() override;
    void SetHotkeyEditText(const Utf8Text& text) override;
    void ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) override;
    void ChangeCursorTrackingInterval(
        const std::function<std::uint32_t(std::uint32_t current)>& next) override;

  private:
    static LRESULT CALLBACK HotkeyEditProcedure(HWND edit, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT OnCreate();
    void OnDestroy();
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnControlColor(HDC dc, HWND control);
    LRESULT OnNcHitTest(LPARAM lParam);
    bool OnSetCursor(HWND over);
    void OnTimer(UINT_PTR id);
    void OnTrayEvent(UINT mouseMessage);
    LRESULT OnPrepareRun(RuntimeText* script);

    void CreateControls();
    void CreateMenus();
    void SetUpEditor();
    void ApplyColors();
    void PopUpMenu(HMENU menu, int buttonId);
    void ToggleTree();
    void ToggleMaximized();
    void HideToTray();
    void RestoreFromTray();
    void ShowHelpText(int buttonId);

    Application& application_;
    bool anotherInstanceFound_ = false;
    DWORD uiThread_ = 0;
    MainWindowColors colors_;

    RollUpPanel helpPanel_;
    RollUpPanel runPanel_;
    UniqueMenu programMenu_;
    UniqueMenu editMenu_;
    UniqueMenu settingsMenu_;
    UniqueAccelerators accelerators_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    UniqueGdiObject uiFont_;
    UniqueGdiObject titleFont_;
    UniqueGdiObject titleBrush_;
    UniqueGdiObject menuBrush_;
    UniqueGdiObject windowBrush_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<BalloonTip> balloon_;  // 气球提示框1
    UniqueImageList treeImages_;
    std::unique_ptr<Win32TreeWidget> tree_;
    std::unique_ptr<Win32EditorWidget> editor_;
    std::unique_ptr<Library> library_;
    bool treeHidden_ = false;
    std::uint32_t cursorTrackingInterval_ = 0;  // 时钟3; 0 while stopped
};

}  // namespace kavo
