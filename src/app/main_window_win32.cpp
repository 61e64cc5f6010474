#include "app/main_window_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "app/control_table_win32.h"
#include "app/features_win32.h"
#include "app/single_instance_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/win32_platform.h"
#include "resource_ids.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"
#include "ui/gdi_win32.h"
#include "ui/small_window_win32.h"
#include "ui/ui_thread_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoMainWindow";

// The title bar text; the window's own title (what the single-instance rule compares) is
// MainWindow::kTitle.
constexpr wchar_t kTitleCaption[] = L"        KAVO脚本助手       For Windows 7 - 11";

bool ShowsHandCursor(layout::Kind kind) {
    return kind == layout::Kind::FlatButton || kind == layout::Kind::PictureButton;
}

}  // namespace

MainWindow::MainWindow(Win32Platform& platform, ScriptEngine& engine, HotkeyMonitor& hotkeys)
    : platform_(platform),
      engine_(engine),
      hotkeys_(hotkeys),
      titleBar_(*this, [this] { Close(); }) {}

MainWindow::~MainWindow() {
    features_.reset();
    trayIcon_.reset();
    if (Handle() != nullptr) DestroyWindow(Handle());
}

bool MainWindow::Create() {
    bigIcon_.reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KAVO),
                                      IMAGE_ICON, 128, 128, LR_DEFAULTCOLOR)));
    smallIcon_.reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KAVO), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    if (!RegisterClassOnce(kClassName, nullptr, bigIcon_.get(), CS_DBLCLKS)) return false;
    // No system frame: the window draws its own title bar. Centred on the primary screen, at
    // its DPI.
    const UINT dpi = WindowDpi(nullptr);
    const int width = ScaleToDpi(layout::kWindowWidth, dpi);
    const int height = ScaleToDpi(layout::kWindowHeight, dpi);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window =
        CreateWindowFor(WS_EX_APPWINDOW, kClassName, kTitle,
                        WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU,
                        x, y, width, height, nullptr, nullptr);
    return window != nullptr;
}

void MainWindow::Show() {
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
    SetForegroundWindow(Handle());
    // The menu bar label takes the keyboard focus, so no control starts with a caret.
    SetFocus(Control(layout::kMenuBar));
}

void MainWindow::Close() {
    if (closing_ || Handle() == nullptr) return;
    closing_ = true;
    for (const auto& step : closingSteps_) step();
    for (const auto& step : lastClosingSteps_) step();
    DestroyWindow(Handle());
}

bool MainWindow::TranslateShortcut(MSG& message) {
    return Handle() != nullptr && editor_ &&
           menus_.TranslateShortcut(Handle(), editor_->Handle(), message);
}

HWND MainWindow::Control(int id) {
    return FindMainWindowControl(Handle(), helpPanel_.Handle(), runPanel_.Handle(), id);
}

void MainWindow::SetTrayTip(const Utf8Text& tip) {
    RunOnUiThread([this, &tip] {
        if (trayIcon_) trayIcon_->SetTip(Utf8ToWide(tip));
    });
}

void MainWindow::RestoreWindow() {
    titleBar_.RestoreFromTray();
}

void MainWindow::ShowTrayBalloon(const Utf8Text& title, const Utf8Text& text) {
    RunOnUiThread([this, &title, &text] {
        if (trayIcon_) trayIcon_->ShowBalloon(Utf8ToWide(title), Utf8ToWide(text));
    });
}

void MainWindow::ApplyColors() {
    painter_.Apply(Handle(), Control(layout::kTree), Control(layout::kEditor), helpPanel_,
                   runPanel_);
}

// --- start-up ---

