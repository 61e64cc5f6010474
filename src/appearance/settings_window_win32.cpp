#include "appearance/settings_window_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <string>

#include "platform/win32/dpi_win32.h"
#include "platform/win32/late_function_win32.h"
#include "text/wide.h"
#include "ui/gdi_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {

using namespace settings_ids;

namespace {

constexpr int kHeaderHeight = SettingsWindow::kHeaderHeight;

struct PickerPlace {
    int x, y;
    const wchar_t* label;
    int labelWidth;
    SettingsLine line;
};
constexpr PickerPlace kPickers[SettingsWindow::kPickerCount] = {
    {71, 12, L"窗口颜色：", 60, kWindowColorLine},
    {176, 12, L"标题颜色：", 60, kTitleColorLine},
    {71, 43, L"最小化：", 60, kHideHoverColorLine},
    {176, 43, L"最大化：", 60, kMaximizeColorLine},
    {264, 43, L"退出：", 40, kExitHoverColorLine},
    {71, 111, L"菜单颜色：", 60, kMenuColorLine},
    {176, 111, L"项目颜色：", 60, kItemColorLine},
    {71, 143, L"数据背景：", 60, kDataBackgroundLine},
    {176, 143, L"数据颜色：", 60, kDataColorLine},
    {71, 175, L"文本背景：", 60, kTextBackgroundLine},
    {176, 175, L"软件背景：", 60, kSoftwareBackgroundLine},
};
constexpr int kPickerWidth = 40;
constexpr int kPickerHeight = 20;

constexpr ColorRef kPageBackground = RGB(255, 255, 255);
constexpr ColorRef kButtonNormal = 0xE9E9E9;
constexpr ColorRef kButtonHover = 0xC0C0C0;
constexpr ColorRef kFrameColor = 0xC0C0C0;
constexpr ColorRef kNoteColor = RGB(192, 0, 0);

bool IsFlatButton(int id) {
    return (id >= kStore && id <= kApply && id != kCodeBox);
}

bool IsPicker(int id) {
    return id >= kPicker1 && id < kPicker1 + SettingsWindow::kPickerCount;
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsWindowHost host)
    : host_(std::move(host)), session_(*host_.files) {}

// --- building ---

LRESULT SettingsWindow::OnCreate() {
    labelFont_ = MakeUiFont(Dpi(), 12);
    editFont_ = MakeUiFont(Dpi(), 13);
    listFont_ = MakeUiFont(Dpi(), 11);
    pageBrush_.reset(CreateSolidBrush(kPageBackground));
    CreateControls();
    LoadEverything();
    ShowPage(0);
    return 0;
}

HWND SettingsWindow::Add(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                         int id, int x, int y, int width, int height, HFONT font) {
    HWND control = small_window::AddControl(parent, className, text, style, x, y, width, height, id,
                                            Dpi(), font);
    if (control != nullptr && IsFlatButton(id)) hover_.Track(control);
    return control;
}

void SettingsWindow::CreateControls() {
    HWND window = Handle();
    const auto label = static_cast<HFONT>(labelFont_.get());
    const auto edit = static_cast<HFONT>(editFont_.get());
    const auto list = static_cast<HFONT>(listFont_.get());
    const DWORD text = SS_LEFT | SS_NOPREFIX;
    const DWORD flat = WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW;

    Add(window, WC_STATICW, L"设置", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, kHeader, 1, 1, 498,
        kHeaderHeight, label);
    HWND rollUp =
        Add(window, WC_LISTBOXW, L"",
            WS_TABSTOP | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
            kRollUp, 1, 32, 136, 367, label);
    SendMessageW(rollUp, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"通常设置"));
    SendMessageW(rollUp, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"界面设置"));

    HWND tabs = Add(window, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS | WS_TABSTOP, kTabs, 138, 32, 361,
                    336, label);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"通常");
    TabCtrl_InsertItem(tabs, 0, &item);
    item.pszText = const_cast<wchar_t*>(L"界面");
    TabCtrl_InsertItem(tabs, 1, &item);
    // The pages cover the tab control's body, inside its frame and below its tabs.
    RECT tabRect{};
    GetWindowRect(tabs, &tabRect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&tabRect), 2);
    RECT header{};
    TabCtrl_GetItemRect(tabs, 0, &header);
    const RECT pagePlace{tabRect.left + 1, tabRect.top + header.bottom + 1, tabRect.right - 2,
                         tabRect.bottom - 2};
    generalPage_.Create(window, kGeneralPage, pagePlace, kPageBackground);
    interfacePage_.Create(window, kInterfacePage, pagePlace, kPageBackground);
    HWND general = generalPage_.Handle();
    HWND colours = interfacePage_.Handle();

    Add(general, WC_BUTTONW, L"总在最前", WS_TABSTOP | BS_AUTOCHECKBOX, kAlwaysOnTop, 11, 5, 72, 24,
        label);
    Add(general, WC_STATICW, L"ps: 总在最前设置完成后必须点击确定才会设置成功。", text,
        kGeneralNote, 11, 295, 350, 16, label);

    for (int i = 0; i < kPickerCount; ++i) {
        const PickerPlace& place = kPickers[i];
        Add(colours, WC_STATICW, place.label, SS_RIGHT | SS_NOPREFIX, kPickerLabel1 + i,
            place.x - place.labelWidth - 3, place.y + 2, place.labelWidth, 16, label);
        Add(colours, WC_BUTTONW, L"", flat, kPicker1 + i, place.x, place.y, kPickerWidth,
            kPickerHeight, label);
    }
    Add(colours, WC_STATICW, L"ps：这里说的颜色是指焦点颜色（并且应用之后才可显示）", text,
        kHoverNote, 8, 65, 318, 16, label);
    Add(colours, WC_BUTTONW, L"是否启用设置颜色（不启用则为默认颜色）重启后生效",
        WS_TABSTOP | BS_AUTOCHECKBOX, kHoverSwitch, 8, 84, 342, 24, label);
    Add(colours, WC_STATICW, L"", text, kNote, 8, 236, 345, 18, label);
    Add(colours, WC_STATICW, L"配色：", text, kSchemeLabel, 6, 266, 40, 16, label);
    Add(colours, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kSchemeList, 47,
        262, 63, 200, list);
    Add(colours, WC_STATICW, L"名称：", text, kNameLabel, 116, 267, 36, 16, label);
    Add(colours, WC_EDITW, L"新建配色", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kNameBox, 153, 262,
        61, 24, edit);
    Add(colours, WC_BUTTONW, L"储存", flat, kStore, 218, 263, 66, 22, label);
    Add(colours, WC_BUTTONW, L"删除", flat, kDelete, 290, 263, 66, 22, label);
    Add(colours, WC_EDITW, L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kCodeBox, 6, 288, 208, 24,
        edit);
    Add(colours, WC_BUTTONW, L"同步", flat, kSync, 218, 288, 66, 22, label);
    Add(colours, WC_BUTTONW, L"复制", flat, kCopy, 289, 288, 66, 22, label);

    Add(window, WC_BUTTONW, L"确定", flat, kOk, 162, 372, 96, 25, label);
    Add(window, WC_BUTTONW, L"取消", flat, kCancel, 268, 372, 96, 25, label);
    Add(window, WC_BUTTONW, L"应用", flat, kApply, 374, 372, 96, 25, label);
    // The tab control lies under its pages.
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND SettingsWindow::Control(int id) const {
    if (HWND direct = GetDlgItem(Handle(), id)) return direct;
    if (HWND onGeneral = GetDlgItem(generalPage_.Handle(), id)) return onGeneral;
    return GetDlgItem(interfacePage_.Handle(), id);
}

