// The scaling rule of the 96-DPI design: lengths, a change of monitor, the tree's pictures and
// the roll-up panel's two heights.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/roll_up_panel_win32.h"
#include "library/tree_widget_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

TEST(Dpi, DesignLengthsScaleToTheNearestPixel) {
    struct Case {
        int design;
        UINT dpi;
        int pixels;
    };
    const Case cases[] = {
        {600, 96, 600}, {600, 144, 900}, {547, 144, 821},  // 820.5: half a pixel rounds up
        {-1, 144, -2},  {24, 120, 30},   {25, 144, 38},   {0, 192, 0},
        {12, 144, 18},  {487, 192, 974}, {150, 168, 263},  // 262.5
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleToDpi(c.design, c.dpi), c.pixels) << c.design << " at " << c.dpi;
}

TEST(Dpi, AMoveToAnotherMonitorRescalesWhatIsThere) {
    EXPECT_EQ(RescaleForDpi(900, 144, 96), 600);
    EXPECT_EQ(RescaleForDpi(600, 96, 144), 900);
    EXPECT_EQ(RescaleForDpi(36, 144, 192), 48);  // a rolled-up panel stays a header
    EXPECT_EQ(RescaleForDpi(77, 0, 144), 77);    // no known DPI: left as it is
    EXPECT_GT(WindowDpi(nullptr), 0u);
}

TEST(Dpi, TheTreePicturesAreDrawnAtTheDpi) {
    for (const auto& [dpi, size] : {std::pair{96u, 16}, {120u, 20}, {144u, 24}, {192u, 32}}) {
        const UniqueImageList list = CreateLibraryImageList(dpi);
        ASSERT_TRUE(list) << dpi;
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(static_cast<HIMAGELIST>(list.get()), &width, &height);
        EXPECT_EQ(width, size) << dpi;
        EXPECT_EQ(height, size) << dpi;
        EXPECT_EQ(ImageList_GetImageCount(static_cast<HIMAGELIST>(list.get())), 4) << dpi;
    }
}

TEST(Dpi, APanelRollsBetweenItsHeaderAndItsFullHeightAtItsParentsDpi) {
    const UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"kavo dpi test", WS_POPUP, 0, 0, 400,
                                              400, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(parent);
    const UINT dpi = WindowDpi(parent.get());
    RollUpPanel panel;
    ASSERT_TRUE(panel.Create(parent.get(), 77, 10, 10, 152, 144));
    EXPECT_EQ(panel.CurrentHeight(), ScaleToDpi(144, dpi));
    panel.Toggle();
    EXPECT_EQ(panel.CurrentHeight(), ScaleToDpi(RollUpPanel::kHeaderHeight, dpi));
    panel.Toggle();
    EXPECT_EQ(panel.CurrentHeight(), ScaleToDpi(144, dpi));
    // Rescaled for another monitor with its own rounding: still open, and it rolls up.
    SetWindowPos(panel.Handle(), nullptr, 0, 0, ScaleToDpi(152, dpi), ScaleToDpi(144, dpi) + 1,
                 SWP_NOMOVE | SWP_NOZORDER);
    panel.Toggle();
    EXPECT_EQ(panel.CurrentHeight(), ScaleToDpi(RollUpPanel::kHeaderHeight, dpi));
}

}  // namespace
}  // namespace kavo
