// The built-in commands run by a real engine on the real platform, aimed at the fixture window
// of another process; the balloon tip control with and without common controls 6.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "commands/balloon_tip_win32.h"
#include "commands/builtin_commands.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/encoding.h"
#include "text/wide.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

using namespace std::chrono_literals;

// An engine holding the built-in commands on the real platform. Scripts are written in UTF-8
// here and handed over as GBK, as the editor does.
class ScriptRunner {
  public:
    ScriptRunner()
        : services_{ThePlatform(), ThePlatform(), ThePlatform(),
                    [this](Point where, const Utf8Text& text) {
                        if (balloon != nullptr) balloon->Show({where.x, where.y}, Utf8ToWide(text));
                    }} {
        AddBuiltinCommands(engine_, services_);
        engine_.SetHost(
            {.reportFault = [this](const ScriptFault& fault) { faults.push_back(fault); },
             .statementGate = CurrentRunMayGoOn});
    }

    void Run(const std::string& utf8Script) {
        engine_.RunScript(Utf8ToGbk(utf8Script));
        EXPECT_TRUE(faults.empty()) << utf8Script;
    }

    // Calls one command's handler, for its result.
    std::int32_t Invoke(const std::string& utf8Name, const std::vector<std::string>& utf8Args) {
        const std::int32_t position = engine_.FindCommand(Utf8ToGbk(utf8Name));
        const CommandEntry& entry = engine_.Commands().at(static_cast<std::size_t>(position - 1));
        std::vector<RuntimeText> arguments;
        for (const auto& argument : utf8Args) arguments.push_back(Utf8ToGbk(argument));
        return engine_.InvokeHandler(entry.handler, arguments, entry.argumentCount);
    }

    BalloonTip* balloon = nullptr;
    std::vector<ScriptFault> faults;

  private:
    ScriptEngine engine_;
    CommandServices services_;
};

std::string Decimal(HWND window) {
    return std::to_string(reinterpret_cast<INT_PTR>(window));
}

using test::ClientToScreenPoint;
using test::CursorPos;
using test::FieldOf;
using test::ParkCursorAway;

// The log lines after the first `skip`, without the WM_CONTEXTMENU that the fixture's
// DefWindowProc raises itself for a right button release (its wParam is the window).
std::vector<std::string> NewLines(const test::Fixture& fixture, std::size_t skip,
                                  std::initializer_list<UINT> messages) {
    std::vector<std::string> lines;
    const auto all = fixture.LinesFor(messages);
    const auto self = static_cast<unsigned>(reinterpret_cast<INT_PTR>(fixture.Window()));
    for (std::size_t i = skip; i < all.size(); ++i)
        if (!(FieldOf(all[i], 0) == WM_CONTEXTMENU && FieldOf(all[i], 1) == self))
            lines.push_back(all[i]);
    return lines;
}

// Saves the whole screen as a BMP when KAVO_SHOT_DIR names a folder, for a human to look at.
// Only then it first gives the windows half a second to finish painting; no test result depends
// on it.
void SaveScreenshot(const char* name) {
    const char* folder = std::getenv("KAVO_SHOT_DIR");
    if (folder == nullptr || *folder == '\0') return;
    test::PumpMessagesFor(std::chrono::milliseconds(500));
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const UniqueScreenDc screen(GetDC(nullptr));
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueGdiObject bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return;
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(std::filesystem::path(test::WindowsPath(std::string(folder) + "/" + name)),
                      std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory.get(), old);
}

