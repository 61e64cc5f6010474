// The main window's title bar on a window of its own, built from the control table with the
// caption buttons and picture boxes as the program makes them: which control takes the pointer
// on each column of the bar, the title strip's hit test, and maximising and restoring by a
// double click on the strip and by 最大化, both ways.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "app/control_table_win32.h"
#include "app/roll_up_panel_win32.h"
#include "app/title_bar_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/win32_platform.h"
#include "shell/main_window_layout.h"
#include "shell/main_window_services_win32.h"
#include "test_support_win32.h"
#include "ui/caption_button_win32.h"

namespace kavo {
namespace {

using test::WaitFor;

// Long enough for the pointer's move to be handled; a wait that fails ends the case early.
constexpr auto kSettle = std::chrono::seconds(3);

// The main window's services as far as the title bar uses them: the window, its controls, the
// command table and the message handlers. The rest is never asked for.
class TitleBarHost : public MainWindowServices {
  public:
    TitleBarHost() {
        WNDCLASSW windowClass{};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(
            WS_EX_TOPMOST, kClassName, L"title bar test",
            WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU, 150, 120,
            ScaleToDpi(layout::kWindowWidth, WindowDpi(nullptr)),
            ScaleToDpi(layout::kWindowHeight, WindowDpi(nullptr)), nullptr, nullptr,
            GetModuleHandleW(nullptr), this);
        if (window_ == nullptr) return;
        CreateMainWindowControls(window_, helpPanel_, runPanel_, ControlFonts{});
        titleBar_ = std::make_unique<TitleBar>(*this, [this] { ++closes_; });
        titleBar_->Install();
        const auto colors = [] { return TitleColors{}; };
        const auto make = [&](int id, TitleGlyph glyph, CaptionButton::Reaction reaction) {
            buttons_[id] = std::make_unique<CaptionButton>(Control(id), colors, glyph, reaction);
        };
        make(layout::kExit, TitleGlyph::Close, CaptionButton::Reaction::Fade);
        make(layout::kMaximize, TitleGlyph::Maximize, CaptionButton::Reaction::Fade);
        make(layout::kMinimize, TitleGlyph::Minimize, CaptionButton::Reaction::Fade);
        make(layout::kCloseBox, TitleGlyph::Close, CaptionButton::Reaction::HoverBackground);
        make(layout::kHideBox, TitleGlyph::HideToTray, CaptionButton::Reaction::HoverBackground);
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
    }
    ~TitleBarHost() {
        buttons_.clear();
        if (window_ != nullptr) DestroyWindow(window_);
    }
    TitleBarHost(const TitleBarHost&) = delete;
    TitleBarHost& operator=(const TitleBarHost&) = delete;

    const CaptionButton& Button(int id) const { return *buttons_.at(id); }
    int Closes() const { return closes_; }

    HWND Window() override { return window_; }
    HWND Control(int id) override {
        return FindMainWindowControl(window_, helpPanel_.Handle(), runPanel_.Handle(), id);
    }
    MenuCommands& Commands() override { return commands_; }
    HMENU Menu(MainMenu) override { return nullptr; }
    Library& TheLibrary() override { std::abort(); }
    Win32EditorWidget& Editor() override { std::abort(); }
    Win32TreeWidget& Tree() override { std::abort(); }
    Win32Platform& Platform() override { return ThePlatform(); }
    MainWindowEvents& Events() override { return events_; }
    void OnControlCommand(int, CommandHandler) override {}
    void OnControlNotify(int, NotifyHandler) override {}
    void OnDrawItem(int, DrawItemHandler) override {}
    void OnTimer(UINT_PTR, std::function<void()>) override {}
    void OnAppMessage(AppMessage, MessageHandler) override {}
    void SetTrayTip(const Utf8Text&) override {}
    void ShowTrayBalloon(const Utf8Text&, const Utf8Text&) override {}
    void RestoreWindow() override {}
    void HideToTray() override { titleBar_->HideToTray(); }
    MainWindowColors& Colors() override { return colors_; }
    void ApplyColors() override {}