LRESULT MainWindow::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    uiFont_ = MakeUiFont(dpi, 12);
    titleFont_ = MakeUiFont(dpi, 13, true);
    CreateMainWindowControls(
        Handle(), helpPanel_, runPanel_,
        {static_cast<HFONT>(uiFont_.get()), static_cast<HFONT>(titleFont_.get())});
    SetWindowTextW(Control(layout::kTitle), kTitleCaption);
    // Single-instance rule: this window is not visible yet, so it never finds itself.
    if (VisibleWindowTitled(kTitle)) return -1;
    titleBar_.Install();
    commands_.Register(layout::kMenuProgram, [this] {
        menus_.PopUpBelow(MainMenu::Program, Handle(), layout::kMenuProgram);
    });
    commands_.Register(layout::kMenuEdit,
                       [this] { menus_.PopUpBelow(MainMenu::Edit, Handle(), layout::kMenuEdit); });
    commands_.Register(layout::kMenuSettings, [this] {
        menus_.PopUpBelow(MainMenu::Settings, Handle(), layout::kMenuSettings);
    });
    painter_.TrackMenuButtons({Control(layout::kMenuProgram), Control(layout::kMenuEdit),
                               Control(layout::kMenuSettings)});
    commands_.Register(layout::kHelpToggle, [this] { helpPanel_.Toggle(); });
    commands_.Register(layout::kRunToggle, [this] { runPanel_.Toggle(); });

    tree_ = std::make_unique<Win32TreeWidget>(Control(layout::kTree));
    editor_ = std::make_unique<Win32EditorWidget>(Control(layout::kEditor));
    treeImages_ = CreateLibraryImageList(dpi);
    tree_->SetImageList(static_cast<HIMAGELIST>(treeImages_.get()));
    library_ = std::make_unique<Library>(platform_, *tree_, *editor_,
                                         [this] { platform_.ProcessPendingEvents(); });
    StartLibrary(*library_);
    PrepareEditor();
    trayIcon_ =
        std::make_unique<TrayIcon>(Handle(), kTrayIconMessage, smallIcon_.get(), L"KAVO脚本助手");
    // The small windows' title strips take the title bar's colours as they are when they open.
    UseSmallWindowTitleColors([this] {
        return TitleColors{painter_.Colors().titleBackground, painter_.Colors().titleText};
    });
    features_ = std::make_unique<Features>(*this, ProgramState{engine_, hotkeys_});
    ApplyColors();
    return 0;
}

void ApplyEditorDefaultLook(HWND editor) {
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

void MainWindow::PrepareEditor() {
    HWND editor = Control(layout::kEditor);
    // Report clicks on web addresses, and detect them in what is already there.
    const LRESULT mask = SendMessageW(editor, EM_GETEVENTMASK, 0, 0);
    SendMessageW(editor, EM_SETEVENTMASK, 0, mask | ENM_LINK);
    SendMessageW(editor, EM_AUTOURLDETECT, TRUE, 0);
    editor_->ReplaceText(editor_->ReadText());
    ApplyEditorDefaultLook(editor);
}

// --- events ---

std::optional<LRESULT> MainWindow::RunHandlers(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = handlers_.find(message);
    if (found == handlers_.end()) return std::nullopt;
    for (const MessageHandler& handler : found->second)
        if (const std::optional<LRESULT> answer = handler(wParam, lParam)) return answer;
    return std::nullopt;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (trayIcon_ && trayIcon_->HandleTaskbarCreated(message)) return 0;
    if (const std::optional<LRESULT> answer = RunHandlers(message, wParam, lParam)) return *answer;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (const std::optional<LRESULT> brush = painter_.ControlColor(
                    reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
                return *brush;
            return DefaultProcedure(message, wParam, lParam);
        case WM_ERASEBKGND:
            painter_.EraseBackground(Handle(), reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            return DefaultProcedure(message, wParam, lParam);
        case kTrayIconMessage:
            OnTrayEvent(LOWORD(lParam));
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

void MainWindow::OnDestroy() {
    trayIcon_.reset();
    // Destroying the main window ends the program at once, also while a script started by
    // 直接运行 is running in a nested message loop or a hotkey run is going on: nothing of it
    // may go on clicking and typing without a window.
    ExitProcess(0);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    if (control != nullptr && code != BN_CLICKED) return;
    commands_.Dispatch(id);
}

LRESULT MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    return painter_.DrawFlatButton(item, static_cast<HFONT>(uiFont_.get())) ? TRUE : FALSE;
}

bool MainWindow::OnSetCursor(HWND over) {
    if (over == Handle()) return false;
    const auto* place = FindPlace(GetDlgCtrlID(over));
    if (place == nullptr || !ShowsHandCursor(place->kind)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

void MainWindow::OnTrayEvent(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK ||
        mouseMessage == WM_RBUTTONUP)
        RestoreWindow();
}

}  // namespace kavo
