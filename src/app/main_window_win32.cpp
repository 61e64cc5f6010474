#include "app/main_window_win32.h"

#include <windows.h>
#include <commctrl.h>

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
    if (events_.closingRequested.Raise()) {
        // A feature keeps the window open: the user's edits could not be put away.
        closing_ = false;
        events_.closeRefused.Raise();
        return;
    }
    events_.closing.Raise();
    events_.lastClosing.Raise();
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

void MainWindow::HideToTray() {
    titleBar_.HideToTray();
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
    // The controls the window itself owns: the flat buttons it draws, and the editor, which
    // hands its notifications on to the features as events.
    for (const layout::ControlPlace& place : layout::kControls)
        if (place.kind == layout::Kind::FlatButton)
            OnDrawItem(place.id, [this](const DRAWITEMSTRUCT& item) {
                return painter_.DrawFlatButton(item, static_cast<HFONT>(uiFont_.get()));
            });
    OnControlCommand(layout::kEditor, [this](int code) { editor_->OnCommand(code); });
    OnControlNotify(layout::kEditor,
                    [this](const NMHDR& header) { return editor_->OnNotify(header); });
    // The small windows' title strips take the title bar's colours as they are when they open.
    UseSmallWindowTitleColors([this] {
        return TitleColors{painter_.Colors().titleBackground, painter_.Colors().titleText};
    });
    features_ = std::make_unique<Features>(*this, ProgramState{engine_, hotkeys_});
    ApplyColors();
    return 0;
}

void MainWindow::PrepareEditor() {
    // Web addresses in what is already there are detected as links too.
    editor_->ReplaceText(editor_->ReadText());
    ApplyEditorDefaultLook(Control(layout::kEditor));
}

// --- events ---

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (trayIcon_ && trayIcon_->HandleTaskbarCreated(message)) return 0;
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
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), wParam, lParam);
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) events_.activated.Raise();
            return DefaultProcedure(message, wParam, lParam);
        case WM_SETFOCUS:
            events_.focused.Raise();
            return DefaultProcedure(message, wParam, lParam);
        case WM_WINDOWPOSCHANGED:
            events_.positionChanged.Raise();
            return DefaultProcedure(message, wParam, lParam);
        case WM_MOVE:
        case WM_SIZE:
        case WM_ENTERSIZEMOVE:
            events_.moved.Raise();
            return DefaultProcedure(message, wParam, lParam);
        case WM_LBUTTONUP:
            events_.backgroundClicked.Raise();
            return DefaultProcedure(message, wParam, lParam);
        case WM_DPICHANGED:
            events_.dpiChanged.Raise(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_NCHITTEST:
            // The system answers first; only its answer for the client area is adjusted.
            return titleBar_.HitTest(DefaultProcedure(message, wParam, lParam), lParam);
        case WM_NCLBUTTONDBLCLK:
            if (wParam != HTCAPTION) return DefaultProcedure(message, wParam, lParam);
            titleBar_.ToggleMaximized();
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession(wParam, lParam);
        case WM_ENDSESSION:
            events_.sessionEnded.Raise(wParam != FALSE);
            return DefaultProcedure(message, wParam, lParam);
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
            OnTrayEvent(lParam);
            return 0;
        default:
            if (const std::optional<LRESULT> answer = OnAppMessage(message, wParam, lParam))
                return *answer;
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
    // Menu items, accelerators and buttons' clicks go by their id through the command table;
    // any other notification to the one owner of its control.
    if (control == nullptr || code == BN_CLICKED) {
        commands_.Dispatch(id);
        return;
    }
    const auto owner = controlCommands_.find(id);
    if (owner != controlCommands_.end()) owner->second(code);
}

LRESULT MainWindow::OnNotify(const NMHDR& header, WPARAM wParam, LPARAM lParam) {
    const auto owner = controlNotifications_.find(static_cast<int>(header.idFrom));
    if (owner != controlNotifications_.end())
        if (const std::optional<LRESULT> answer = owner->second(header)) return *answer;
    return DefaultProcedure(WM_NOTIFY, wParam, lParam);
}

LRESULT MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    const auto owner = drawItems_.find(static_cast<int>(item.CtlID));
    return owner != drawItems_.end() && owner->second(item) ? TRUE : FALSE;
}

void MainWindow::OnTimer(UINT_PTR id) {
    const auto owner = timers_.find(id);
    if (owner != timers_.end()) owner->second();
}

std::optional<LRESULT> MainWindow::OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto owner = appMessages_.find(message);
    if (owner == appMessages_.end()) return std::nullopt;
    return owner->second(wParam, lParam);
}

LRESULT MainWindow::OnQueryEndSession(WPARAM wParam, LPARAM lParam) {
    // A feature that holds the session's end (unsaved edits) answers FALSE for the window.
    if (events_.sessionEndQueried.Raise()) return FALSE;
    return DefaultProcedure(WM_QUERYENDSESSION, wParam, lParam);
}

bool MainWindow::OnSetCursor(HWND over) {
    if (over == Handle()) return false;
    const auto* place = FindPlace(GetDlgCtrlID(over));
    if (place == nullptr || !ShowsHandCursor(place->kind)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

namespace {

// The icon's message: with the icon's first interface version, which the icon uses, lParam is
// the mouse message itself.
TrayClick DecodeTrayClick(LPARAM lParam) {
    switch (LOWORD(lParam)) {
        case WM_LBUTTONDOWN:
            return TrayClick::LeftDown;
        case WM_LBUTTONUP:
            return TrayClick::LeftUp;
        case WM_LBUTTONDBLCLK:
            return TrayClick::LeftDoubleClick;
        case WM_RBUTTONDOWN:
            return TrayClick::RightDown;
        case WM_RBUTTONUP:
            return TrayClick::RightUp;
        default:
            return TrayClick::Other;
    }
}

}  // namespace

void MainWindow::OnTrayEvent(LPARAM lParam) {
    const TrayClick click = DecodeTrayClick(lParam);
    if (events_.trayClicked.Raise(click)) return;  // taken (a recording ends)
    if (click == TrayClick::LeftUp || click == TrayClick::LeftDoubleClick ||
        click == TrayClick::RightUp)
        RestoreWindow();
}

}  // namespace kavo
