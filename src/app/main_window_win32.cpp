#include "app/main_window_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <string>

#include "../../res/resource_ids.h"
#include "app/application_win32.h"
#include "app/main_window_layout.h"
#include "app/single_instance_win32.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoMainWindow";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kPrepareRunMessage = WM_APP + 2;
constexpr UINT kBalloonMessage = WM_APP + 3;
constexpr UINT kTrackingMessage = WM_APP + 4;
constexpr UINT_PTR kClock2 = 2;  // 时钟2: the help panel follows the run panel's colour
constexpr UINT_PTR kClock3 = 3;  // 时钟3: the cursor position display

// The title bar text; the window's own title (what the single-instance rule compares) is
// MainWindow::kTitle.
constexpr wchar_t kTitleCaption[] = L"        KAVO脚本助手       For Windows 7 - 11";

enum MenuCommand : int {
    kCmdAbout = 2001,
    kCmdNewPage,
    kCmdNewDirectory,
    kCmdDeletePage,
    kCmdDeleteDirectory,
    kCmdRenamePage,
    kCmdRenameDirectory,
    kCmdToggleTree,
    kCmdGlobalSearch,
    kCmdKeyCodeLookup,
    kCmdUndo = 2101,
    kCmdCopy,
    kCmdPaste,
    kCmdCut,
    kCmdSelectAll,
    kCmdSave,
    kCmdAutoSave,
    kCmdPlain,
    kCmdBold,
    kCmdItalic,
    kCmdUnderline,
    kCmdChooseFont,
    kCmdWhite,
    kCmdBlack,
    kCmdRed,
    kCmdBlue,
    kCmdYellow,
    kCmdChooseColor,
    kCmdFindText,
    kCmdSoftwareSettings = 2201,
    kCmdShowKeyCodes,
};

const layout::ControlPlace* FindPlace(int id) {
    for (const auto& place : layout::kControls)
        if (place.id == id) return &place;
    return nullptr;
}

bool IsFlatButton(int id) {
    switch (id) {
        case layout::kMenuProgram:
        case layout::kMenuEdit:
        case layout::kMenuSettings:
        case layout::kHelpToggle:
        case layout::kRunToggle:
            return true;
        default:
            return false;
    }
}

bool IsPictureButton(int id) {
    switch (id) {
        case layout::kExit:
        case layout::kMaximize:
        case layout::kMinimize:
        case layout::kPicture1:
        case layout::kPicture3:
            return true;
        default:
            return false;
    }
}

// Usage texts of the help buttons, and the help box's height for each.
struct HelpText {
    int buttonId;
    const char* text;
    int height;
};
constexpr HelpText kHelpTexts[] = {
    {layout::kHelpLoop,
     "使用格式\r\n例如： 计次循环(2,1)\r\n其中2代表循环次数 "
     "1代表参数\r\n注意：必须插入循环尾此循环方可"
     "成立\r\n例如：计次循环尾(1) \r\n1与前面的参数相对应。",
     200},
    {layout::kHelpDelay, "使用格式\r\n例如： 延时(100)\r\n100代表100毫秒 1000毫秒=1秒", 200},
    {layout::kHelpRun, "使用格式\r\n例如： 运行(notepad.exe)\r\nnotepad.exe 代表文件路径", 200},
    {layout::kHelpSpecialKey,
     "使用格式\r\n例如： 特殊按键(20)\r\n20代表键代码 括号里应输入数字（键代码） "
     "键代码在设置菜单里查看。",
     200},
    {layout::kHelpClick, "使用格式\r\n例如： 鼠标(左键)\r\n例如： 鼠标(右键)", 200},
    {layout::kHelpTyping,
     "使用格式\r\n例如： 按键(fhjshfkj,50)\r\n其中fhjshfkj代表需要输入的键\r\n50代表输入的速度",
     200},
    {layout::kHelpMove,
     "使用格式\r\n例如： 鼠标移动(800,100)\r\n其中80为横坐标   100为纵坐标\r\n按F1获取横纵坐标！",
     160},
    {layout::kHelpMessageBox,
     "使用格式\r\n例如： 信息框（你好,我是脚本编辑器,）\r\n其中你好为信息框标题   "
     "我是脚本编辑器是信息框内容",
     200},
};

// A balloon tip asked for by a script, possibly from another thread.
struct BalloonRequest {
    Point where;
    const Utf8Text* text;
};