TEST(CommandsOnWindows, PostedMouseAndKeyMessagesArriveOneByOneWithTheirParameters) {
    ParkCursorAway();
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    const std::initializer_list<UINT> watched = {
        WM_MOUSEMOVE,  WM_LBUTTONDOWN,   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
        WM_RBUTTONUP,  WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,     WM_MBUTTONDBLCLK,
        WM_MOUSEWHEEL, WM_CONTEXTMENU,   WM_KEYDOWN,     WM_KEYUP,         WM_CHAR};
    const std::size_t before = fixture.LinesFor(watched).size();
    const std::string h = Decimal(fixture.Window());
    ScriptRunner runner;
    runner.Run("鼠标消息(" + h +
               ",100,200,1,2)\r\n"
               "鼠标消息(" +
               h +
               ",100,200,2,1)\r\n"
               "鼠标消息(" +
               h +
               ",-1,0,4,3)\r\n"
               "鼠标消息(" +
               h +
               ",7,8,5,0)\r\n"
               "鼠标消息(" +
               h + ",30,40,3,3)鼠标消息(" + h +
               ",30,40,3,4)\r\n"
               "鼠标消息(" +
               h +
               ",1,2,2,7)\r\n"
               "按键消息(" +
               h +
               ",65,1)\r\n"
               "按键消息(" +
               h +
               ",116,0)\r\n"  // mode 0 posts nothing
               "按键消息(" +
               h +
               ",116,5)\r\n"
               "按键消息(" +
               h + ",117,3)按键消息(" + h + ",117,4)\r\n");
    using test::LogLine;
    const std::vector<std::string> expected = {
        LogLine(WM_MOUSEMOVE, 2, 0x00C80064),
        LogLine(WM_LBUTTONDOWN, 1, 0x00C80064),
        LogLine(WM_LBUTTONUP, 0, 0x00C80064),
        LogLine(WM_LBUTTONDBLCLK, 0, 0x00C80064),
        LogLine(WM_MOUSEMOVE, 2, 0x00C80064),
        LogLine(WM_RBUTTONDOWN, 2, 0x00C80064),
        LogLine(WM_RBUTTONUP, 2, 0x00C80064),
        LogLine(WM_CONTEXTMENU, 0x000206AE, 0x024702AD),
        LogLine(WM_MOUSEWHEEL, 0x00780010, 0x017F0248),
        LogLine(WM_MOUSEWHEEL, 0xFF880010, 0x01870250),
        LogLine(WM_MOUSEMOVE, 2, 0x0028001E),
        LogLine(WM_MBUTTONDOWN, 0x10, 0x0028001E),
        LogLine(WM_MOUSEMOVE, 2, 0x0028001E),
        LogLine(WM_MBUTTONUP, 0, 0x0028001E),
        LogLine(WM_MOUSEMOVE, 2, 0x00020001),
        LogLine(WM_CONTEXTMENU, 0x000206AE, 0x0181024A),
        LogLine(WM_CHAR, 0x41, 0),
        LogLine(WM_KEYDOWN, 0x74, 0),
        LogLine(WM_KEYUP, 0x74, 0),
        LogLine(WM_KEYDOWN, 0x75, 0),
        LogLine(WM_KEYUP, 0x75, 0),
    };
    EXPECT_TRUE(test::WaitFor(
        [&] { return NewLines(fixture, before, watched).size() >= expected.size(); }));
    EXPECT_EQ(NewLines(fixture, before, watched), expected);
}

TEST(CommandsOnWindows, ClickAtCursorClicksTheWindowUnderItAndLeavesTheCursorThere) {
    struct Case {
        const char* script;
        UINT down;
        unsigned downWParam;
        UINT up;
    };
    for (const Case& c : {Case{"鼠标(左键)", WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONUP},
                          Case{"鼠标(右键)", WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONUP}}) {
        test::Fixture fixture;
        ASSERT_NE(fixture.Window(), nullptr);
        fixture.Activate();
        const POINT target = ClientToScreenPoint(fixture.Window(), 50, 60);
        SetCursorPos(target.x, target.y);
        ASSERT_TRUE(test::WaitFor([&] { return CursorPos().x == target.x; }));
        ScriptRunner runner;
        runner.Run(c.script);
        const auto clicks = [&] { return fixture.LinesFor({c.down, c.up}); };
        ASSERT_TRUE(test::WaitFor([&] { return clicks().size() >= 2; })) << c.script;
        EXPECT_EQ(clicks(),
                  (std::vector<std::string>{test::LogLine(c.down, c.downWParam, 0x003C0032),
                                            test::LogLine(c.up, 0, 0x003C0032)}))
            << c.script;
        EXPECT_EQ(CursorPos().x, target.x);
        EXPECT_EQ(CursorPos().y, target.y);
    }
}