  private:
    static constexpr wchar_t kClassName[] = L"KavoTitleBarTestWindow";

    // As the main window dispatches: the title bar's hit test and double click, then button
    // clicks to the commands.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* host = reinterpret_cast<TitleBarHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (host != nullptr && host->titleBar_) {
            if (message == WM_NCHITTEST)
                return host->titleBar_->HitTest(DefWindowProcW(window, message, wParam, lParam),
                                                lParam);
            if (message == WM_NCLBUTTONDBLCLK && wParam == HTCAPTION) {
                host->titleBar_->ToggleMaximized();
                return 0;
            }
            if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
                host->commands_.Dispatch(LOWORD(wParam));
                return 0;
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    RollUpPanel helpPanel_;
    RollUpPanel runPanel_;
    MenuCommands commands_;
    MainWindowColors colors_;
    MainWindowEvents events_;
    std::unique_ptr<TitleBar> titleBar_;
    std::map<int, std::unique_ptr<CaptionButton>> buttons_;
    int closes_ = 0;
};

class TitleBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ParkCursorAway();
        host_ = std::make_unique<TitleBarHost>();
        ASSERT_NE(host_->Window(), nullptr);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Window()) != FALSE; }));
        dpi_ = WindowDpi(Window());
        GetWindowRect(Window(), &normalRect_);
    }
    void TearDown() override {
        if (GetCapture() != nullptr) ReleaseCapture();
        host_.reset();
        test::ParkCursorAway();
    }

    HWND Window() { return host_->Window(); }
    int S(int design) const { return ScaleToDpi(design, dpi_); }

    // A point of the window's client area on the screen, wherever the window is now.
    POINT Screen(int x, int y) { return test::ClientToScreenPoint(Window(), x, y); }

    LRESULT HitTest(POINT screen) {
        return SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    }

    // The real pointer moves there, as a person's mouse would move it.
    void MovePointer(POINT screen) {
        SetCursorPos(screen.x, screen.y);
        ASSERT_TRUE(WaitFor([&] {
            const POINT at = test::CursorPos();
            return at.x == screen.x && at.y == screen.y;
        }));
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;  // no distance: a move event where the pointer is
        SendInput(1, &move, sizeof move);
        test::PumpMessagesFor(std::chrono::milliseconds(50));
    }
    void Click(POINT screen) {
        MovePointer(screen);
        INPUT press[2]{};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof(INPUT));
    }

    bool Zoomed() { return IsZoomed(Window()) != FALSE; }
    bool AtNormalPlace() {
        RECT rect{};
        GetWindowRect(Window(), &rect);
        return !Zoomed() && EqualRect(&rect, &normalRect_);
    }
    bool Maximised() {
        RECT rect{};
        GetWindowRect(Window(), &rect);
        return Zoomed() && rect.right - rect.left > normalRect_.right - normalRect_.left;
    }

    std::unique_ptr<TitleBarHost> host_;
    UINT dpi_ = 96;
    RECT normalRect_{};
};

TEST_F(TitleBarTest, MaximiseTakesItsWholeWidthAndThePictureBoxesWhatTheButtonsLeave) {
    // Columns of the design, left to right; the rest of the strip is the window's own (the
    // title label lets the pointer through to it).
    struct Columns {
        int from, to;  // design pixels, both included
        int id;        // 0: the window itself
    };
    const Columns table[] = {
        {0, 501, 0},
        {502, 531, layout::kMinimize},
        {532, 534, 0},
        {535, 535, layout::kHideBox},   // the one column 最大化 leaves 图片框3
        {536, 565, layout::kMaximize},  // all of 最大化, its glyph in the middle
        {566, 569, 0},
        {570, 599, layout::kCloseBox},  // over 退出, which closes the window too
    };
    const int y = S(15);
    for (const Columns& columns : table) {
        HWND expected = columns.id == 0 ? Window() : host_->Control(columns.id);
        // Every window pixel of the design columns (more than one per column above 96 DPI).
        for (int x = S(columns.from); x < S(columns.to + 1); ++x) {
            SCOPED_TRACE(x);
            EXPECT_EQ(WindowFromPoint(Screen(x, y)), expected);
        }
    }
}