void AppendItem(HMENU menu, int id, const wchar_t* text) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text);
}

}  // namespace

MainWindow::MainWindow(Application& application) : application_(application) {}

MainWindow::~MainWindow() {
    trayIcon_.reset();
    if (Handle() != nullptr) DestroyWindow(Handle());
}

bool MainWindow::Create() {
    uiThread_ = GetCurrentThreadId();
    bigIcon_.reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KAVO),
                                      IMAGE_ICON, 128, 128, LR_DEFAULTCOLOR)));
    smallIcon_.reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KAVO), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    if (!RegisterClassOnce(kClassName, nullptr, bigIcon_.get(), CS_DBLCLKS)) return false;
    // No system frame: the window draws its own title bar.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - layout::kWindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - layout::kWindowHeight) / 2;
    HWND window =
        CreateWindowFor(WS_EX_APPWINDOW, kClassName, kTitle,
                        WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU,
                        x, y, layout::kWindowWidth, layout::kWindowHeight, nullptr, nullptr);
    return window != nullptr;
}

void MainWindow::Show() {
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
    SetForegroundWindow(Handle());
    // The menu bar label takes the keyboard focus, so no control starts with a caret.
    SetFocus(Control(layout::kMenuBar));
}

bool MainWindow::TranslateAccelerators(MSG& message) {
    return accelerators_ && Handle() != nullptr &&
           TranslateAcceleratorW(Handle(), accelerators_.get(), &message) != 0;
}

HWND MainWindow::Control(int id) const {
    const auto* place = FindPlace(id);
    if (place == nullptr) return nullptr;
    switch (place->parent) {
        case layout::Parent::HelpPanel:
            return GetDlgItem(helpPanel_.Handle(), id);
        case layout::Parent::RunPanel:
            return GetDlgItem(runPanel_.Handle(), id);
        default:
            return GetDlgItem(Handle(), id);
    }
}

// --- start-up ---

LRESULT MainWindow::OnCreate() {
    CreateControls();
    CreateMenus();
    SetWindowTextW(Control(layout::kTitle), kTitleCaption);
    // Single-instance rule: this window is not visible yet, so it never finds itself.
    if (VisibleWindowTitled(kTitle)) {
        anotherInstanceFound_ = true;
        return -1;
    }
    tree_ = std::make_unique<Win32TreeWidget>(Control(layout::kTree));
    editor_ = std::make_unique<Win32EditorWidget>(Control(layout::kEditor));
    treeImages_ = CreateLibraryImageList();
    tree_->SetImageList(static_cast<HIMAGELIST>(treeImages_.get()));
    auto& platform = application_.Platform();
    library_ = std::make_unique<Library>(platform, *tree_, *editor_,
                                         [&platform] { platform.ProcessPendingEvents(); });
    StartLibrary(*library_);
    SetUpEditor();
    application_.AddCommands();
    application_.AddCursorTrackingKey();
    SetWindowSubclass(Control(layout::kHotkeyEdit), HotkeyEditProcedure, 1,
                      reinterpret_cast<DWORD_PTR>(this));
    trayIcon_ =
        std::make_unique<TrayIcon>(Handle(), kTrayMessage, smallIcon_.get(), L"KAVO脚本助手");
    balloon_ = std::make_unique<BalloonTip>(Handle());
    ApplyColors();
    SetTimer(Handle(), kClock2, 10, nullptr);
    return 0;
}

