// The Win32 platform against real windows of another process.
#include <gtest/gtest.h>

#include <iterator>
#include <utility>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/encoding.h"
#include "text/wide.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

TEST(Win32Text, ConvertsWithCodePage936WhateverTheAnsiCodePage) {
    const std::string gbk = "\xD0\xC5\xCF\xA2\xBF\xF2";  // 信息框
    EXPECT_EQ(GbkToWide(gbk), std::wstring(L"\x4FE1\x606F\x6846"));
    EXPECT_EQ(WideToGbk(L"\x4FE1\x606F\x6846"), gbk);
    EXPECT_EQ(GbkToUtf8(gbk), "\xE4\xBF\xA1\xE6\x81\xAF\xE6\xA1\x86");
}

// Every message a script can post, with what it carries, arrives as the window's own message
// with the parameters Windows gives it.
TEST(Win32Platform, PostedMessagesArriveAsTheSystemsMessagesWithTheirParameters) {
    test::ParkCursorAway();
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    auto& platform = ThePlatform();
    const auto window = reinterpret_cast<INT_PTR>(fixture.Window());
    const MouseButtons all = MouseButton::Left | MouseButton::Right | MouseButton::Middle;
    struct Case {
        PostedMessage posted;
        UINT message;
        unsigned wParam;
    };
    const Case cases[] = {
        {{.message = WindowMessage::MouseMove, .held = MouseButton::Right},
         WM_MOUSEMOVE,
         MK_RBUTTON},
        {{.message = WindowMessage::LeftButtonDown, .held = MouseButton::Left},
         WM_LBUTTONDOWN,
         MK_LBUTTON},
        {{.message = WindowMessage::LeftButtonUp}, WM_LBUTTONUP, 0},
        {{.message = WindowMessage::LeftButtonDoubleClick, .held = all},
         WM_LBUTTONDBLCLK,
         MK_LBUTTON | MK_RBUTTON | MK_MBUTTON},
        {{.message = WindowMessage::RightButtonDown, .held = MouseButton::Right},
         WM_RBUTTONDOWN,
         MK_RBUTTON},
        {{.message = WindowMessage::RightButtonUp, .held = MouseButton::Right},
         WM_RBUTTONUP,
         MK_RBUTTON},
        {{.message = WindowMessage::RightButtonDoubleClick}, WM_RBUTTONDBLCLK, 0},
        {{.message = WindowMessage::MiddleButtonDown, .held = MouseButton::Middle},
         WM_MBUTTONDOWN,
         MK_MBUTTON},
        {{.message = WindowMessage::MiddleButtonUp}, WM_MBUTTONUP, 0},
        {{.message = WindowMessage::MiddleButtonDoubleClick}, WM_MBUTTONDBLCLK, 0},
        {{.message = WindowMessage::MouseWheel, .held = MouseButton::Middle, .wheelTurn = 120},
         WM_MOUSEWHEEL,
         0x00780010},
        {{.message = WindowMessage::MouseWheel, .held = MouseButton::Middle, .wheelTurn = -120},
         WM_MOUSEWHEEL,
         0xFF880010},
        {{.message = WindowMessage::ContextMenu, .value = 0x000206AE}, WM_CONTEXTMENU, 0x000206AE},
        // F5: the fixture's TranslateMessage makes no character of it.
        {{.message = WindowMessage::KeyDown, .value = 0x74}, WM_KEYDOWN, 0x74},
        {{.message = WindowMessage::KeyUp, .value = 0x74}, WM_KEYUP, 0x74},
        {{.message = WindowMessage::Character, .value = 0x4FE1}, WM_CHAR, 0x4FE1},
    };
    const std::initializer_list<UINT> watched = {
        WM_MOUSEMOVE,  WM_LBUTTONDOWN,   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
        WM_RBUTTONUP,  WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,     WM_MBUTTONDBLCLK,
        WM_MOUSEWHEEL, WM_CONTEXTMENU,   WM_KEYDOWN,     WM_KEYUP,         WM_CHAR};
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        PostedMessage posted = cases[i].posted;
        // Each message its own point; the last one is -1, which must arrive sign-extended.
        posted.point = i + 1 == std::size(cases) ? -1 : 0x00C80064 + static_cast<std::int32_t>(i);
        platform.PostWindowMessage(window, posted);
        expected.push_back(
            test::LogLine(cases[i].message, cases[i].wParam, static_cast<unsigned>(posted.point)));
    }
    // The fixture's default handling raises a context menu of its own for a right button
    // release, naming itself: not one of ours.
    const auto self = static_cast<unsigned>(window);
    const auto ours = [&] {
        std::vector<std::string> lines;
        for (const auto& line : fixture.LinesFor(watched))
            if (!(test::FieldOf(line, 0) == WM_CONTEXTMENU && test::FieldOf(line, 1) == self))
                lines.push_back(line);
        return lines;
    };
    ASSERT_TRUE(test::WaitFor([&] { return ours().size() >= expected.size(); }));
    EXPECT_EQ(ours(), expected);
}

