// The software-settings window (设置 ▸ 软件设置): always-on-top, the eleven interface colours with
// their live effect on the main window, the hover-colour switch, and the named colour schemes.
// Colours show on the main window at once; 确定 and 应用 save them, 取消 takes them back.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "app/main_window_colors.h"
#include "app/window_base_win32.h"
#include "appearance/settings_page_win32.h"
#include "appearance/settings_session.h"
#include "platform/platform.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

// What the settings window reaches on the main window.
struct SettingsWindowHost {
    HWND mainWindow = nullptr;
    MainWindowColors* colors = nullptr;
    std::function<void()> applyColors;  // repaints the main window with *colors
    FilePort* files = nullptr;
    ClipboardPort* clipboard = nullptr;
};

class SettingsWindow : public WindowBase<SettingsWindow> {
  public:
    static constexpr wchar_t kTitle[] = L"软件设置";
    static constexpr int kPickerCount = 11;

    explicit SettingsWindow(SettingsWindowHost host);
    ~SettingsWindow();

    // Creates and shows the window at 50, 50; it then glides towards the screen's centre.
    bool Create();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK FlatButtonProcedure(HWND button, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR self) noexcept;
    LRESULT OnCreate();
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
    LRESULT OnControlColor(HDC dc, HWND control);
    LRESULT OnNcHitTest(LPARAM lParam);
    bool OnSetCursor(HWND over);
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnFlatButtonHover(HWND button, bool hovered);

    void CreateControls();
    HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                    int x, int y, int width, int height, HFONT font);
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
    UINT dpi_ = 96;
    std::array<ColorRef, kPickerCount> pickerColors_{};
    ColorRef headerBackground_ = 0xECECEC;
    ColorRef headerText_ = 0x353535;
    HWND hotButton_ = nullptr;
    SettingsPage generalPage_;
    SettingsPage interfacePage_;
    UniqueGdiObject labelFont_;
    UniqueGdiObject editFont_;
    UniqueGdiObject listFont_;
    UniqueGdiObject pageBrush_;
    UniqueGdiObject headerBrush_;
};

}  // namespace kavo