void MainWindow::CreateControls() {
    uiFont_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, L"微软雅黑"));
    titleFont_.reset(CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, L"微软雅黑"));
    LoadLibraryW(L"Msftedit.dll");  // RICHEDIT50W; stays loaded for the process's life

    for (const auto& place : layout::kControls) {
        HWND parent = Handle();
        if (place.parent == layout::Parent::HelpPanel) parent = helpPanel_.Handle();
        if (place.parent == layout::Parent::RunPanel) parent = runPanel_.Handle();
        const std::wstring caption = Utf8ToWide(place.caption);
        const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id));
        const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        HWND control = nullptr;
        switch (place.id) {
            case layout::kHelpPanel:
                helpPanel_.Create(parent, place.id, place.x, place.y, place.width, place.height);
                control = helpPanel_.Handle();
                break;
            case layout::kRunPanel:
                runPanel_.Create(parent, place.id, place.x, place.y, place.width, place.height);
                control = runPanel_.Handle();
                break;
            case layout::kTree:
                control = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                          child | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                              TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                          place.x, place.y, place.width, place.height, parent, id,
                                          nullptr, nullptr);
                break;
            case layout::kEditor:
                control = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                          child | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                                              ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                                          place.x, place.y, place.width, place.height, parent, id,
                                          nullptr, nullptr);
                break;
            case layout::kProcessEdit:
            case layout::kHotkeyEdit:
            case layout::kXEdit:
            case layout::kYEdit:
                control = CreateWindowExW(
                    0, WC_EDITW, caption.c_str(), child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
                    place.x, place.y, place.width, place.height, parent, id, nullptr, nullptr);
                break;
            case layout::kHelpText:
                control = CreateWindowExW(
                    0, WC_EDITW, caption.c_str(),
                    child | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    place.x, place.y, place.width, place.height, parent, id, nullptr, nullptr);
                break;
            case layout::kTitle:
            case layout::kMenuBar:
            case layout::kSeparator:
            case layout::kProcessLabel:
            case layout::kXLabel:
            case layout::kYLabel:
                // Labels without SS_NOTIFY let the mouse through, so the title bar drags.
                control = CreateWindowExW(
                    0, WC_STATICW, caption.c_str(), child | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX,
                    place.x, place.y, place.width, place.height, parent, id, nullptr, nullptr);
                break;
            default: {
                const DWORD look =
                    (IsFlatButton(place.id) || IsPictureButton(place.id)) ? BS_OWNERDRAW : 0;
                control = CreateWindowExW(
                    0, WC_BUTTONW, caption.c_str(), child | WS_TABSTOP | BS_PUSHBUTTON | look,
                    place.x, place.y, place.width, place.height, parent, id, nullptr, nullptr);
                break;
            }
        }
        if (control == nullptr) continue;
        SendMessageW(
            control, WM_SETFONT,
            reinterpret_cast<WPARAM>(place.id == layout::kTitle ? titleFont_.get() : uiFont_.get()),
            FALSE);
    }
    // Stacking, bottom to top: the bars and the editor, the buttons on the bars, the picture
    // boxes over the caption buttons, the panels over the editor; in the help panel the help
    // box covers the coordinate rows until a shorter help text uncovers them.
    for (int id : {layout::kTitle, layout::kMenuBar, layout::kTree, layout::kEditor, layout::kExit,
                   layout::kMaximize, layout::kMinimize, layout::kMenuProgram, layout::kMenuEdit,
                   layout::kMenuSettings, layout::kPicture1, layout::kPicture3, layout::kRunPanel,
                   layout::kHelpPanel, layout::kHelpText})
        SetWindowPos(Control(id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::CreateMenus() {
    programMenu_.reset(CreatePopupMenu());
    HMENU program = programMenu_.get();
    AppendItem(program, kCmdAbout, L"关于");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendItem(program, kCmdNewPage, L"新建脚本");
    AppendItem(program, kCmdNewDirectory, L"新建脚本目录");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendItem(program, kCmdDeletePage, L"删除脚本");
    AppendItem(program, kCmdDeleteDirectory, L"删除脚本目录");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendItem(program, kCmdRenamePage, L"重命名脚本");
    AppendItem(program, kCmdRenameDirectory, L"重命名脚本目录");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendItem(program, kCmdToggleTree, L"隐藏菜单");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendItem(program, kCmdGlobalSearch, L"全局搜索");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendItem(program, kCmdKeyCodeLookup, L"键代码查询");

    editMenu_.reset(CreatePopupMenu());
    HMENU edit = editMenu_.get();
    AppendItem(edit, kCmdUndo, L"撤销\tCtrl+Z");
    AppendItem(edit, kCmdCopy, L"复制\tCtrl+C");
    AppendItem(edit, kCmdPaste, L"粘贴\tCtrl+V");
    AppendItem(edit, kCmdCut, L"剪切\tCtrl+X");
    AppendItem(edit, kCmdSelectAll, L"全选\tCtrl+A");
    AppendItem(edit, kCmdSave, L"保存\tCtrl+S");
    AppendItem(edit, kCmdAutoSave, L"自动保存");
    AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    // Sub-menus belong to their parent menu and go with it.
    HMENU font = CreatePopupMenu();
    AppendItem(font, kCmdPlain, L"置普通");
    AppendItem(font, kCmdBold, L"置粗体");
    AppendItem(font, kCmdItalic, L"置斜体");
    AppendItem(font, kCmdUnderline, L"置下划线");
    AppendItem(font, kCmdChooseFont, L"选择字体");
    AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(font), L"设置字体");
    HMENU color = CreatePopupMenu();
    AppendItem(color, kCmdWhite, L"白色");
    AppendItem(color, kCmdBlack, L"黑色");
    AppendItem(color, kCmdRed, L"红色");
    AppendItem(color, kCmdBlue, L"蓝色");
    AppendItem(color, kCmdYellow, L"黄色");
    AppendItem(color, kCmdChooseColor, L"选择颜色");
    AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(color), L"设置颜色");
    AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
    AppendItem(edit, kCmdFindText, L"搜索文本\tCtrl+F");

    settingsMenu_.reset(CreatePopupMenu());
    AppendItem(settingsMenu_.get(), kCmdSoftwareSettings, L"软件设置");
    AppendItem(settingsMenu_.get(), kCmdShowKeyCodes, L"查看键代码");

    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'Z', kCmdUndo},      {FVIRTKEY | FCONTROL, 'C', kCmdCopy},
        {FVIRTKEY | FCONTROL, 'V', kCmdPaste},     {FVIRTKEY | FCONTROL, 'X', kCmdCut},
        {FVIRTKEY | FCONTROL, 'A', kCmdSelectAll}, {FVIRTKEY | FCONTROL, 'S', kCmdSave},
        {FVIRTKEY | FCONTROL, 'F', kCmdFindText},
    };
    accelerators_.reset(CreateAcceleratorTableW(keys, ARRAYSIZE(keys)));
}

