// Opening a long page, measured from outside as a user sees it: kavo.exe runs with a library of
// a 20,000-line page and a 2,000-line page of typical script lines (commands, Chinese text, CR
// LF); the bench clicks the page's item in the tree and times until the script editor's text has
// the page's length and ends with its last line. Each load gets a kavo.exe of its own, started
// with an empty editor: leaving a long page (the control deletes its text) can take far longer
// under Wine than loading it. Prints "name: value unit (goal: ...)" lines: median, minimum and
// maximum over several loads.
//
// Beside it, the same page put into a bare rich edit in this process, with the editor's default
// look, by the program's own editor widget: what the control alone needs. The ratio of the two
// is what the program adds to a load.
//
// kavo.exe is the one beside the bench's folder (the build's), or the one named by the first
// argument (an older build, to compare).
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench_support_win32.h"
#include "editor/editor_widget_win32.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"

namespace {

using kavo::UniqueFile;
using kavo::UniqueHandleKernel;

constexpr int kLoads = 7;
constexpr wchar_t kTitle[] = L"KAVO脚本助手 ";
constexpr wchar_t kDirectory[] = L"长页";

using kavo_bench::ModuleFolder;
using kavo_bench::NowMicroseconds;

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The last line of a page of so many lines; no other line is like it.
std::wstring LastLine(int lines) {
    return L"信息框(完成,第" + std::to_wstring(lines) + L"行已经执行)";
}

// A script as people write them: commands with numbers, comments and messages in Chinese, GBK
// with CR LF.
std::string PageOfLines(int lines) {
    std::wstring text;
    for (int i = 1; i < lines; ++i) {
        const std::wstring n = std::to_wstring(i);
        switch (i % 8) {
            case 0:
                text += L"// 第" + n + L"步：把鼠标移到登录按钮上，等窗口出来再单击";
                break;
            case 1:
                text += L"鼠标移动(" + std::to_wstring(100 + i % 700) + L",300)";
                break;
            case 2:
                text += L"延时(" + std::to_wstring(50 + i % 450) + L")";
                break;
            case 3:
                text += L"鼠标(左键)";
                break;
            case 4:
                text += L"普通按键(用户名" + n + L")";
                break;
            case 5:
                text += L"特殊按键(13)";
                break;
            case 6:
                text += L"计次循环(3)";
                break;
            default:
                text += L"信息框(提示,第" + n + L"行：请确认窗口已经打开。)";
                break;
        }
        text += L"\r\n";
    }
    text += LastLine(lines) + L"\r\n";
    return kavo::WideToGbk(text);
}

// A run folder with its own copy of kavo.exe and the pages, one directory of them.
std::wstring MakeRunFolder(const std::wstring& kavo, const std::vector<int>& pageLines) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kavo-page-load-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    CopyFileW(kavo.c_str(), (folder + L"\\kavo.exe").c_str(), FALSE);
    const std::wstring directory = folder + L"\\content\\" + kDirectory;
    CreateDirectoryW((folder + L"\\content").c_str(), nullptr);
    CreateDirectoryW(directory.c_str(), nullptr);
    for (int lines : pageLines)
        WriteBytes(directory + L"\\" + std::to_wstring(lines) + L"行.txt", PageOfLines(lines));
    return folder;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (owner == search.processId && IsWindowVisible(window) && lstrcmpW(title, kTitle) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// The program's controls, read and clicked from this process. Tree items live in the other
// process: their records are read through memory placed there.
class Program {
  public:
    Program(HANDLE process, HWND main)
        : process_(process),
          tree_(GetDlgItem(main, kavo::layout::kTree)),
          editor_(GetDlgItem(main, kavo::layout::kEditor)) {
        remote_ = VirtualAllocEx(process_, nullptr, 8192, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Program() { VirtualFreeEx(process_, remote_, 0, MEM_RELEASE); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Ready() const { return tree_ != nullptr && editor_ != nullptr && remote_ != nullptr; }

    std::wstring ItemText(HTREEITEM item) {
        constexpr int kChars = 256;
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + 512);
        TVITEMW record{};
        record.mask = TVIF_TEXT | TVIF_HANDLE;
        record.hItem = item;
        record.pszText = remoteText;
        record.cchTextMax = kChars;
        WriteProcessMemory(process_, remote_, &record, sizeof record, nullptr);
        SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote_));
        wchar_t text[kChars + 1] = {};
        ReadProcessMemory(process_, remoteText, text, kChars * sizeof(wchar_t), nullptr);
        return text;
    }

    // The item of that text among the children of parent (nullptr: the top level).
    HTREEITEM Find(HTREEITEM parent, const std::wstring& text) {
        HTREEITEM item =
            parent == nullptr ? TreeView_GetRoot(tree_) : TreeView_GetChild(tree_, parent);
        for (; item != nullptr; item = TreeView_GetNextSibling(tree_, item))
            if (ItemText(item) == text) return item;
        return nullptr;
    }

    void Expand(HTREEITEM item) { TreeView_Expand(tree_, item, TVE_EXPAND); }

    // The middle of the item's text on the screen.
    std::optional<POINT> ItemPoint(HTREEITEM item) {
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item);
        WriteProcessMemory(process_, remote_, &rect, sizeof rect, nullptr);
        if (!SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote_)))
            return std::nullopt;
        ReadProcessMemory(process_, remote_, &rect, sizeof rect, nullptr);
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(tree_, &point);
        return point;
    }

    LRESULT EditorLength() {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(editor_, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 30000, &length))
            return -1;
        return static_cast<LRESULT>(length);
    }

    // The editor's last characters, read into memory placed in the program (a whole long text
    // carried back by WM_GETTEXT would cost more than the load). Line breaks come as CR.
    std::wstring EditorTail() {
        constexpr LONG kChars = 300;
        // Positions count a line break as one character: the length without CR LF pairs.
        GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
        WriteProcessMemory(process_, remote_, &query, sizeof query, nullptr);
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(editor_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(remote_), 0,
                                 SMTO_NORMAL, 30000, &length))
            return {};
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + 1024);
        TEXTRANGEW range{};
        range.chrg.cpMin = std::max<LONG>(0, static_cast<LONG>(length) - kChars);
        range.chrg.cpMax = static_cast<LONG>(length);
        range.lpstrText = remoteText;
        WriteProcessMemory(process_, remote_, &range, sizeof range, nullptr);
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(editor_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(remote_),
                                 SMTO_NORMAL, 30000, &copied))
            return {};
        std::wstring text(std::min<std::size_t>(copied, kChars + 1), L'\0');
        ReadProcessMemory(process_, remoteText, text.data(), text.size() * sizeof(wchar_t),
                          nullptr);
        return text;
    }

    bool EditorEndsWith(const std::wstring& line) {
        std::wstring text = EditorTail();
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
        return text.size() >= line.size() &&
               text.compare(text.size() - line.size(), line.size(), line) == 0;
    }

  private:
    HANDLE process_;
    HWND tree_;
    HWND editor_;
    void* remote_ = nullptr;
};

