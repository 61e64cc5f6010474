// The title bar's buttons on a window of their own: the highlight's fade, the capture while the
// pointer is inside, the reset by a click on the background, and the picture boxes' hover colour.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <set>
#include <vector>

#include "ui/caption_button_win32.h"
#include "platform/win32/unique_handle.h"
#include "test_support_win32.h"

namespace kavo {
namespace {

constexpr int kButtonId = 77;

using test::CursorPos;

class CaptionButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ =
            CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"caption button host", WS_POPUP | WS_VISIBLE,
                            200, 200, 200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
        button_ = CreateWindowExW(
            0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 20, 20, 30, 30, host_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), nullptr, nullptr);
        ASSERT_NE(button_, nullptr);
        test::PumpMessagesFor(std::chrono::milliseconds(50));
    }
    void TearDown() override {
        if (GetCapture() != nullptr) ReleaseCapture();
        DestroyWindow(host_);
    }

    // Puts the real pointer at a point of the button (or outside it) and tells the button, as
    // the pointer's own move would.
    void MovePointer(int x, int y) {
        POINT screen{x, y};
        ClientToScreen(button_, &screen);
        SetCursorPos(screen.x, screen.y);
        // Wine places the X pointer asynchronously.
        ASSERT_TRUE(test::WaitFor([&] {
            const POINT at = CursorPos();
            return at.x == screen.x && at.y == screen.y;
        }));
        SendMessageW(button_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }

    // The transparencies the highlight passes through until it reaches target.
    std::vector<int> FadeUntil(const CaptionButton& button, int target) {
        std::vector<int> seen;
        test::WaitFor([&] {
            const int now = button.HighlightTransparency();
            if (seen.empty() || seen.back() != now) seen.push_back(now);
            return now == target;
        });
        return seen;
    }

    // The colour the button draws at its top left pixel.
    COLORREF DrawnCorner(const CaptionButton& button, bool pressed = false) {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        const UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, 30, 30));
        HGDIOBJ old = SelectObject(memory, bitmap.get());
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = kButtonId;
        item.hwndItem = button_;
        item.hDC = memory;
        item.rcItem = {0, 0, 30, 30};
        item.itemState = pressed ? ODS_SELECTED : 0;
        button.Draw(item);
        const COLORREF corner = GetPixel(memory, 1, 1);
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return corner;
    }

    // The title bar's colours as the button asks for them, live.
    std::function<TitleColors()> Colors() {
        return [this] { return colors_; };
    }

    HWND host_ = nullptr;
    HWND button_ = nullptr;
    TitleColors colors_;
};

TEST_F(CaptionButtonTest, TheHighlightFadesInWhileInsideAndOutAfterLeaving) {
    CaptionButton button(button_, Colors(), TitleGlyph::Minimize, CaptionButton::Reaction::Fade);
    EXPECT_EQ(DrawnCorner(button), colors_.background);
    MovePointer(15, 15);
    EXPECT_TRUE(button.PointerIsInside());
    EXPECT_EQ(GetCapture(), button_);
    const std::vector<int> in = FadeUntil(button, 0);
    ASSERT_EQ(in.back(), 0);
    EXPECT_GT(in.size(), 2u);  // it passed through steps on its way
    for (int value : in) EXPECT_EQ(value % 10, 0) << value;
    EXPECT_NE(DrawnCorner(button), colors_.background);

    // The right and bottom edges still count as inside.
    MovePointer(30, 30);
    EXPECT_TRUE(button.PointerIsInside());
    MovePointer(31, 15);
    EXPECT_FALSE(button.PointerIsInside());
    EXPECT_NE(GetCapture(), button_);
    EXPECT_EQ(FadeUntil(button, 100).back(), 100);
    EXPECT_EQ(DrawnCorner(button), colors_.background);
}

TEST_F(CaptionButtonTest, AClickOnTheBackgroundClearsTheHighlightAtOnce) {
    CaptionButton button(button_, Colors(), TitleGlyph::Maximize, CaptionButton::Reaction::Fade);
    MovePointer(15, 15);
    ASSERT_EQ(FadeUntil(button, 0).back(), 0);
    button.HideHighlight();
    EXPECT_EQ(button.HighlightTransparency(), 100);
    EXPECT_TRUE(button.PointerIsInside());  // whether the pointer is inside is left alone
    test::PumpMessagesFor(std::chrono::milliseconds(150));
    EXPECT_EQ(button.HighlightTransparency(), 100);
}

TEST_F(CaptionButtonTest, AFadeReversedHalfWayEndsInvisibleAndStaysSo) {
    CaptionButton button(button_, Colors(), TitleGlyph::Close, CaptionButton::Reaction::Fade);
    MovePointer(15, 15);
    ASSERT_TRUE(test::WaitFor([&] { return button.HighlightTransparency() <= 60; }));
    MovePointer(100, 15);
    EXPECT_EQ(FadeUntil(button, 100).back(), 100);
    test::PumpMessagesFor(std::chrono::milliseconds(200));
    EXPECT_EQ(button.HighlightTransparency(), 100);
    // Positive control: entering again lights it up again.
    MovePointer(15, 15);
    EXPECT_EQ(FadeUntil(button, 0).back(), 0);
}

TEST_F(CaptionButtonTest, AnotherWindowTakingTheMouseCountsAsLeaving) {
    CaptionButton button(button_, Colors(), TitleGlyph::Minimize, CaptionButton::Reaction::Fade);
    MovePointer(15, 15);
    ASSERT_TRUE(button.PointerIsInside());
    SetCapture(host_);
    EXPECT_FALSE(button.PointerIsInside());
    EXPECT_EQ(FadeUntil(button, 100).back(), 100);
}

TEST_F(CaptionButtonTest, APictureBoxTakesItsHoverColourAndTheResetPutsItAtRest) {
    colors_.background = RGB(0x20, 0x40, 0x60);
    CaptionButton picture(button_, Colors(), TitleGlyph::HideToTray,
                          CaptionButton::Reaction::HoverBackground,
                          [] { return static_cast<COLORREF>(RGB(0xFF, 0, 0)); });
    EXPECT_EQ(DrawnCorner(picture), colors_.background);
    MovePointer(15, 15);
    EXPECT_EQ(GetCapture(), button_);
    EXPECT_EQ(DrawnCorner(picture), RGB(0xFF, 0, 0));
    picture.Reset();
    EXPECT_FALSE(picture.PointerIsInside());
    EXPECT_NE(GetCapture(), button_);
    EXPECT_EQ(DrawnCorner(picture), colors_.background);
    // A title colour changed while at rest shows at once.
    colors_.background = RGB(1, 2, 3);
    EXPECT_EQ(DrawnCorner(picture), RGB(1, 2, 3));
}

}  // namespace
}  // namespace kavo