TEST(CommandsOnWindows, GlideEndsAtThePointAndCrossesTheWindowsOnTheWay) {
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    fixture.Activate();
    const POINT from = ClientToScreenPoint(fixture.Window(), 10, 50);
    const POINT to = ClientToScreenPoint(fixture.Window(), 70, 50);
    SetCursorPos(from.x, from.y);
    // Wine moves the X pointer asynchronously: a placement shows in GetCursorPos a moment later.
    ASSERT_TRUE(test::WaitFor([&] { return CursorPos().x == from.x && CursorPos().y == from.y; }));
    ScriptRunner runner;
    runner.Run("鼠标移动(" + std::to_string(to.x) + "," + std::to_string(to.y) + ")");
    EXPECT_TRUE(test::WaitFor([&] { return CursorPos().x == to.x && CursorPos().y == to.y; }))
        << CursorPos().x << "," << CursorPos().y;
    // The window under the path saw the cursor arrive at the end point.
    EXPECT_TRUE(test::WaitFor([&] {
        const auto moves = fixture.LinesFor({WM_MOUSEMOVE});
        return !moves.empty() && FieldOf(moves.back(), 2) == 0x00320046;
    }));
    runner.Run("鼠标移动(" + std::to_string(from.x) + "," + std::to_string(to.y + 20) + ")");
    EXPECT_TRUE(test::WaitFor([&] {
        return CursorPos().x == from.x && CursorPos().y == to.y + 20;
    })) << CursorPos().x
        << "," << CursorPos().y;
}

TEST(CommandsOnWindows, TypedAndSpecialKeysReachTheFocusedWindow) {
    ParkCursorAway();
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    fixture.Activate();
    ASSERT_EQ(GetForegroundWindow(), fixture.Window());
    ScriptRunner runner;
    runner.Run("按键(ab,10)\r\n特殊按键(65)");
    const auto keys = [&] { return fixture.LinesFor({WM_KEYDOWN, WM_KEYUP}); };
    ASSERT_TRUE(test::WaitFor([&] { return keys().size() >= 6; }));
    std::vector<std::pair<unsigned, unsigned>> seen;
    for (const auto& line : keys()) seen.emplace_back(FieldOf(line, 0), FieldOf(line, 1));
    EXPECT_EQ(seen, (std::vector<std::pair<unsigned, unsigned>>{{WM_KEYDOWN, 'A'},
                                                                {WM_KEYUP, 'A'},
                                                                {WM_KEYDOWN, 'B'},
                                                                {WM_KEYUP, 'B'},
                                                                {WM_KEYDOWN, 'A'},
                                                                {WM_KEYUP, 'A'}}));
    // The special key carries the scan code of A (30) and no extended bit.
    const auto all = keys();
    EXPECT_EQ((FieldOf(all[4], 2) >> 16) & 0x1FF, 30u);
    EXPECT_EQ((FieldOf(all[5], 2) >> 16) & 0x1FF, 30u);
    // Typed keys come out as characters too.
    EXPECT_EQ(fixture.LinesFor({WM_CHAR}).size(), 3u);
}