// The button changes of one injected mouse event reach the window under the cursor as its
// button messages.
TEST(Win32Platform, InjectedMouseButtonChangesReachTheWindowUnderTheCursor) {
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    fixture.Activate();
    const POINT target = test::ClientToScreenPoint(fixture.Window(), 40, 30);
    SetCursorPos(target.x, target.y);
    ASSERT_TRUE(test::WaitFor([&] { return test::CursorPos().x == target.x; }));
    auto& platform = ThePlatform();
    struct Case {
        MouseButtonChanges changes;
        std::vector<UINT> messages;
    };
    const Case cases[] = {
        {MouseButtonChange::LeftDown | MouseButtonChange::LeftUp, {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {MouseButtonChange::RightDown, {WM_RBUTTONDOWN}},
        {MouseButtonChange::RightUp, {WM_RBUTTONUP}},
        {MouseButtonChange::MiddleDown | MouseButtonChange::MiddleUp,
         {WM_MBUTTONDOWN, WM_MBUTTONUP}},
    };
    const std::initializer_list<UINT> buttons = {WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_RBUTTONDOWN,
                                                 WM_RBUTTONUP,   WM_MBUTTONDOWN, WM_MBUTTONUP};
    for (const Case& c : cases) {
        const std::size_t before = fixture.LinesFor(buttons).size();
        platform.MouseEvent(c.changes, 0, 0);
        ASSERT_TRUE(test::WaitFor(
            [&] { return fixture.LinesFor(buttons).size() >= before + c.messages.size(); }));
        std::vector<UINT> seen;
        const auto lines = fixture.LinesFor(buttons);
        for (std::size_t i = before; i < lines.size(); ++i)
            seen.push_back(test::FieldOf(lines[i], 0));
        EXPECT_EQ(seen, c.messages);
    }
}

// 激活窗口: the window comes to the front with the keyboard from behind another program's window
// and from the taskbar (minimised); the desktop is no window to activate.
TEST(Win32Platform, ActivatingAWindowGivesItTheKeyboardFromBehindAndMinimised) {
    test::ParkCursorAway();
    test::Fixture front(L"KavoFixture 前");
    test::Fixture behind(L"KavoFixture 后");
    ASSERT_NE(front.Window(), nullptr);
    ASSERT_NE(behind.Window(), nullptr);
    auto& platform = ThePlatform();
    const auto handle = [](HWND window) { return reinterpret_cast<INT_PTR>(window); };
    for (const bool minimised : {false, true}) {
        front.Activate();
        ASSERT_EQ(GetForegroundWindow(), front.Window()) << minimised;
        if (minimised) {
            ShowWindow(behind.Window(), SW_MINIMIZE);
            ASSERT_TRUE(test::WaitFor([&] { return IsIconic(behind.Window()) != FALSE; }));
            ASSERT_EQ(GetForegroundWindow(), front.Window());
        }
        EXPECT_EQ(platform.ActivateWindow(handle(behind.Window())), Activation::Activated) << minimised;
        EXPECT_EQ(GetForegroundWindow(), behind.Window()) << minimised;
        EXPECT_FALSE(IsIconic(behind.Window())) << minimised;
        // The keys typed next reach it, not the window that was in front. Wine moves the X focus
        // after the call has returned, and a key sent in that moment is lost: sent again then.
        const std::size_t before = behind.LinesFor({WM_KEYDOWN}).size();
        bool arrived = false;
        for (int attempt = 0; attempt < 3 && !arrived; ++attempt) {
            platform.KeybdEvent('K', KeyDirection::Down);
            platform.KeybdEvent('K', KeyDirection::Up);
            arrived = test::WaitFor([&] { return behind.LinesFor({WM_KEYDOWN}).size() > before; },
                                    std::chrono::seconds(1));
        }
        EXPECT_TRUE(arrived) << minimised;
        EXPECT_TRUE(front.LinesFor({WM_KEYDOWN}).empty()) << minimised;
    }
    EXPECT_EQ(platform.ActivateWindow(handle(GetDesktopWindow())), Activation::Refused);
    EXPECT_EQ(platform.ActivateWindow(0), Activation::Refused);
}

// Keys pressed both ways reach the focused window, up and down, with the scan code and the
// extended bit as given.
TEST(Win32Platform, InjectedKeysReachTheFocusedWindowUpAndDown) {
    test::ParkCursorAway();
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    fixture.Activate();
    ASSERT_EQ(GetForegroundWindow(), fixture.Window());
    auto& platform = ThePlatform();
    // Where the injected keys go, as the notice about administrators' windows reads it. Wine
    // runs every process at one level: the fixture is never above this program here.
    EXPECT_EQ(platform.ForegroundWindow(), reinterpret_cast<INT_PTR>(fixture.Window()));
    EXPECT_FALSE(platform.RunsAboveThisProcess(platform.ForegroundWindow()));
    EXPECT_EQ(platform.ScanCodeOfKey('A'), 30u);  // a US layout
    EXPECT_EQ(platform.CharacterOfKey('A'), static_cast<std::uint32_t>('A'));
    EXPECT_EQ(platform.CharacterOfKey(VK_LEFT), 0u);
    platform.KeybdEvent('B', KeyDirection::Down);
    platform.KeybdEvent('B', KeyDirection::Up);
    KeyboardInput left{.virtualKey = VK_LEFT,
                       .scanCode = static_cast<std::uint16_t>(platform.ScanCodeOfKey(VK_LEFT)),
                       .extended = true};
    platform.SendKeyboardInput(left);
    left.direction = KeyDirection::Up;
    platform.SendKeyboardInput(left);
    const auto keys = [&] { return fixture.LinesFor({WM_KEYDOWN, WM_KEYUP}); };
    ASSERT_TRUE(test::WaitFor([&] { return keys().size() >= 4; }));
    const auto lines = keys();
    std::vector<std::pair<unsigned, unsigned>> seen;
    for (const auto& line : lines)
        seen.emplace_back(test::FieldOf(line, 0), test::FieldOf(line, 1));
    EXPECT_EQ(seen,
              (std::vector<std::pair<unsigned, unsigned>>{
                  {WM_KEYDOWN, 'B'}, {WM_KEYUP, 'B'}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}}));
    constexpr unsigned kExtendedBit = 1u << 24;
    EXPECT_EQ(test::FieldOf(lines[1], 2) & kExtendedBit, 0u);  // the control: a plain key
    EXPECT_NE(test::FieldOf(lines[2], 2) & kExtendedBit, 0u);
    EXPECT_NE(test::FieldOf(lines[3], 2) & kExtendedBit, 0u);
}

// The thread's keyboard view: keys held and keys toggled apart.
TEST(Win32Platform, KeyboardStateTellsHeldKeysFromToggledOnes) {
    BYTE bytes[256] = {};
    bytes['K'] = 0x80;
    bytes[VK_CAPITAL] = 0x01;
    bytes[VK_NUMLOCK] = 0x81;
    BYTE saved[256] = {};
    ASSERT_TRUE(GetKeyboardState(saved));
    ASSERT_TRUE(SetKeyboardState(bytes));
    KeyboardState state;
    EXPECT_TRUE(ThePlatform().GetKeyboardState(state));
    SetKeyboardState(saved);
    KeyboardState expected;
    expected.down.set('K');
    expected.down.set(keys::kNumLock);
    expected.toggled.set(keys::kCapsLock);
    expected.toggled.set(keys::kNumLock);
    EXPECT_EQ(state, expected);
}

TEST(Win32Platform, FindsTheFixtureAmongTopLevelWindowsAndProcesses) {
    test::Fixture fixture(L"Kavo \x6D4B\x8BD5 window");  // a Chinese title survives the trip
    ASSERT_NE(fixture.Window(), nullptr);
    auto& platform = ThePlatform();
    bool found = false;
    for (const auto& entry : platform.EnumerateTopLevelWindows()) {
        if (entry.window != reinterpret_cast<INT_PTR>(fixture.Window())) continue;
        found = true;
        EXPECT_TRUE(entry.visible);
        EXPECT_EQ(entry.processId, fixture.ProcessId());
        EXPECT_EQ(entry.className, "KavoFixtureWindow");
        EXPECT_EQ(entry.title, "Kavo \xE6\xB5\x8B\xE8\xAF\x95 window");
    }
    EXPECT_TRUE(found);
    bool processFound = false;
    for (const auto& process : platform.SnapshotProcesses())
        if (process.processId == fixture.ProcessId()) {
            processFound = true;
            EXPECT_EQ(process.exeName, "kavo_fixture.exe");
        }
    EXPECT_TRUE(processFound);
}

// A frame of this thread with two children, the first holding a leaf, the second hidden; each
// painted in a colour of its own.
class WindowTree {
  public:
    static constexpr COLORREF kFrameColor = RGB(10, 200, 30);
    static constexpr COLORREF kLeafColor = RGB(200, 20, 140);

    WindowTree() {
        Register(L"KavoSpyFrame", kFrameColor);
        Register(L"KavoSpyChild", RGB(250, 250, 250));
        Register(L"KavoSpyLeaf", kLeafColor);
        frame.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"KavoSpyFrame",
                                    L"Kavo \x7A97\x53E3 frame", WS_POPUP | WS_VISIBLE, 200, 150,
                                    320, 200, nullptr, nullptr, GetModuleHandleW(nullptr),
                                    nullptr));
        child = Child(L"KavoSpyChild", L"first", frame.get(), 10, 10, 120, 100, true);
        leaf = Child(L"KavoSpyLeaf", L"leaf", child, 20, 20, 60, 40, true);
        hidden = Child(L"KavoSpyChild", L"second", frame.get(), 160, 10, 120, 100, false);
        UpdateWindow(frame.get());
        test::PumpMessagesFor(std::chrono::milliseconds(200));
    }
    static NativeWindow Of(HWND window) { return reinterpret_cast<INT_PTR>(window); }

    UniqueWindow frame;
    HWND child = nullptr;
    HWND leaf = nullptr;
    HWND hidden = nullptr;

  private:
    static void Register(const wchar_t* name, COLORREF color) {
        WNDCLASSW windowClass{};
        if (GetClassInfoW(GetModuleHandleW(nullptr), name, &windowClass)) return;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = name;
        // The class owns its brush from here on: the system deletes it with the class.
        windowClass.hbrBackground = CreateSolidBrush(color);
        RegisterClassW(&windowClass);
    }
    static HWND Child(const wchar_t* windowClass, const wchar_t* title, HWND parent, int x, int y,
                      int width, int height, bool visible) {
        return CreateWindowExW(0, windowClass, title, WS_CHILD | (visible ? WS_VISIBLE : 0), x, y,
                               width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
};

// Every window below the frame, each before its own children, read field by field.
std::vector<WindowEntry> ChildrenOf(NativeWindow parent) {
    std::vector<WindowEntry> children;
    ThePlatform().VisitChildWindows(parent, [&children](NativeWindow window) {
        children.push_back(ThePlatform().ReadWindow(
            window,
            WindowField::Visible | WindowField::Process | WindowField::Class | WindowField::Title));
        return true;
    });
    return children;
}

TEST(Win32Platform, VisitsAWindowsChildrenDepthFirstAndReadsEachField) {
    WindowTree tree;
    auto& platform = ThePlatform();
    const std::vector<WindowEntry> children = ChildrenOf(WindowTree::Of(tree.frame.get()));
    ASSERT_EQ(children.size(), 3u);
    const DWORD thread = GetCurrentThreadId();
    const DWORD process = GetCurrentProcessId();
    EXPECT_EQ(children[0], (WindowEntry{WindowTree::Of(tree.child), process, thread, "KavoSpyChild",
                                        "first", true}));
    EXPECT_EQ(children[1], (WindowEntry{WindowTree::Of(tree.leaf), process, thread, "KavoSpyLeaf",
                                        "leaf", true}));
    EXPECT_EQ(children[2], (WindowEntry{WindowTree::Of(tree.hidden), process, thread,
                                        "KavoSpyChild", "second", false}));
    EXPECT_EQ(ChildrenOf(WindowTree::Of(tree.child)).size(), 1u);
    EXPECT_TRUE(ChildrenOf(WindowTree::Of(tree.leaf)).empty());
    // No parent is no window: never the list of every top-level window.
    EXPECT_TRUE(ChildrenOf(0).empty());
    // A field not asked for is not read.
    const WindowEntry titleOnly =
        platform.ReadWindow(WindowTree::Of(tree.child), WindowField::Title);
    EXPECT_EQ(titleOnly, (WindowEntry{WindowTree::Of(tree.child), 0, 0, "", "first", false}));
    // A visit stops when told to.
    int visited = 0;
    platform.VisitChildWindows(WindowTree::Of(tree.frame.get()), [&visited](NativeWindow) {
        ++visited;
        return false;
    });
    EXPECT_EQ(visited, 1);
    // The top-level visit meets the frame, as the full enumeration lists it.
    bool met = false;
    platform.VisitTopLevelWindows([&](NativeWindow window) {
        met = met || window == WindowTree::Of(tree.frame.get());
        return !met;
    });
    EXPECT_TRUE(met);
}

TEST(Win32Platform, TellsOneWindowAndItsTopLevelWindow) {
    WindowTree tree;
    auto& platform = ThePlatform();
    const std::optional<WindowEntry> frame =
        platform.DescribeWindow(WindowTree::Of(tree.frame.get()));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->className, "KavoSpyFrame");
    EXPECT_EQ(frame->title, "Kavo \xE7\xAA\x97\xE5\x8F\xA3 frame");
    EXPECT_EQ(frame->processId, GetCurrentProcessId());
    EXPECT_TRUE(frame->visible);
    EXPECT_EQ(platform.TopLevelWindowOf(WindowTree::Of(tree.leaf)),
              WindowTree::Of(tree.frame.get()));
    EXPECT_EQ(platform.TopLevelWindowOf(WindowTree::Of(tree.frame.get())),
              WindowTree::Of(tree.frame.get()));
    const NativeWindow gone = WindowTree::Of(tree.leaf);
    DestroyWindow(tree.leaf);
    EXPECT_FALSE(platform.DescribeWindow(gone).has_value());
    EXPECT_EQ(platform.TopLevelWindowOf(gone), 0);
    EXPECT_FALSE(platform.DescribeWindow(0).has_value());
}

