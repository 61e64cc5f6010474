// Completion in a rich edit, driven by the messages a keyboard and a mouse send it: what opens
// the list, which keys it takes, what an insertion leaves in the text and the undo history.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "commands/script_words.h"
#include "editor/completion_popup_win32.h"
#include "editor/editor_widget_win32.h"
#include "text/encoding.h"
#include "text/wide.h"
#include "ui/subclass_win32.h"

namespace kavo {
namespace {

// The words these tests type, as the language has them (the table's rows of these names): a
// fixed choice, so that the lists these tests walk stay as they are when words are added.
ScriptVocabulary SomeWords() {
    std::vector<ScriptWord> rows;
    for (const char* name : {"信息框", "鼠标", "延时", "鼠标消息", "按键消息", "鼠标移动", "按键",
                             "计次循环", "计次循环尾", "运行"}) {
        const ScriptWord* row = FindScriptWord(name);
        EXPECT_NE(row, nullptr) << name;
        if (row != nullptr) rows.push_back(*row);
    }
    return ScriptVocabulary(rows);
}

// A key as a keyboard brings it through TranslateMessage: down, its character if it has one,
// up.
enum Key : WPARAM {
    kTab = VK_TAB,
    kEnter = VK_RETURN,
    kEscape = VK_ESCAPE,
    kUp = VK_UP,
    kDown = VK_DOWN,
    kLeft = VK_LEFT,
    kBack = VK_BACK,
    kShift = VK_SHIFT,
};

wchar_t CharacterOf(WPARAM key) {
    switch (key) {
        case VK_TAB:
            return L'\t';
        case VK_RETURN:
            return L'\r';
        case VK_ESCAPE:
            return 0x1B;
        case VK_BACK:
            return 0x08;
        default:
            return 0;
    }
}

class CompletionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(LoadLibraryW(L"msftedit.dll"), nullptr);
        edit_ = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 50,
                                50, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(edit_, nullptr);
        completion_ =
            std::make_unique<EditorCompletion>(edit_, SomeWords(), [this] { return mayOffer_; });
    }
    void TearDown() override {
        completion_.reset();
        DestroyWindow(edit_);
    }

    // A page with text, caret at its end.
    void Page(const std::string& utf8) {
        Win32EditorWidget(edit_).ReplaceText(Utf8ToGbk(utf8));
        SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(-1), -1);
        SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
    }
    // Characters as the input method hands them over.
    void Type(const std::string& utf8) {
        for (wchar_t c : Utf8ToWide(utf8)) SendMessageW(edit_, WM_CHAR, c, 1);
    }
    void Press(WPARAM key) {
        SendMessageW(edit_, WM_KEYDOWN, key, 1);
        if (const wchar_t c = CharacterOf(key)) SendMessageW(edit_, WM_CHAR, c, 1);
        SendMessageW(edit_, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    }

    std::string Text() { return GbkToUtf8(Win32EditorWidget(edit_).ReadText()); }
    LONG Caret() {
        CHARRANGE selection{};
        SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        return selection.cpMax;
    }
    std::vector<std::string> Offered() {
        std::vector<std::string> names;
        if (!completion_->IsOpen()) return names;
        for (const CommandWord* word : completion_->Offers())
            names.push_back(GbkToUtf8(word->name));
        return names;
    }

    HWND edit_ = nullptr;
    bool mayOffer_ = true;
    std::unique_ptr<EditorCompletion> completion_;
};

using Names = std::vector<std::string>;

TEST_F(CompletionTest, AWordStartOffersItsWordsOnlyWhereAStatementCanStart) {
    struct Case {
        std::string page;
        std::string typed;
        Names offered;
    };
    const Case cases[] = {
        {"", "鼠", {"鼠标", "鼠标消息", "鼠标移动"}},
        {"", "鼠标消", {"鼠标消息"}},
        {"延时(1) ", "按", {"按键消息", "按键"}},
        {"延时(1)\r\n", "计", {"计次循环", "计次循环尾"}},
        {"延时(", "鼠", {}},                               // inside brackets
        {"", "跳", {}},                                    // no word starts so
        {"", "x", {}},                                     // nor so
        {"{\\rtf1 ", "鼠", {}},                            // an RTF page
        {"{\\rtf1", "\r\n鼠", {}},                         // anywhere in it
        {"rtf ", "鼠", {"鼠标", "鼠标消息", "鼠标移动"}},  // the control beside the two above
    };
    for (const Case& c : cases) {
        Page(c.page);
        Type(c.typed);
        EXPECT_EQ(Offered(), c.offered) << c.page << "|" << c.typed;
        completion_->Close();
    }
}