TEST(CommandsOnWindows, ActivatingAWindowThatDoesNotAnswerStopsTheRunInsteadOfWaitingForIt) {
    ParkCursorAway();
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    const std::string h = std::to_string(reinterpret_cast<std::uintptr_t>(fixture.Window()));
    ScriptRunner runner;
    RunRegistry registry;
    // Positive control: the answering window comes to the front and the page goes on.
    {
        const ScriptRun run(registry, ThePlatform(), ThePlatform());
        runner.Run("激活窗口(" + h + ")\r\n特殊按键(65)");
        EXPECT_EQ(run.StopReason(), "");
    }
    ASSERT_TRUE(test::WaitFor([&] { return !fixture.LinesFor({WM_KEYDOWN}).empty(); }));
    // The fixture's thread stops answering for a minute: the run says so at once instead of
    // sitting in a call that waits for the window (the stop key could not end that).
    PostMessageW(fixture.Window(), WM_APP + 0x77, 60000, 0);
    const auto keysBefore = fixture.LinesFor({WM_KEYDOWN}).size();
    const auto start = std::chrono::steady_clock::now();
    {
        const ScriptRun run(registry, ThePlatform(), ThePlatform());
        runner.Run("激活窗口(" + h + ")\r\n特殊按键(65)");
        EXPECT_EQ(run.StopReason(), "窗口没有响应：" + h + "（第 1 行）");
    }
    // Not a measure of speed: a minute's wait would mean the run waited for the window.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_EQ(fixture.LinesFor({WM_KEYDOWN}).size(), keysBefore);
}

BOOL CALLBACK CollectVisibleWindowOfThisProcess(HWND window, LPARAM context) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId() && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindowsOfThisProcess() {
    std::vector<HWND> windows;
    EnumWindows(CollectVisibleWindowOfThisProcess, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

TEST(CommandsOnWindows, RunStartsProgramsAndReportsFailureWithoutAWord) {
    ScriptRunner runner;
    const auto windowsBefore = VisibleWindowsOfThisProcess();
    EXPECT_EQ(runner.Invoke("运行", {"cmd /c exit"}), 1);
    EXPECT_EQ(runner.Invoke("运行", {"kavo_no_such_program_here.exe"}), 0);
    // A document is no program: no shell opens it.
    const std::wstring temp = test::TempFolder();
    const std::string document = WideToUtf8(temp) + "kavo-run-document.txt";
    std::ofstream(std::filesystem::path(Utf8ToWide(document))) << "text";
    EXPECT_EQ(runner.Invoke("运行", {Quoted(document)}), 0);
    DeleteFileW(Utf8ToWide(document).c_str());
    EXPECT_EQ(VisibleWindowsOfThisProcess(), windowsBefore);

    // The command line reaches the program whole, Chinese included.
    const std::string log = WideToUtf8(temp) + "kavo-run-fixture.log";
    const std::string line = Quoted(WideToUtf8(test::WindowsPath(KAVO_FIXTURE_EXE))) + " " +
                             Quoted(log) + " " + Quoted("运行 的窗口");
    EXPECT_EQ(runner.Invoke("运行", {line}), 1);
    HWND started = nullptr;
    EXPECT_TRUE(test::WaitFor([&] {
        started = FindWindowW(L"KavoFixtureWindow", L"运行 的窗口");
        return started != nullptr;
    }));
    if (started != nullptr) PostMessageW(started, WM_CLOSE, 0, 0);
    EXPECT_TRUE(
        test::WaitFor([] { return FindWindowW(L"KavoFixtureWindow", L"运行 的窗口") == nullptr; }));
    DeleteFileW(Utf8ToWide(log).c_str());
    DeleteFileW(Utf8ToWide(log + ".hwnd").c_str());
}

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    bool found = false;
};

// Waits on another thread for a message box of this process, reads it and presses OK.
SeenBox CloseMessageBoxWhenItAppears(const char* shotName) {
    SeenBox seen;
    HWND box = nullptr;
    test::WaitFor([&] {
        box = nullptr;
        for (HWND window : VisibleWindowsOfThisProcess()) {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"#32770") box = window;
        }
        return box != nullptr;
    });
    if (box == nullptr) return seen;
    seen.found = true;
    wchar_t buffer[256] = {};
    GetWindowTextW(box, buffer, 256);
    seen.caption = buffer;
    buffer[0] = L'\0';
    GetDlgItemTextW(box, 0xFFFF, buffer, 256);  // the message's static control
    seen.text = buffer;
    SaveScreenshot(shotName);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return seen;
}