TEST(Win32Platform, FindsTheDeepestVisibleWindowAndThePixelUnderAPoint) {
    WindowTree tree;
    auto& platform = ThePlatform();
    RECT frame{};
    GetWindowRect(tree.frame.get(), &frame);
    const auto at = [&](int x, int y) { return Point{frame.left + x, frame.top + y}; };
    struct Case {
        Point where;
        HWND window;
    };
    for (const Case& c : {Case{at(50, 50), tree.leaf}, Case{at(15, 15), tree.child},
                          Case{at(300, 180), tree.frame.get()},
                          Case{at(200, 50), tree.frame.get()}})  // the hidden child's place
        EXPECT_EQ(platform.WindowAtPoint(c.where), WindowTree::Of(c.window))
            << c.where.x << "," << c.where.y;
    EXPECT_TRUE(test::WaitFor(
        [&] { return platform.PixelColorAt(at(300, 180)) == WindowTree::kFrameColor; }));
    EXPECT_TRUE(
        test::WaitFor([&] { return platform.PixelColorAt(at(50, 50)) == WindowTree::kLeafColor; }));
}

TEST(Win32Platform, AProcessTellsItsExecutablesNameAsTheSnapshotDoes) {
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    auto& platform = ThePlatform();
    EXPECT_EQ(platform.ProcessName(fixture.ProcessId()), "kavo_fixture.exe");
    for (const auto& process : platform.SnapshotProcesses()) {
        if (process.processId == GetCurrentProcessId()) {
            EXPECT_EQ(platform.ProcessName(process.processId), process.exeName);
        }
    }
    // No process: the idle process's id, and an id no process has.
    EXPECT_EQ(platform.ProcessName(0), "");
    constexpr std::uint32_t unused = 0xFFFFFFFC;
    for (const auto& process : platform.SnapshotProcesses()) ASSERT_NE(process.processId, unused);
    EXPECT_EQ(platform.ProcessName(unused), "");
}