TEST_F(CompletionTest, NothingIsOfferedWhileARecordingGoesOn) {
    mayOffer_ = false;
    Page("");
    Type("鼠");
    EXPECT_FALSE(completion_->IsOpen());
    mayOffer_ = true;  // the control: the same typing once the recording is over
    Type("标");
    EXPECT_EQ(Offered(), (Names{"鼠标", "鼠标消息", "鼠标移动"}));
}

TEST_F(CompletionTest, TheListIsAPopUpBelowTheCaretThatTakesNoFocus) {
    Page("延时(1)\r\n延时(2) ");
    Type("鼠标");
    ASSERT_TRUE(completion_->IsOpen());
    HWND list = completion_->ListWindow();
    EXPECT_NE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_NOACTIVATE, 0);
    EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & WS_POPUP, 0);
    EXPECT_EQ(SendMessageW(list, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(list),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    wchar_t title[64] = {};
    GetWindowTextW(list, title, 64);
    EXPECT_STREQ(title, CompletionList::kTitle);

    // Left edge at the word's start, top edge below its line.
    POINTL word{};
    SendMessageW(edit_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&word), Caret() - 2);
    POINT onScreen{word.x, word.y};
    ClientToScreen(edit_, &onScreen);
    RECT rect{};
    GetWindowRect(list, &rect);
    EXPECT_EQ(rect.left, onScreen.x);
    EXPECT_GT(rect.top, onScreen.y);
    EXPECT_LT(rect.top, onScreen.y + 40);
    // Three rows, one per offer, each at least a line of the editor's 9-point text high.
    EXPECT_GE(rect.bottom - rect.top, 3 * 12);
}

TEST_F(CompletionTest, AtTheFootOfTheScreenTheListOpensAboveTheLine) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(edit_, MONITOR_DEFAULTTONEAREST), &monitor);
    SetWindowPos(edit_, nullptr, 50, monitor.rcWork.bottom - 90, 400, 80, SWP_NOZORDER);
    Page("");
    Type("鼠");
    ASSERT_TRUE(completion_->IsOpen());
    POINTL word{};
    SendMessageW(edit_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&word), 0);
    POINT onScreen{word.x, word.y};
    ClientToScreen(edit_, &onScreen);
    RECT rect{};
    GetWindowRect(completion_->ListWindow(), &rect);
    EXPECT_LE(rect.bottom, onScreen.y);
    EXPECT_LE(rect.bottom, monitor.rcWork.bottom);
}

TEST_F(CompletionTest, KeysWhileTheListIsOpen) {
    struct Case {
        std::vector<WPARAM> keys;
        std::string text;
        LONG caret;  // characters before it
        bool open;
    };
    const Case cases[] = {
        {{kTab}, "鼠标()", 3, false},           // the first offer
        {{kEnter}, "鼠\r\n", 2, false},         // nothing chosen: a new line
        {{kDown, kEnter}, "鼠标()", 3, false},  // the control beside it
        {{kDown, kDown, kEnter}, "鼠标消息()", 5, false},
        {{kDown, kDown, kTab}, "鼠标消息()", 5, false},
        {{kUp, kEnter}, "鼠标移动()", 5, false},                     // from none up to the last
        {{kDown, kDown, kDown, kDown, kEnter}, "鼠标()", 3, false},  // round to the first
        {{kDown}, "鼠", 1, true},
        {{kShift}, "鼠", 1, true},
        {{kEscape}, "鼠", 1, false},
        {{kEscape, kTab}, "鼠\t", 2, false},  // closed: Tab is the editor's again
        {{kEscape, kEnter}, "鼠\r\n", 2, false},
        {{kLeft}, "鼠", 0, false},  // the caret moved away
        {{kBack}, "", 0, false},
    };
    for (const Case& c : cases) {
        Page("");
        Type("鼠");
        ASSERT_TRUE(completion_->IsOpen());
        for (WPARAM key : c.keys) Press(key);
        std::string keys;
        for (WPARAM key : c.keys) keys += std::to_string(key) + " ";
        EXPECT_EQ(Text(), c.text) << keys;
        EXPECT_EQ(Caret(), c.caret) << keys;
        EXPECT_EQ(completion_->IsOpen(), c.open) << keys;
        completion_->Close();
    }
}