TEST_F(TitleBarTest, TheTitleStripIsTheCaptionMaximisedOrNot) {
    for (const bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "maximised" : "normal");
        if (maximised) {
            host_->Commands().Dispatch(layout::kMaximize);
            ASSERT_TRUE(WaitFor([&] { return Maximised(); }));
        }
        EXPECT_EQ(HitTest(Screen(S(5), S(2))), HTCAPTION);
        EXPECT_EQ(HitTest(Screen(S(300), S(15))), HTCAPTION);
        EXPECT_EQ(HitTest(Screen(S(300), S(29))), HTCAPTION);
        // Below the strip the window is client area (positive control of the strip's bound).
        EXPECT_EQ(HitTest(Screen(S(300), S(30))), HTCLIENT);
        EXPECT_EQ(HitTest(Screen(S(300), S(300))), HTCLIENT);
    }
}

TEST_F(TitleBarTest, ADoubleClickOnTheTitleStripTogglesBothWays) {
    // As the system turns a double click into a message: the hit test's answer goes along.
    const auto doubleClick = [&](int x, int y) {
        const POINT at = Screen(x, y);
        SendMessageW(Window(), WM_NCLBUTTONDBLCLK, static_cast<WPARAM>(HitTest(at)),
                     MAKELPARAM(at.x, at.y));
    };
    // Below the strip a double click changes nothing.
    doubleClick(S(300), S(300));
    test::PumpMessagesFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(AtNormalPlace());

    doubleClick(S(300), S(15));
    ASSERT_TRUE(WaitFor([&] { return Maximised(); }));
    doubleClick(S(300), S(300));
    test::PumpMessagesFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(Maximised());

    doubleClick(S(300), S(15));
    EXPECT_TRUE(WaitFor([&] { return AtNormalPlace(); }));
    doubleClick(S(100), S(5));
    EXPECT_TRUE(WaitFor([&] { return Maximised(); }));
    doubleClick(S(100), S(5));
    EXPECT_TRUE(WaitFor([&] { return AtNormalPlace(); }));
}

TEST_F(TitleBarTest, ClicksAnywhereOnMaximiseToggleBothWaysAndThePictureBoxColumnHides) {
    const CaptionButton& hideBox = host_->Button(layout::kHideBox);
    const CaptionButton& maximize = host_->Button(layout::kMaximize);
    // Its first column, its glyph's middle and its last column; each time the pointer comes from
    // 图片框3, which must let go of it on the way.
    const int columns[] = {536, 551, 565, 551};
    bool maximised = false;
    for (const int column : columns) {
        SCOPED_TRACE(column);
        MovePointer(Screen(S(535), S(15)));
        ASSERT_TRUE(WaitFor([&] { return hideBox.PointerIsInside(); }, kSettle));
        MovePointer(Screen(S(column), S(15)));
        ASSERT_TRUE(WaitFor([&] { return maximize.PointerIsInside(); }, kSettle));
        EXPECT_FALSE(hideBox.PointerIsInside());
        EXPECT_NE(GetCapture(), host_->Control(layout::kHideBox));
        Click(Screen(S(column), S(15)));
        maximised = !maximised;
        ASSERT_TRUE(WaitFor([&] { return maximised ? Maximised() : AtNormalPlace(); }));
    }
    EXPECT_TRUE(IsWindowVisible(Window()));
    // 图片框3's own column hides the window to the tray, as 最小化 does.
    Click(Screen(S(535), S(15)));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(Window()); }));
    EXPECT_EQ(host_->Closes(), 0);
}

}  // namespace
}  // namespace kavo