void MainWindow::SetUpEditor() {
    HWND editor = Control(layout::kEditor);
    // Report clicks on web addresses, and detect them in what is already there.
    const LRESULT mask = SendMessageW(editor, EM_GETEVENTMASK, 0, 0);
    SendMessageW(editor, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    SendMessageW(editor, EM_AUTOURLDETECT, TRUE, 0);
    SetEditorText(ReadEditorText());
    // Default look: 微软雅黑 9 points, automatic colour, no effects, 2 points of left indent.
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE |
                    CFM_STRIKEOUT | CFM_CHARSET;
    format.dwEffects = CFE_AUTOCOLOR;
    format.yHeight = 9 * 20;
    format.bCharSet = GB2312_CHARSET;
    lstrcpynW(format.szFaceName, L"微软雅黑", LF_FACESIZE);
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    PARAFORMAT2 paragraph{};
    paragraph.cbSize = sizeof paragraph;
    paragraph.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT;
    paragraph.dxStartIndent = 40;
    paragraph.wAlignment = PFA_LEFT;
    SendMessageW(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

void MainWindow::ApplyColors() {
    titleBrush_.reset(CreateSolidBrush(colors_.titleBackground));
    menuBrush_.reset(CreateSolidBrush(colors_.menuBackground));
    windowBrush_.reset(CreateSolidBrush(colors_.windowBackground));
    HWND tree = Control(layout::kTree);
    TreeView_SetBkColor(tree, colors_.treeBackground);
    TreeView_SetTextColor(tree, colors_.treeText);
    SendMessageW(Control(layout::kEditor), EM_SETBKGNDCOLOR, 0, colors_.editorBackground);
    helpPanel_.SetBackground(colors_.windowBackground);
    runPanel_.SetBackground(colors_.windowBackground);
    InvalidateRect(Handle(), nullptr, TRUE);
}

// --- running ---

RuntimeText MainWindow::ReadEditorText() const {
    return editor_->ReadText();
}

void MainWindow::SetEditorText(const RuntimeText& text) {
    editor_->ReplaceText(text);
}

LRESULT MainWindow::OnPrepareRun(RuntimeText* script) {
    ShowWindow(Handle(), SW_MINIMIZE);
    ShowWindow(Handle(), SW_HIDE);
    if (script != nullptr) *script = ReadEditorText();
    return 1;
}

void MainWindow::RunCurrentScript() {
    RuntimeText script;
    if (GetCurrentThreadId() == uiThread_) {
        OnPrepareRun(&script);
    } else {
        // The window belongs to the user-interface thread; it does the hiding and the reading.
        SendMessageW(Handle(), kPrepareRunMessage, 0, reinterpret_cast<LPARAM>(&script));
    }
    application_.Engine().RunScript(script);
}

void MainWindow::ShowBalloonTip(Point where, const Utf8Text& text) {
    BalloonRequest request{where, &text};
    if (GetCurrentThreadId() == uiThread_) {
        HandleMessage(kBalloonMessage, 0, reinterpret_cast<LPARAM>(&request));
    } else {
        SendMessageW(Handle(), kBalloonMessage, 0, reinterpret_cast<LPARAM>(&request));
    }
}

// --- events ---

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (trayIcon_ && trayIcon_->HandleTaskbarCreated(message)) return 0;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND: {
            RECT rect{};
            GetClientRect(Handle(), &rect);
            FillRect(reinterpret_cast<HDC>(wParam), &rect, static_cast<HBRUSH>(windowBrush_.get()));
            return 1;
        }
        case WM_NCHITTEST:
            return OnNcHitTest(lParam);
        case WM_NCLBUTTONDBLCLK:
            if (wParam == HTCAPTION) {
                ToggleMaximized();
                return 0;
            }
            return DefaultProcedure(message, wParam, lParam);
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            return DefaultProcedure(message, wParam, lParam);
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case kTrayMessage:
            OnTrayEvent(LOWORD(lParam));
            return 0;
        case kPrepareRunMessage:
            return OnPrepareRun(reinterpret_cast<RuntimeText*>(lParam));
        case kBalloonMessage: {
            const auto& request = *reinterpret_cast<const BalloonRequest*>(lParam);
            if (balloon_)
                balloon_->Show({request.where.x, request.where.y}, Utf8ToWide(*request.text));
            return 0;
        }
        case kTrackingMessage: {
            const auto& next =
                *reinterpret_cast<const std::function<std::uint32_t(std::uint32_t)>*>(lParam);
            cursorTrackingInterval_ = next(cursorTrackingInterval_);
            if (cursorTrackingInterval_ == 0)
                KillTimer(Handle(), kClock3);
            else
                SetTimer(Handle(), kClock3, cursorTrackingInterval_, nullptr);
            return 0;
        }
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

void MainWindow::OnDestroy() {
    KillTimer(Handle(), kClock2);
    KillTimer(Handle(), kClock3);
    balloon_.reset();
    trayIcon_.reset();
    PostQuitMessage(0);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    HWND editor = Control(layout::kEditor);
    if (control != nullptr && code != BN_CLICKED) return;
    switch (id) {
        case layout::kMenuProgram:
        case layout::kMenuEdit:
        case layout::kMenuSettings:
            PopUpMenu(id == layout::kMenuProgram ? programMenu_.get()
                      : id == layout::kMenuEdit  ? editMenu_.get()
                                                 : settingsMenu_.get(),
                      id);
            break;
        case layout::kHelpToggle:
            helpPanel_.Toggle();
            break;
        case layout::kRunToggle:
            runPanel_.Toggle();
            break;
        case layout::kGo:
            RunCurrentScript();
            break;
        case layout::kBind:
            application_.Binding().BindHotkey();
            break;
        case layout::kExit:
        case layout::kPicture1:
            DestroyWindow(Handle());
            break;
        case layout::kMaximize:
            ToggleMaximized();
            break;
        case layout::kMinimize:
        case layout::kPicture3:
            HideToTray();
            break;
        case layout::kHelpLoop:
        case layout::kHelpDelay:
        case layout::kHelpRun:
        case layout::kHelpSpecialKey:
        case layout::kHelpClick:
        case layout::kHelpTyping:
        case layout::kHelpMove:
        case layout::kHelpMessageBox:
            ShowHelpText(id);
            break;
        case kCmdToggleTree:
            ToggleTree();
            break;
        case kCmdUndo:
            SendMessageW(editor, EM_UNDO, 0, 0);
            break;
        case kCmdCopy:
            SendMessageW(editor, WM_COPY, 0, 0);
            break;
        case kCmdPaste:
            SendMessageW(editor, WM_PASTE, 0, 0);
            break;
        case kCmdCut:
            SendMessageW(editor, WM_CUT, 0, 0);
            break;
        case kCmdSelectAll:
            SendMessageW(editor, EM_SETSEL, 0, -1);
            break;
        case kCmdAutoSave: {
            const UINT state = GetMenuState(editMenu_.get(), kCmdAutoSave, MF_BYCOMMAND);
            CheckMenuItem(editMenu_.get(), kCmdAutoSave,
                          MF_BYCOMMAND | ((state & MF_CHECKED) ? MF_UNCHECKED : MF_CHECKED));
            break;
        }
        default:
            break;  // the remaining menu items come with their own windows
    }
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (tree_ && library_ && tree_->IsSelectionChange(header)) {
        OnTreeSelectionChanged(*library_);
        return 0;
    }
    if (header.idFrom == layout::kTree && header.code == NM_RCLICK) {
        POINT cursor{};
        GetCursorPos(&cursor);
        TrackPopupMenu(programMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x,
                       cursor.y, 0, Handle(), nullptr);
        return 1;
    }
    return 0;
}

void MainWindow::PopUpMenu(HMENU menu, int buttonId) {
    // Just below the button: x from the window's left edge plus the button's left, y from the
    // window's top plus the button's top and height.
    const auto* place = FindPlace(buttonId);
    RECT window{};
    GetWindowRect(Handle(), &window);
    const int x = window.left + place->x;
    const int y = window.top + place->y + place->height;
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, x, y, 0, Handle(), nullptr);
}

LRESULT MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    const int id = static_cast<int>(item.CtlID);
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (IsFlatButton(id)) {
        const bool onMenuBar =
            id == layout::kMenuProgram || id == layout::kMenuEdit || id == layout::kMenuSettings;
        const COLORREF background =
            pressed ? 0xE9E9E9 : (onMenuBar ? colors_.menuBackground : 0xE9E9E9);
        const UniqueGdiObject brush(CreateSolidBrush(background));
        FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
        wchar_t caption[64] = {};
        GetWindowTextW(item.hwndItem, caption, 64);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, onMenuBar ? colors_.menuText : RGB(0, 0, 0));
        const HGDIOBJ oldFont = SelectObject(dc, uiFont_.get());
        DrawTextW(dc, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
        return TRUE;
    }
    if (IsPictureButton(id)) {
        // The title bar's buttons: a plain glyph on the title bar's colour.
        const COLORREF background = pressed ? 0xD0D0D0 : colors_.titleBackground;
        const UniqueGdiObject brush(CreateSolidBrush(background));
        FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
        const UniqueGdiObject pen(CreatePen(PS_SOLID, 2, colors_.titleText));
        const HGDIOBJ oldPen = SelectObject(dc, pen.get());
        const int cx = (rect.left + rect.right) / 2;
        const int cy = (rect.top + rect.bottom) / 2;
        switch (id) {
            case layout::kExit:
            case layout::kPicture1:
                MoveToEx(dc, cx - 5, cy - 5, nullptr);
                LineTo(dc, cx + 6, cy + 6);
                MoveToEx(dc, cx + 5, cy - 5, nullptr);
                LineTo(dc, cx - 6, cy + 6);
                break;
            case layout::kMaximize: {
                const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
                Rectangle(dc, cx - 5, cy - 5, cx + 6, cy + 6);
                SelectObject(dc, oldBrush);
                break;
            }
            case layout::kPicture3:
                // Hide to the notification area: an arrow down onto a tray line.
                MoveToEx(dc, cx - 5, cy - 4, nullptr);
                LineTo(dc, cx, cy + 1);
                LineTo(dc, cx + 6, cy - 5);
                MoveToEx(dc, cx - 6, cy + 5, nullptr);
                LineTo(dc, cx + 7, cy + 5);
                break;
            default:
                MoveToEx(dc, cx - 6, cy + 4, nullptr);
                LineTo(dc, cx + 7, cy + 4);
                break;
        }
        SelectObject(dc, oldPen);
        return TRUE;
    }
    return FALSE;
}

LRESULT MainWindow::OnControlColor(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id == layout::kTitle) {
        SetTextColor(dc, colors_.titleText);
        SetBkColor(dc, colors_.titleBackground);
        return reinterpret_cast<LRESULT>(titleBrush_.get());
    }
    if (id == layout::kMenuBar) {
        SetBkColor(dc, colors_.menuBackground);
        return reinterpret_cast<LRESULT>(menuBrush_.get());
    }
    if (id == layout::kSeparator) {
        SetBkColor(dc, RGB(0xA0, 0xA0, 0xA0));
        return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    }
    if (id == layout::kProcessLabel || id == layout::kXLabel || id == layout::kYLabel) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(windowBrush_.get());
    }
    return DefaultProcedure(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
}

