#include "hotkeys/window_spy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/fake/recording_platform.h"
#include "target_window/window_description.h"
#include "text/encoding.h"

namespace kavo {
namespace {

TEST(WindowSpyTest, ColoursReadAsLinkIniWritesThemAndAsHashRedGreenBlue) {
    struct Case {
        std::uint32_t color;
        const char* text;
    };
    for (const Case& c :
         {Case{0x000000FF, "255 #FF0000"}, Case{0x0000FF00, "65280 #00FF00"},
          Case{0x00FF0000, "16711680 #0000FF"}, Case{0, "0 #000000"},
          Case{0x00FFFFFF, "16777215 #FFFFFF"}, Case{0x00ECECEC, "15527148 #ECECEC"},
          Case{0x00123456, "1193046 #563412"}})
        EXPECT_EQ(PixelColorText(c.color), c.text);
}

TEST(WindowSpyTest, TheMoveStatementIsALineOfItsOwn) {
    EXPECT_EQ(MoveStatementText({640, 480}), "鼠标移动(640,480)\r\n");
    EXPECT_EQ(MoveStatementText({-1280, 0}), "鼠标移动(-1280,0)\r\n");  // a monitor on the left
}

// Windows whose descriptions need care: two notepads with one title, dialogs whose title is
// empty, a title with the language's own characters, children of one class, hidden ones.
class DescriptionOfTest : public testing::Test {
  protected:
    DescriptionOfTest() {
        platform.processes = {
            {4, 3000, "notepad.exe"}, {4, 3100, "app.exe"}, {4, 3200, "kavo_fixture.exe"}};
        platform.windows = {
            {10, 3000, 1, "Notepad", "无标题 - 记事本", false},  // hidden: never counted
            {20, 3000, 1, "Notepad", "无标题 - 记事本", true},
            {30, 3000, 1, "Notepad", "无标题 - 记事本", true},
            {40, 3100, 2, "#32770", "", true},
            {50, 3100, 2, "AppFrame", "a,b;c>d#1*(x) 文件", true},
            {60, 3100, 2, "AppFrame", "😀 Ünïcode ₩", true},
            {70, 3100, 2, "AppFrame", std::string(100, 'T'), true},
            {80, 3200, 3, "KavoFixtureWindow", "KavoFixture", true},
            {90, 4444, 4, "Lonely", "没有进程", true},
        };
        platform.childWindows[20] = {{21, 3000, 1, "Edit", "", true}};
        platform.childWindows[30] = {{31, 3000, 1, "Edit", "", true}};
        platform.childWindows[80] = {{81, 3200, 3, "KavoFixtureChild", "子窗口1", false},
                                     {82, 3200, 3, "KavoFixtureChild", "子窗口2", true},
                                     {83, 3200, 3, "KavoFixtureChild", "子窗口3", true},
                                     {84, 3200, 3, "Button", "确定", true}};
    }

    std::optional<NativeWindow> Resolve(const Utf8Text& description) {
        const ParsedWindowDescription parsed = ParseWindowDescription(Utf8ToGbk(description));
        EXPECT_EQ(parsed.problem, "") << description;
        return FindDescribedWindow(platform, parsed.description, {});
    }

