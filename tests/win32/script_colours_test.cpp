// Colouring the script editor for display only: the undo history and the changed state stay
// as the typing left them.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <string>

#include "editor/editor_widget_win32.h"
#include "editor/script_colours_win32.h"
#include "text/encoding.h"

namespace kavo {
namespace {

class ScriptColoursTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(LoadLibraryW(L"msftedit.dll"), nullptr);
        edit_ = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 50,
                                50, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(edit_, nullptr);
        Win32EditorWidget(edit_).ReplaceText(Utf8ToGbk("延时(1)"));
        // Typed by the user: one step of the undo history.
        SendMessageW(edit_, EM_SETSEL, 5, 5);
        SendMessageW(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"X"));
        SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
    }
    void TearDown() override { DestroyWindow(edit_); }

    std::string Text() { return GbkToUtf8(Win32EditorWidget(edit_).ReadText()); }

    COLORREF ColourAt(LONG position) {
        CHARRANGE range{position, position + 1};
        SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        SendMessageW(edit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }

    HWND edit_ = nullptr;
};

TEST_F(ScriptColoursTest, ColouringShowsAndLeavesUndoSelectionAndChangedStateAlone) {
    SendMessageW(edit_, EM_SETSEL, 3, 3);
    {
        DisplayOnlyFormatting scope(edit_);
        FormatForDisplay(edit_, 0, 2, RGB(0, 0, 170), false, false);
        FormatForDisplay(edit_, 3, 4, RGB(200, 0, 0), false, true);
    }
    CHARRANGE selection{};
    SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 3);
    EXPECT_EQ(selection.cpMax, 3);
    EXPECT_EQ(SendMessageW(edit_, EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(ColourAt(0), RGB(0, 0, 170));
    EXPECT_EQ(ColourAt(3), RGB(200, 0, 0));
    EXPECT_EQ(Text(), "延时(1)X");
    // The one undo step there is takes back the typing, not the colours.
    SendMessageW(edit_, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(), "延时(1)");
}

// The control beside the test above: formatting made without the scope is a step of the undo
// history, which the first undo takes back before the typing.
TEST_F(ScriptColoursTest, FormattingOutsideTheScopeWouldBeAnUndoStep) {
    FormatForDisplay(edit_, 0, 2, RGB(0, 0, 170), false, false);
    SendMessageW(edit_, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(), "延时(1)X");
}

}  // namespace
}  // namespace kavo