TEST_F(CompletionTest, TypingOnOrBackNarrowsOrWidensTheOffers) {
    Page("");
    Type("鼠标消");
    EXPECT_EQ(Offered(), (Names{"鼠标消息"}));
    Press(kBack);
    EXPECT_EQ(Offered(), (Names{"鼠标", "鼠标消息", "鼠标移动"}));
    Type("移");
    EXPECT_EQ(Offered(), (Names{"鼠标移动"}));
    Type("x");
    EXPECT_EQ(Offered(), Names{});
}

TEST_F(CompletionTest, AChoiceStaysWithItsWordWhileItIsOffered) {
    Page("");
    Type("鼠");
    Press(kDown);
    Press(kDown);  // 鼠标消息
    Type("标");
    EXPECT_EQ(completion_->Chosen(), 1);
    Type("消");
    EXPECT_EQ(completion_->Chosen(), 0);
    Press(kEnter);
    EXPECT_EQ(Text(), "鼠标消息()");
}

TEST_F(CompletionTest, AnInsertionIsOneUndoStepAndChangesThePage) {
    Page("延时(1)\r\n");
    Type("延");
    EXPECT_NE(SendMessageW(edit_, EM_GETMODIFY, 0, 0), 0);
    SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
    Press(kTab);
    EXPECT_EQ(Text(), "延时(1)\r\n延时()");
    EXPECT_EQ(Caret(), 9);
    EXPECT_NE(SendMessageW(edit_, EM_GETMODIFY, 0, 0), 0);
    SendMessageW(edit_, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(), "延时(1)\r\n延");
    SendMessageW(edit_, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(), "延时(1)\r\n");
}

TEST_F(CompletionTest, AClickOnAnEntryInsertsIt) {
    Page("");
    Type("鼠");
    HWND list = completion_->ListWindow();
    RECT client{};
    GetClientRect(list, &client);
    const int row = client.bottom / 3;
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, row + row / 2));
    EXPECT_EQ(Text(), "鼠标消息()");
    EXPECT_FALSE(completion_->IsOpen());
}

TEST_F(CompletionTest, TheListClosesWhenTheEditorIsLeftScrolledClickedOrGivenANewPage) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool open;
    };
    const Case cases[] = {
        {"a key of no text", WM_KEYDOWN, VK_F5, true},  // the control
        {"focus lost", WM_KILLFOCUS, 0, false},
        {"scrolled", WM_VSCROLL, SB_LINEDOWN, false},
        {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
        {"clicked", WM_LBUTTONDOWN, MK_LBUTTON, false},
        {"undone", EM_UNDO, 0, false},
    };
    for (const Case& c : cases) {
        Page("");
        Type("鼠");
        ASSERT_TRUE(completion_->IsOpen()) << c.what;
        SendMessageW(edit_, c.message, c.wParam, 0);
        EXPECT_EQ(completion_->IsOpen(), c.open) << c.what;
        if (c.message == WM_LBUTTONDOWN) SendMessageW(edit_, WM_LBUTTONUP, 0, 0);
        completion_->Close();
    }
    Page("");
    Type("鼠");
    ASSERT_TRUE(completion_->IsOpen());
    Page("延时(1)");
    EXPECT_FALSE(completion_->IsOpen()) << "a new page";
}

// Another subclass of the same editor, as a second feature would add.
class CharacterCounter : private WindowSubclass<CharacterCounter> {
  public:
    explicit CharacterCounter(HWND editor) { Subclass(editor); }
    int characters = 0;

  private:
    friend WindowSubclass<CharacterCounter>;
    LRESULT HandleSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CHAR) ++characters;
        return DefaultSubclassProcedure(window, message, wParam, lParam);
    }
};

TEST_F(CompletionTest, AnotherSubclassOfTheEditorHearsEveryCharacterBesideIt) {
    for (bool completionFirst : {true, false}) {
        if (!completionFirst) completion_.reset();
        CharacterCounter counter(edit_);
        if (!completionFirst) completion_ = std::make_unique<EditorCompletion>(edit_, SomeWords());
        Page("");
        Type("鼠");
        Press(kTab);  // taken by the list: its character goes nowhere
        Type("1");
        EXPECT_EQ(Text(), "鼠标(1)") << completionFirst;
        // Whichever came first, the counter sees what reached it: with the completion inside
        // it (added later), the swallowed Tab character too.
        EXPECT_EQ(counter.characters, completionFirst ? 3 : 2) << completionFirst;
    }
}

}  // namespace
}  // namespace kavo
