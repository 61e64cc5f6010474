// The small windows driven from inside their own modal loops: a thread timer of the test acts
// as the user once the window has appeared.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "editor/small_windows_win32.h"
#include "text/wide.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

std::function<bool(HWND)> g_act;  // returns true once it has acted
const wchar_t* g_className = nullptr;

void CALLBACK ActWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = FindWindowW(g_className, nullptr);
    if (window == nullptr || !IsWindowVisible(window) || !g_act) return;
    if (g_act(window)) {
        KillTimer(nullptr, timer);
        g_act = nullptr;
    }
}

// Starts acting on the window of className as soon as it shows.
void WhenShown(const wchar_t* className, std::function<bool(HWND)> act) {
    g_className = className;
    g_act = std::move(act);
    SetTimer(nullptr, 0, 20, ActWhenShown);
}

std::wstring TextOf(HWND control) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    return text;
}

constexpr int kEditId = 103;
constexpr int kTitleId = 101;
constexpr int kPromptId = 102;

TEST(SmallWindows, AskTextAnswersForEveryWayOfClosing) {
    struct Case {
        const char* what;
        std::function<void(HWND)> act;
        TextAnswer expected;
    };
    const Case cases[] = {
        {"确定 with a name",
         [](HWND w) {
             SetWindowTextW(GetDlgItem(w, kEditId), L"\x65B0\x9875");  // 新页
             SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
         },
         {"\xE6\x96\xB0\xE9\xA1\xB5", false}},
        {"确定 with nothing typed",
         [](HWND w) { SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0); },
         {"", false}},
        {"取消",
         [](HWND w) {
             SetWindowTextW(GetDlgItem(w, kEditId), L"typed");
             SendMessageW(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0);
         },
         {"", true}},
        {"closed by the system", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, {"", true}},
        {"Escape",
         [](HWND w) { PostMessageW(GetDlgItem(w, kEditId), WM_KEYDOWN, VK_ESCAPE, 0); },
         {"", true}},
        {"Enter",
         [](HWND w) {
             SetWindowTextW(GetDlgItem(w, kEditId), L"by enter");
             PostMessageW(GetDlgItem(w, kEditId), WM_KEYDOWN, VK_RETURN, 0);
         },
         {"by enter", false}},
    };
    for (const Case& c : cases) {
        std::wstring editAtOpen = L"?";
        WhenShown(L"KavoInputDialog", [&](HWND w) {
            editAtOpen = TextOf(GetDlgItem(w, kEditId));
            c.act(w);
            return true;
        });
        const TextAnswer answer = AskText(nullptr, "新建页面", "请输入页面名称");
        EXPECT_EQ(answer.cancelled, c.expected.cancelled) << c.what;
        if (!c.expected.cancelled) {
            EXPECT_EQ(answer.text, c.expected.text) << c.what;
        }
        EXPECT_EQ(editAtOpen, L"") << c.what;  // empty at every opening
    }
    EXPECT_EQ(FindWindowW(L"KavoInputDialog", nullptr), nullptr);
}

TEST(SmallWindows, TitleAndPromptAreTheCallersAndTheWindowSettlesBelowTheCentre) {
    std::wstring title;
    std::wstring prompt;
    RECT settled{};
    DWORD lastMove = 0;
    RECT last{};
    WhenShown(L"KavoInputDialog", [&](HWND w) {
        title = TextOf(GetDlgItem(w, kTitleId));
        prompt = TextOf(GetDlgItem(w, kPromptId));
        RECT now{};
        GetWindowRect(w, &now);
        if (!EqualRect(&now, &last)) {
            last = now;
            lastMove = GetTickCount();
            return false;
        }
        if (GetTickCount() - lastMove < 300) return false;  // still falling
        settled = now;
        PostMessageW(w, WM_CLOSE, 0, 0);
        return true;
    });
    AskText(nullptr, "重命名目录", "请输入一个新的目录");
    EXPECT_EQ(title, L"  \x91CD\x547D\x540D\x76EE\x5F55");  // 重命名目录 after the strip's margin
    EXPECT_EQ(prompt, Utf8ToWide("请输入一个新的目录"));
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_GT((settled.top + settled.bottom) / 2, screenHeight / 2);
    EXPECT_LT(settled.bottom, screenHeight);
    EXPECT_EQ(settled.right - settled.left, 400);
    EXPECT_EQ(settled.bottom - settled.top, 154);
}

TEST(SmallWindows, AskConfirmIsTrueOnlyForOk) {
    const std::pair<std::function<void(HWND)>, bool> cases[] = {
        {[](HWND w) { SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0); }, true},
        {[](HWND w) { SendMessageW(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); }, false},
        {[](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, false},
    };
    for (const auto& [act, expected] : cases) {
        std::wstring message;
        WhenShown(L"KavoConfirmDialog", [&](HWND w) {
            message = TextOf(GetDlgItem(w, 102));
            act(w);
            return true;
        });
        EXPECT_EQ(AskConfirm(nullptr, "你还未保存数据，是否保存！"), expected);
        EXPECT_EQ(message, Utf8ToWide("你还未保存数据，是否保存！"));
    }
}

TEST(SmallWindows, ColorQuestionCancelsUnlessOk) {
    WhenShown(L"KavoColorPickDialog", [](HWND w) {
        PostMessageW(w, WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_TRUE(ColorPickDialog(nullptr).cancelled);
    WhenShown(L"KavoColorPickDialog", [](HWND w) {
        SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
        return true;
    });
    const ColorAnswer answer = ColorPickDialog(nullptr);
    EXPECT_FALSE(answer.cancelled);
    EXPECT_EQ(answer.color, 0u);  // the picker starts at black
}

TEST(SmallWindows, ASecondOpeningBringsTheOpenWindowForward) {
    for (const auto& [open, className] : {std::pair{&ShowAboutWindow, L"KavoAboutWindow"},
                                          std::pair{&ShowKeyCodeWindow, L"KavoKeyCodeWindow"}}) {
        open(nullptr);
        HWND first = FindWindowW(className, nullptr);
        ASSERT_NE(first, nullptr);
        open(nullptr);
        HWND second = FindWindowW(className, nullptr);
        EXPECT_EQ(second, first);
        int count = 0;
        for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w != nullptr;
             w = FindWindowExW(nullptr, w, className, nullptr))
            ++count;
        EXPECT_EQ(count, 1);
        DestroyWindow(first);
        // Closed, it opens anew.
        open(nullptr);
        HWND third = FindWindowW(className, nullptr);
        EXPECT_NE(third, nullptr);
        DestroyWindow(third);
    }
}

}  // namespace
}  // namespace kavo