void MoveTo(POINT point) {
    SetCursorPos(point.x, point.y);
}

void Click() {
    INPUT presses[2]{};
    presses[0].type = presses[1].type = INPUT_MOUSE;
    presses[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    presses[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, presses, sizeof(INPUT));
}

template <typename Condition>
bool WaitUntil(Condition condition, std::uint64_t timeoutMicroseconds, DWORD pauseMs) {
    const std::uint64_t start = NowMicroseconds();
    while (!condition()) {
        if (NowMicroseconds() - start > timeoutMicroseconds) return false;
        Sleep(pauseMs);
    }
    return true;
}

struct Session {
    UniqueHandleKernel process;
    UniqueHandleKernel thread;
    HWND main = nullptr;
};

// Starts kavo.exe in its run folder and waits for its main window.
std::optional<Session> Start(const std::wstring& folder) {
    std::wstring command = L"\"" + folder + L"\\kavo.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started))
        return std::nullopt;
    Session session{UniqueHandleKernel(started.hProcess), UniqueHandleKernel(started.hThread)};
    WindowSearch search{started.dwProcessId, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr ||
                   WaitForSingleObject(session.process.get(), 0) == WAIT_OBJECT_0;
        },
        90'000'000, 10);
    session.main = search.found;
    return session;
}

void End(Session& session) {
    TerminateProcess(session.process.get(), 0);
    WaitForSingleObject(session.process.get(), 10000);
}