LRESULT MainWindow::OnNcHitTest(LPARAM lParam) {
    const LRESULT hit = DefaultProcedure(WM_NCHITTEST, 0, lParam);
    if (hit != HTCLIENT || IsZoomed(Handle())) return hit;
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(Handle(), &point);
    // The title bar (what the caption buttons leave free) moves the window.
    return point.y < 30 ? HTCAPTION : hit;
}

bool MainWindow::OnSetCursor(HWND over) {
    const int id = GetDlgCtrlID(over);
    if (over != Handle() && (IsFlatButton(id) || IsPictureButton(id))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return true;
    }
    return false;
}

void MainWindow::OnTimer(UINT_PTR id) {
    if (id == kClock2) helpPanel_.SetBackground(runPanel_.Background());
    if (id == kClock3) application_.Binding().ShowCursorPosition();
}

void MainWindow::OnTrayEvent(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK ||
        mouseMessage == WM_RBUTTONUP)
        RestoreFromTray();
}

// --- the hotkey binding's view ---

namespace {
Utf8Text ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return WideToUtf8(text);
}
}  // namespace

Utf8Text MainWindow::ProcessNameText() {
    return ControlText(Control(layout::kProcessEdit));
}

Utf8Text MainWindow::HotkeyEditText() {
    return ControlText(Control(layout::kHotkeyEdit));
}