void SettingsWindow::ShowPage(int page) {
    SendMessageW(Control(kRollUp), LB_SETCURSEL, static_cast<WPARAM>(page), 0);
    TabCtrl_SetCurSel(Control(kTabs), page);
    ShowWindow(generalPage_.Handle(), page == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(interfacePage_.Handle(), page == 1 ? SW_SHOW : SW_HIDE);
}

// --- what the window shows ---

void SettingsWindow::LoadEverything() {
    // The header takes the main window's title colours as they are now.
    headerBackground_ = host_.colors->titleBackground;
    headerText_ = host_.colors->titleText;
    headerBrush_.reset(CreateSolidBrush(headerBackground_));
    InvalidateRect(Control(kHeader), nullptr, TRUE);
    if (!session_.Open()) ShowNote(L"无法写入 link.ini，显示的是默认设置。");
    if (session_.Unreadable())
        ShowNote(L"无法读取 link.ini（可能正被其他程序使用），显示的是默认设置。");
    FillControls();
    ShowSchemeCode();
    RefillSchemeList();
}

void SettingsWindow::FillControls() {
    const SettingsRecord& shown = session_.Shown();
    Button_SetCheck(Control(kAlwaysOnTop),
                    FlagValue(shown[kAlwaysOnTopLine]) ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < kPickerCount; ++i) {
        pickerColors_[static_cast<std::size_t>(i)] = ColorValue(shown[kPickers[i].line]);
        InvalidateRect(Control(kPicker1 + i), nullptr, FALSE);
    }
    Button_SetCheck(Control(kHoverSwitch),
                    FlagValue(shown[kUseHoverColorsLine]) ? BST_CHECKED : BST_UNCHECKED);
}

void SettingsWindow::ShowSchemeCode() {
    SetWindowTextW(Control(kCodeBox), GbkToWide(session_.Code()).c_str());
}

void SettingsWindow::RefillSchemeList() {
    HWND list = Control(kSchemeList);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    // One item a line, so that an item's position is its line in color.ini.
    for (const ColorScheme& scheme : session_.Schemes())
        SendMessageW(list, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(GbkToWide(scheme.name).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void SettingsWindow::LiveApply() {
    *host_.colors = session_.ShownColors();
    host_.applyColors();
}

void SettingsWindow::ShowNote(const wchar_t* text) {
    SetWindowTextW(Control(kNote), text);
}

// --- events ---

LRESULT SettingsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_MEASUREITEM:
            return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            return DefaultProcedure(message, wParam, lParam);
        case WM_PAINT:
            OnPaint();
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

void SettingsWindow::OnCommand(int id, int code) {
    if (IsPicker(id) && code == BN_CLICKED) {
        PickColor(id - kPicker1);
        return;
    }
    switch (id) {
        case kRollUp:
            if (code == LBN_SELCHANGE)
                ShowPage(static_cast<int>(SendMessageW(Control(kRollUp), LB_GETCURSEL, 0, 0)) == 1
                             ? 1
                             : 0);
            break;
        case kAlwaysOnTop:
            if (code == BN_CLICKED)
                session_.ChangeFlag(kAlwaysOnTopLine,
                                    Button_GetCheck(Control(kAlwaysOnTop)) == BST_CHECKED);
            break;
        case kHoverSwitch:
            if (code == BN_CLICKED) {
                session_.ChangeFlag(kUseHoverColorsLine,
                                    Button_GetCheck(Control(kHoverSwitch)) == BST_CHECKED);
                ShowSchemeCode();
            }
            break;
        case kSchemeList:
            if (code == CBN_SELCHANGE) OnChooseScheme();
            break;
        case kSync:
            OnSynchronise();
            break;
        case kCopy:
            OnCopyCode();
            break;
        case kStore:
            OnStoreScheme();
            break;
        case kDelete:
            OnDeleteScheme();
            break;
        case kOk:
            OnOk();
            break;
        case kApply:
            OnApply();
            break;
        case kCancel:
            OnCancel();
            break;
        default:
            break;
    }
}

LRESULT SettingsWindow::OnNotify(const NMHDR& header) {
    if (header.idFrom == kTabs && header.code == TCN_SELCHANGE)
        ShowPage(TabCtrl_GetCurSel(Control(kTabs)) == 1 ? 1 : 0);
    return 0;
}

void SettingsWindow::PickColor(int picker) {
    static COLORREF customColors[16] = {};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Handle();
    choose.rgbResult = pickerColors_[static_cast<std::size_t>(picker)];
    choose.lpCustColors = customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ShowColorDialog(choose)) return;
    const ColorRef color = choose.rgbResult & 0xFFFFFF;
    pickerColors_[static_cast<std::size_t>(picker)] = color;
    InvalidateRect(Control(kPicker1 + picker), nullptr, FALSE);
    const SettingsLine line = kPickers[picker].line;
    session_.ChangeColor(line, color);
    // Only this picker's own element changes on the main window.
    if (ColorRef MainWindowColors::*element = ElementOfLine(line)) {
        host_.colors->*element = color;
        host_.applyColors();
    }
    ShowSchemeCode();
}

void SettingsWindow::OnSynchronise() {
    const RuntimeText code = WideToGbk(ReadWindowText(Control(kCodeBox)));
    if (!session_.Synchronise(code)) {
        ShowNote(L"配色代码须有 12 项（以“;”分隔），未作更改。");
        return;
    }
    ShowNote(L"");
    FillControls();
    LiveApply();
}

void SettingsWindow::OnChooseScheme() {
    const int index = static_cast<int>(SendMessageW(Control(kSchemeList), CB_GETCURSEL, 0, 0));
    const std::optional<RuntimeText> code = session_.ChooseScheme(index);
    if (!code) {
        ShowNote(L"这一行没有完整的配色代码，未作更改。");
        return;
    }
    ShowNote(L"");
    SetWindowTextW(Control(kCodeBox), GbkToWide(*code).c_str());
    FillControls();
    LiveApply();
}

void SettingsWindow::OnStoreScheme() {
    const RuntimeText name = WideToGbk(ReadWindowText(Control(kNameBox)));
    const RuntimeText code = WideToGbk(ReadWindowText(Control(kCodeBox)));
    switch (session_.StoreScheme(name, code)) {
        case SchemeStoreResult::Stored:
            ShowNote(L"");
            break;
        case SchemeStoreResult::NameRefused:
            ShowNote(L"名称中不能有“=”，配色未储存。");
            break;
        case SchemeStoreResult::ReadFailed:
            ShowNote(L"无法读取 color.ini（可能正被其他程序使用），配色未储存。");
            break;
        case SchemeStoreResult::WriteFailed:
            ShowNote(L"无法写入 color.ini，配色未储存。");
            break;
    }
    RefillSchemeList();
}

void SettingsWindow::OnDeleteScheme() {
    const int index = static_cast<int>(SendMessageW(Control(kSchemeList), CB_GETCURSEL, 0, 0));
    ShowNote(session_.DeleteScheme(index)
                 ? L""
                 : L"无法读写 color.ini（可能正被其他程序使用），配色未删除。");
    RefillSchemeList();
}

void SettingsWindow::OnCopyCode() {
    host_.clipboard->SetText(WideToUtf8(ReadWindowText(Control(kCodeBox))));
}

void SettingsWindow::OnOk() {
    const bool alwaysOnTop = Button_GetCheck(Control(kAlwaysOnTop)) == BST_CHECKED;
    if (!session_.Save()) {
        // The window stays open: closing it would drop the user's settings without a word.
        ShowSaveFailure();
        ShowPage(1);
        return;
    }
    if (alwaysOnTop)
        SetWindowPos(host_.mainWindow, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Close();
}

void SettingsWindow::ShowSaveFailure() {
    ShowNote(session_.Unreadable()
                 ? L"无法读取 link.ini（可能正被其他程序使用），为免覆盖它，设置未保存。"
                 : L"无法写入 link.ini，设置未保存。");
}

void SettingsWindow::OnApply() {
    if (!session_.Save()) {
        ShowSaveFailure();
        return;
    }
    LoadEverything();
    ShowNote(L"");
}

void SettingsWindow::OnCancel() {
    session_.Cancel();
    FillControls();
    LiveApply();
    Close();
}

// --- drawing ---

LRESULT SettingsWindow::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlID != kRollUp) return FALSE;
    item.itemHeight = static_cast<UINT>(ScaleToDpi(30, Dpi()));
    return TRUE;
}

LRESULT SettingsWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    const int id = static_cast<int>(item.CtlID);
    if (id != kRollUp && !IsPicker(id) && !IsFlatButton(id)) return FALSE;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const ScopedSelection font(dc, labelFont_.get());
    SetBkMode(dc, TRANSPARENT);
    if (id == kRollUp) {
        if (item.itemID == static_cast<UINT>(-1)) return TRUE;
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        FillColor(dc, rect, selected ? kButtonHover : kButtonNormal);
        if (selected) {
            RECT accent = rect;
            accent.right = accent.left + ScaleToDpi(3, Dpi());
            FillColor(dc, accent, headerText_);
        }
        wchar_t text[32] = {};
        SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextW(dc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else if (IsPicker(id)) {
        FillColor(dc, rect, pickerColors_[static_cast<std::size_t>(id - kPicker1)]);
        FrameColor(dc, rect, 0x808080);
    } else {
        const bool hot = item.hwndItem == hover_.Hot() || (item.itemState & ODS_SELECTED) != 0;
        FillColor(dc, rect, hot ? kButtonHover : kButtonNormal);
        wchar_t caption[16] = {};
        GetWindowTextW(item.hwndItem, caption, 16);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextW(dc, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    return TRUE;
}

LRESULT SettingsWindow::OnControlColor(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id == kHeader) {
        SetTextColor(dc, headerText_);
        SetBkColor(dc, headerBackground_);
        return reinterpret_cast<LRESULT>(headerBrush_.get());
    }
    SetTextColor(dc, id == kNote ? kNoteColor : RGB(0, 0, 0));
    SetBkColor(dc, kPageBackground);
    return reinterpret_cast<LRESULT>(pageBrush_.get());
}

void SettingsWindow::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    RECT rect{};
    GetClientRect(Handle(), &rect);
    FrameColor(dc, rect, kFrameColor);
    EndPaint(Handle(), &paint);
}

bool SettingsWindow::OnSetCursor(HWND over) {
    const int id = GetDlgCtrlID(over);
    if (over != Handle() && (IsFlatButton(id) || IsPicker(id))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return true;
    }
    return false;
}

}  // namespace kavo