// One load in a program just started, its editor empty: the milliseconds from the click on the
// page until the editor's text has the page's length and ends with its last line; nullopt when
// that did not happen within a minute. Leaving a long page (the control deletes it) can take
// far longer than loading it, so every load gets a program of its own.
std::optional<double> TimeOneLoad(const std::wstring& folder, int lines, LRESULT fullLength) {
    auto session = Start(folder);
    if (!session) return std::nullopt;
    std::optional<double> result;
    if (session->main != nullptr) {
        Program program(session->process.get(), session->main);
        HTREEITEM directory = nullptr;
        if (program.Ready())
            WaitUntil([&] { return (directory = program.Find(nullptr, kDirectory)) != nullptr; },
                      30'000'000, 20);
        std::optional<POINT> page;
        if (directory != nullptr) {
            program.Expand(directory);
            if (HTREEITEM item = program.Find(directory, std::to_wstring(lines) + L"行"))
                page = program.ItemPoint(item);
        }
        if (page) {
            MoveTo(*page);
            Sleep(700);  // the program idle after its start
            const std::wstring last = LastLine(lines);
            const std::uint64_t start = NowMicroseconds();
            Click();
            std::uint64_t end = 0;
            const bool loaded = WaitUntil(
                [&] {
                    if (program.EditorLength() < fullLength) return false;
                    end = NowMicroseconds();
                    return program.EditorEndsWith(last);
                },
                60'000'000, 1);
            if (loaded) result = static_cast<double>(end - start) / 1000.0;
        }
    }
    End(*session);
    return result;
}

// The milliseconds a bare rich edit of the editor's size and look takes to take the page in.
// Each load gets a control of its own, left standing: deleting a long text under Wine takes far
// longer than inserting it.
double TimeControlAlone(HWND parent, int lines) {
    const std::string page = PageOfLines(lines);
    HWND editor = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN,
                                  0, 0, 700, 560, parent, nullptr, nullptr, nullptr);
    kavo::ApplyEditorDefaultLook(editor);
    SendMessageW(editor, EM_AUTOURLDETECT, TRUE, 0);
    kavo::Win32EditorWidget widget(editor);
    const std::uint64_t start = NowMicroseconds();
    widget.ReplaceText(page);
    UpdateWindow(editor);
    const std::uint64_t end = NowMicroseconds();
    ShowWindow(editor, SW_HIDE);
    return static_cast<double>(end - start) / 1000.0;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const std::wstring& folder, int lines, HWND parent) {
    // WM_GETTEXTLENGTH counts a line break as CR LF: the page's own UTF-16 length, give or take
    // its last line break.
    const LRESULT fullLength = static_cast<LRESULT>(kavo::GbkToWide(PageOfLines(lines)).size()) - 2;
    std::vector<double> times;
    for (int i = 0; i < kLoads; ++i)
        if (const auto time = TimeOneLoad(folder, lines, fullLength)) times.push_back(*time);
    if (times.empty()) {
        std::printf("page_load_%d_lines: failed (the page did not show)\n", lines);
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "page_load_%d_lines: %.0f ms (median of %zu loads, click to the last line in the "
        "editor; goal: < 500 ms; min %.0f ms, max %.0f ms)\n",
        lines, times[times.size() / 2], times.size(), times.front(), times.back());
    std::vector<double> alone;
    for (int i = 0; i < kLoads; ++i) alone.push_back(TimeControlAlone(parent, lines));
    const double control = Median(alone);
    std::printf(
        "page_load_%d_lines_control_alone: %.0f ms (median of %d, the page streamed into a bare "
        "rich edit of the same look; the program's load is %.2fx that)\n",
        lines, control, kLoads, Median(times) / control);
    std::fflush(stdout);
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring kavo = argc > 1 ? std::wstring(argv[1]) : ModuleFolder() + L"\\..\\kavo.exe";
    LocalFree(argv);
    const std::vector<int> sizes{20000, 2000};
    const std::wstring folder = MakeRunFolder(kavo, sizes);
    LoadLibraryW(L"Msftedit.dll");
    HWND parent =
        CreateWindowExW(0, L"STATIC", L"page load bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                        760, 620, nullptr, nullptr, nullptr, nullptr);
    for (int lines : sizes) Report(folder, lines, parent);
    return 0;
}