void MainWindow::SetHotkeyEditText(const Utf8Text& text) {
    SetWindowTextW(Control(layout::kHotkeyEdit), Utf8ToWide(text).c_str());
}

void MainWindow::ShowCursorCoordinates(const Utf8Text& x, const Utf8Text& y) {
    SetWindowTextW(Control(layout::kXEdit), Utf8ToWide(x).c_str());
    SetWindowTextW(Control(layout::kYEdit), Utf8ToWide(y).c_str());
}

void MainWindow::ChangeCursorTrackingInterval(
    const std::function<std::uint32_t(std::uint32_t current)>& next) {
    // 时钟3 belongs to the user-interface thread; F1's callback runs on a thread of its own.
    SendMessageW(Handle(), kTrackingMessage, 0, reinterpret_cast<LPARAM>(&next));
}

// A key pressed in the hotkey edit shows the key's name and nothing else: the typed character
// does not land in the edit.
LRESULT CALLBACK MainWindow::HotkeyEditProcedure(HWND edit, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (message == WM_SYSKEYDOWN && wParam == VK_F4) break;  // Alt+F4 keeps its meaning
            reinterpret_cast<MainWindow*>(self)->application_.Binding().ShowHotkeyName(
                static_cast<int>(wParam));
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
            return 0;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

// --- window states ---

void MainWindow::ToggleMaximized() {
    ShowWindow(Handle(), IsZoomed(Handle()) ? SW_RESTORE : SW_MAXIMIZE);
}

void MainWindow::HideToTray() {
    ShowWindow(Handle(), SW_MINIMIZE);
    ShowWindow(Handle(), SW_HIDE);
}

void MainWindow::RestoreFromTray() {
    ShowWindow(Handle(), SW_RESTORE);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetForegroundWindow(Handle());
    InvalidateRect(Control(layout::kPicture3), nullptr, TRUE);
}

void MainWindow::ToggleTree() {
    HWND tree = Control(layout::kTree);
    HWND editor = Control(layout::kEditor);
    RECT rect{};
    GetWindowRect(editor, &rect);
    MapWindowPoints(HWND_DESKTOP, Handle(), reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    treeHidden_ = !treeHidden_;
    ModifyMenuW(programMenu_.get(), kCmdToggleTree, MF_BYCOMMAND | MF_STRING, kCmdToggleTree,
                treeHidden_ ? L"显示菜单" : L"隐藏菜单");
    if (treeHidden_) {
        ShowWindow(tree, SW_HIDE);
        MoveWindow(editor, 2, rect.top, width + layout::kTreeWidth, height, TRUE);
    } else {
        ShowWindow(tree, SW_SHOW);
        MoveWindow(editor, layout::kTreeWidth, rect.top, width - layout::kTreeWidth, height, TRUE);
    }
}

void MainWindow::ShowHelpText(int buttonId) {
    for (const auto& help : kHelpTexts) {
        if (help.buttonId != buttonId) continue;
        HWND box = Control(layout::kHelpText);
        SetWindowTextW(box, Utf8ToWide(help.text).c_str());
        const auto* place = FindPlace(layout::kHelpText);
        SetWindowPos(box, nullptr, 0, 0, place->width, help.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(helpPanel_.Handle(), nullptr, TRUE);
    }
}

}  // namespace kavo