TEST(Win32Platform, FilesKeepTheirBytesAndUnicodeNames) {
    auto& platform = ThePlatform();
    const std::wstring temp = test::TempFolder();
    // A folder name outside GBK (U+00E9 is in GBK, U+0E01 Thai is not).
    const std::string folder = WideToUtf8(std::wstring(temp) + L"kavo-files-\x0E01");
    platform.RemoveDirectoryTree(folder);
    ASSERT_TRUE(platform.CreateDirectories(folder + "\\a\\b"));
    EXPECT_TRUE(platform.IsDirectory(folder + "\\a\\b"));
    const std::string bytes("x\r\n\xD0\xC5\0y", 6);
    ASSERT_TRUE(platform.WriteWholeFile(folder + "\\a\\p.txt", bytes));
    EXPECT_EQ(platform.ReadWholeFile(folder + "\\a\\p.txt"), bytes);
    EXPECT_FALSE(platform.ReadWholeFile(folder + "\\a\\missing.txt").has_value());
    const auto entries = platform.ListDirectory(folder + "\\a\\", "*.txt");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (DirectoryEntry{"p.txt", false}));
    EXPECT_TRUE(platform.RemoveDirectoryTree(folder));
    EXPECT_FALSE(platform.IsDirectory(folder));
}

}  // namespace
}  // namespace kavo
