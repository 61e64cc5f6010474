// The software-settings window (设置 ▸ 软件设置): always-on-top, the eleven interface colours with
// their live effect on the main window, the hover-colour switch, and the named colour schemes.
// Colours show on the main window at once; 确定 and 应用 save them, 取消 takes them back.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "appearance/settings_page_win32.h"
#include "appearance/settings_session.h"
#include "platform/platform.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_colors.h"
#include "ui/hover_tracker_win32.h"
#include "ui/small_window_win32.h"

namespace kavo {

// The window's controls by the names its form gives them; plain data, also read by tests.
namespace settings_ids {
enum ControlId : int {
    kHeader = 100,       // 标签1
    kRollUp,             // 卷帘式菜单1
    kTabs,               // 选择夹1
    kGeneralPage,        // page 通常
    kInterfacePage,      // page 界面
    kAlwaysOnTop = 110,  // 选择框1
    kGeneralNote,        // 透明标签1
    kPicker1 = 120,      // 颜色选择器1 .. 颜色选择器11: 120 .. 130
    kPickerLabel1 = 140,
    kHoverNote = 160,  // 透明标签12
    kHoverSwitch,      // 选择框3
    kSchemeLabel,      // 透明标签14
    kSchemeList,       // 组合框1
    kNameLabel,        // 透明标签15
    kNameBox,          // 编辑框2
    kStore,            // 超级按钮6 储存
    kDelete,           // 超级按钮7 删除
    kCodeBox,          // 编辑框1
    kSync,             // 超级按钮5 同步
    kCopy,             // 超级按钮4 复制
    kOk,               // 超级按钮1 确定
    kCancel,           // 超级按钮2 取消
    kApply,            // 超级按钮3 应用
    kNote,             // why the last button did nothing
};
}  // namespace settings_ids

// What the settings window reaches on the main window.
struct SettingsWindowHost {
    HWND mainWindow = nullptr;
    MainWindowColors* colors = nullptr;
    std::function<void()> applyColors;  // repaints the main window with *colors
    FilePort* files = nullptr;
    ClipboardPort* clipboard = nullptr;
};

// Opened with Open(mainWindow): shown at 50, 50, it then glides towards the screen's centre.
class SettingsWindow : public SmallWindow<SettingsWindow> {
  public:
    static constexpr wchar_t kTitle[] = L"软件设置";
    static constexpr int kPickerCount = 11;
    static constexpr int kHeaderHeight = 30;
    // Frameless like the main window: the header strip is the title bar. A window of its own
    // on the taskbar.
    static constexpr SmallWindowFrame kFrame{
        .className = L"KavoSettingsWindow",
        .title = kTitle,
        .designWidth = 500,
        .designHeight = 400,
        .style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
        .exStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT,
        .titleStrip = false,
        .dragHeight = 1 + kHeaderHeight,
        .bounce = BounceWindowKind::SettingsWindow,
        .background = SmallWindowBackground::White,
        .owned = false};

    explicit SettingsWindow(SettingsWindowHost host);

    // 取消, Esc, Alt+F4 and the taskbar's close: nothing unsaved stays on the main window.
    void Cancel() { OnCancel(); }

  private:
    friend SmallWindow<SettingsWindow>;
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
    LRESULT OnControlColor(HDC dc, HWND control);
    bool OnSetCursor(HWND over);
    void OnPaint();

    void CreateControls();
    // A control of the window or of one of its pages, at its design place.
    HWND Add(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id, int x,
             int y, int width, int height, HFONT font);
    HWND Control(int id) const;
    void ShowPage(int page);

    // The window-opened sequence; also after every save.
    void LoadEverything();
    void FillControls();
    void ShowSchemeCode();
    void RefillSchemeList();
    void LiveApply();
    void PickColor(int picker);
    void ShowNote(const wchar_t* text);
    void ShowSaveFailure();

    void OnSynchronise();
    void OnChooseScheme();
    void OnStoreScheme();
    void OnDeleteScheme();
    void OnCopyCode();
    void OnOk();
    void OnApply();
    void OnCancel();

    SettingsWindowHost host_;
    SettingsSession session_;
    std::array<ColorRef, kPickerCount> pickerColors_{};
    ColorRef headerBackground_ = 0xECECEC;
    ColorRef headerText_ = 0x353535;
    HoverTracker hover_;  // the flat buttons light up under the pointer
    SettingsPage generalPage_;
    SettingsPage interfacePage_;
    UniqueGdiObject labelFont_;
    UniqueGdiObject editFont_;
    UniqueGdiObject listFont_;
    UniqueGdiObject pageBrush_;
    UniqueGdiObject headerBrush_;
};

}  // namespace kavo