TEST(CommandsOnWindows, MessageBoxShowsCaptionAndTextAndReturnsTheButton) {
    struct Case {
        std::string title;
        std::string text;
        std::wstring caption;
        std::wstring message;
        const char* shot;
    };
    const Case cases[] = {
        {"提示", "你好，世界 & 1", L"提示", L"你好，世界 & 1", "commands-message-box.bmp"},
        {"", "没有标题", L"", L"没有标题", "commands-message-box-untitled.bmp"},
    };
    for (const Case& c : cases) {
        ScriptRunner runner;
        SeenBox seen;
        std::thread watcher([&] { seen = CloseMessageBoxWhenItAppears(c.shot); });
        const std::int32_t result = runner.Invoke("信息框", {c.title, c.text});
        watcher.join();
        EXPECT_TRUE(seen.found) << c.text;
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.text, c.message);
        EXPECT_EQ(result, IDOK);
    }
}

// Runs the code inside it with common controls 6, as kavo.exe does through its manifest.
class CommonControls6 {
  public:
    CommonControls6() {
        const std::wstring temp = test::TempFolder();
        path_ = std::wstring(temp) + L"kavo-comctl6.manifest";
        std::ofstream(std::filesystem::path(path_))
            << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
               "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
               "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
               "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" "
               "language=\"*\"/></dependentAssembly></dependency></assembly>\n";
        ACTCTXW context{};
        context.cbSize = sizeof context;
        context.lpSource = path_.c_str();
        context_ = CreateActCtxW(&context);
        if (context_ != INVALID_HANDLE_VALUE) ActivateActCtx(context_, &cookie_);
    }
    ~CommonControls6() {
        if (context_ != INVALID_HANDLE_VALUE) {
            DeactivateActCtx(0, cookie_);
            ReleaseActCtx(context_);
        }
        DeleteFileW(path_.c_str());
    }
    CommonControls6(const CommonControls6&) = delete;
    CommonControls6& operator=(const CommonControls6&) = delete;
    bool Active() const { return context_ != INVALID_HANDLE_VALUE; }