    RecordingPlatform platform;
};

TEST_F(DescriptionOfTest, NamesTheWindowByProcessAndTitleAndChildrenByClass) {
    struct Case {
        NativeWindow window;
        const char* description;
    };
    for (const Case& c : {
             Case{20, "进程:notepad.exe;标题:无标题 - 记事本"},
             Case{30, "进程:notepad.exe;标题:无标题 - 记事本#2"},  // 20 comes first
             Case{21, "进程:notepad.exe;标题:无标题 - 记事本>类:Edit"},
             Case{31, "进程:notepad.exe;标题:无标题 - 记事本#2>类:Edit"},
             Case{40, "进程:app.exe;类:?32770"},  // no title: the class; "#" is the language's
             Case{50, "进程:app.exe;标题:a?b?c?d?1?(x? 文件"},
             Case{60, "进程:app.exe;标题:? ?n?code ?"},  // what GBK cannot hold
             Case{80, "进程:kavo_fixture.exe;标题:KavoFixture"},
             Case{82, "进程:kavo_fixture.exe;标题:KavoFixture>类:KavoFixtureChild"},
             Case{83, "进程:kavo_fixture.exe;标题:KavoFixture>类:KavoFixtureChild#2"},
             Case{84, "进程:kavo_fixture.exe;标题:KavoFixture>类:Button"},
             Case{90, "类:Lonely;标题:没有进程"},  // its process is not in the list
         }) {
        EXPECT_EQ(DescriptionOf(platform, c.window), c.description) << c.window;
        EXPECT_EQ(Resolve(c.description), c.window) << c.description;
    }
}

TEST_F(DescriptionOfTest, ALongTitleKeepsItsBeginningAndAStar) {
    const Utf8Text description = DescriptionOf(platform, 70);
    EXPECT_EQ(description, "进程:app.exe;标题:" + std::string(60, 'T') + "*");
    EXPECT_EQ(Resolve(description), 70);
}

TEST_F(DescriptionOfTest, AGoneWindowHasNoDescription) {
    EXPECT_EQ(DescriptionOf(platform, 12345), "");
    EXPECT_EQ(DescriptionOf(platform, 0), "");
    // Positive control: a window that is there has one.
    EXPECT_NE(DescriptionOf(platform, 20), "");
}

TEST_F(DescriptionOfTest, EveryDescriptionIsWrittenInCharactersAGbkPageHolds) {
    for (const NativeWindow window : {20, 21, 30, 31, 40, 50, 60, 70, 80, 82, 83, 84, 90}) {
        const Utf8Text description = DescriptionOf(platform, window);
        EXPECT_EQ(GbkToUtf8(Utf8ToGbk(description)), description) << window;
        EXPECT_TRUE(IsWindowDescription(Utf8ToGbk(description))) << description;
    }
}

// A hundred windows of one program, alike in process, class and title, each with the same three
// children: the description of any of them is found by one walk over the windows in front of it,
// not by trying "#2", "#3", ... each with a lookup of its own (thousands of questions to the
// system, each a round trip under Wine, on the thread that shows the window).
TEST(DescriptionOfManyTest, OneWalkOverAHundredLikeWindowsFindsTheOrdinal) {
    RecordingPlatform platform;
    platform.processes = {{4, 3000, "app.exe"}};
    constexpr int kWindows = 100;
    for (int i = 1; i <= kWindows; ++i) {
        const NativeWindow top = 1000 * i;
        platform.windows.push_back({top, 3000, 1, "AppFrame", "同名", true});
        platform.childWindows[top] = {{top + 1, 3000, 1, "Static", "", true},
                                      {top + 2, 3000, 1, "Button", "确定", true},
                                      {top + 3, 3000, 1, "Edit", "", true}};
    }
    // One more in front that has no Edit: a description without "#" at the top level skips it.
    platform.windows.insert(platform.windows.begin(), {500, 3000, 1, "AppFrame", "同名", true});
    platform.childWindows[500] = {{501, 3000, 1, "Static", "", true}};
    struct Case {
        NativeWindow window;
        const char* description;
    };
    const Case cases[] = {
        {500, "进程:app.exe;标题:同名"},
        {1000, "进程:app.exe;标题:同名#2"},
        {50000, "进程:app.exe;标题:同名#51"},
        {100000, "进程:app.exe;标题:同名#101"},  // beyond the old limit of 64
        {501, "进程:app.exe;标题:同名>类:Static"},
        {1003, "进程:app.exe;标题:同名>类:Edit"},  // the first window's has no Edit
        {1001, "进程:app.exe;标题:同名#2>类:Static"},
        {37003, "进程:app.exe;标题:同名#38>类:Edit"},
        {100003, "进程:app.exe;标题:同名#101>类:Edit"},
    };
    const std::size_t windowsOpen = kWindows * 4 + 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        platform.ClearCalls();
        const Utf8Text description = DescriptionOf(platform, c.window);
        // Each window at most read once for each of its four fields, each list walked once.
        EXPECT_LE(platform.CallsStartingWith({"ReadWindow"}).size(), 4 * windowsOpen);
        EXPECT_LE(platform.CallsStartingWith({"Visit"}).size(), kWindows + 2u);
        EXPECT_EQ(description, c.description);
        const ParsedWindowDescription parsed = ParseWindowDescription(Utf8ToGbk(description));
        EXPECT_EQ(FindDescribedWindow(platform, parsed.description, {}), c.window);
    }
}

}  // namespace
}  // namespace kavo