  private:
    std::wstring path_;
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

// The file of the comctl32 that implements a control window (the module of its window
// procedure).
std::wstring ControlLibrary(HWND control) {
    const auto procedure = GetWindowLongPtrW(control, GWLP_WNDPROC);
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(procedure), &module);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring TipText(HWND tip) {
    wchar_t buffer[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = buffer;
    if (!SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return L"?";
    buffer[0] = L'\0';
    tool.lpszText = buffer;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

UniqueWindow CreateOwnerWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KavoBalloonOwner";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    UniqueWindow owner(CreateWindowExW(0, L"KavoBalloonOwner", L"Balloon owner",
                                       WS_OVERLAPPEDWINDOW, 60, 60, 300, 200, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
    ShowWindow(owner.get(), SW_SHOWNORMAL);
    return owner;
}

class BalloonTipOnWindows : public ::testing::TestWithParam<bool> {};

TEST_P(BalloonTipOnWindows, ShowsTheTextAtTheCursorAndHidesItselfLater) {
    const bool version6 = GetParam();
    std::optional<CommonControls6> controls6;
    if (version6) {
        controls6.emplace();
        ASSERT_TRUE(controls6->Active());
    }
    struct Case {
        bool ownerHidden;  // the main window hides while a script runs
        POINT cursor;
        const char* text;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {false, {420, 380}, "你好 & <b>KAVO</b>", L"你好 & <b>KAVO</b>"},
        {true, {700, 500}, "气球提示框：隐藏的主窗口", L"气球提示框：隐藏的主窗口"},
    };
    for (const Case& c : cases) {
        UniqueWindow owner = CreateOwnerWindow();
        ASSERT_TRUE(owner);
        if (c.ownerHidden) {
            ShowWindow(owner.get(), SW_MINIMIZE);
            ShowWindow(owner.get(), SW_HIDE);
        }
        std::optional<BalloonTip> balloon(std::in_place, owner.get());
        HWND tip = balloon->Window();
        ASSERT_NE(tip, nullptr);
        const std::wstring library = ControlLibrary(tip);
        std::printf("tooltip control from %s\n", WideToUtf8(library).c_str());
        // On Windows the context picks comctl32 6 from the side-by-side store; Wine serves both
        // versions from one module.
        if (!RunningUnderWine()) {
            EXPECT_EQ(library.find(L"winsxs") != std::wstring::npos ||
                          library.find(L"WinSxS") != std::wstring::npos,
                      version6)
                << WideToUtf8(library);
        }
        EXPECT_TRUE(GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON);

        SetCursorPos(c.cursor.x, c.cursor.y);
        ASSERT_TRUE(test::WaitFor([&] { return CursorPos().x == c.cursor.x; }));
        ScriptRunner runner;
        runner.balloon = &*balloon;
        runner.Run(std::string("气球提示框(") + c.text + ")");
        ASSERT_TRUE(test::WaitFor([&] { return IsWindowVisible(tip) != FALSE; })) << c.text;
        EXPECT_EQ(TipText(tip), c.shown);
        EXPECT_EQ(GetWindow(tip, GW_OWNER), owner.get());
        RECT rect{};
        GetWindowRect(tip, &rect);
        // The balloon stands at the cursor: its rectangle touches or nearly touches the point.
        const LONG dx = c.cursor.x < rect.left    ? rect.left - c.cursor.x
                        : c.cursor.x > rect.right ? c.cursor.x - rect.right
                                                  : 0;
        const LONG dy = c.cursor.y < rect.top      ? rect.top - c.cursor.y
                        : c.cursor.y > rect.bottom ? c.cursor.y - rect.bottom
                                                   : 0;
        EXPECT_LE(dx, 40) << rect.left << "," << rect.top << "-" << rect.right << ","
                          << rect.bottom;
        EXPECT_LE(dy, 40) << rect.left << "," << rect.top << "-" << rect.right << ","
                          << rect.bottom;
        EXPECT_GT(rect.right - rect.left, 30);
        SaveScreenshot(version6 ? (c.ownerHidden ? "commands-balloon-v6-hidden-owner.bmp"
                                                 : "commands-balloon-v6.bmp")
                                : (c.ownerHidden ? "commands-balloon-v5-hidden-owner.bmp"
                                                 : "commands-balloon-v5.bmp"));
        if (!c.ownerHidden) {
            const auto shownAt = std::chrono::steady_clock::now();
            EXPECT_TRUE(test::WaitFor([&] { return IsWindowVisible(tip) == FALSE; }, 30s));
            std::printf(
                "balloon hid itself after about %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - shownAt)
                                           .count()));
        }
        balloon.reset();
        EXPECT_FALSE(IsWindow(tip));
    }
}

TEST_P(BalloonTipOnWindows, ANewTextReplacesTheShownOneAndHideTakesItDown) {
    std::optional<CommonControls6> controls6;
    if (GetParam()) controls6.emplace();
    UniqueWindow owner = CreateOwnerWindow();
    BalloonTip balloon(owner.get());
    HWND tip = balloon.Window();
    ASSERT_NE(tip, nullptr);
    // The control answers on this thread, before Show returns.
    balloon.Show({300, 300}, L"first");
    ASSERT_TRUE(IsWindowVisible(tip));
    RECT first{};
    GetWindowRect(tip, &first);
    balloon.Show({500, 600}, L"a longer second text");
    ASSERT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(TipText(tip), L"a longer second text");
    RECT second{};
    GetWindowRect(tip, &second);
    EXPECT_GT(second.bottom, 560);                                    // moved to the new point
    EXPECT_GT(second.right - second.left, first.right - first.left);  // sized for the new text
    balloon.Hide();
    EXPECT_FALSE(IsWindowVisible(tip));
    // An empty text leaves nothing on the screen.
    balloon.Show({300, 300}, L"");
    EXPECT_FALSE(IsWindowVisible(tip));
}

INSTANTIATE_TEST_SUITE_P(CommonControls, BalloonTipOnWindows, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? std::string("Version6") : std::string("Version5");
                         });

}  // namespace
}  // namespace kavo
