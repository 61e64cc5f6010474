// The find window and the global search window in this process, over a real tree view, rich
// edit and pages on disk: what the buttons select, which rows a search lists, and that a row
// opens its page after the tree was rebuilt.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/editor_widget_win32.h"
#include "editor/find_text_window_win32.h"
#include "library/global_search_window_win32.h"
#include "library/library_tree.h"
#include "library/tree_widget_win32.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/wide.h"
#include "ui/ui_thread_win32.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

using test::WaitFor;

std::wstring Text(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The first child of parent with that class (and text, when given).
HWND Child(HWND parent, const std::wstring& className, const std::wstring& text = L"") {
    struct Search {
        std::wstring className, text;
        HWND found = nullptr;
    } search{className, text};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (lstrcmpiW(name, s.className.c_str()) != 0) return TRUE;
            if (!s.text.empty() && Text(child) != s.text) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The real files, counting how often pages are read and checked.
class CountingFiles : public FilePort {
  public:
    std::atomic<int> reads{0};
    std::atomic<int> stamps{0};

    std::vector<DirectoryEntry> ListDirectory(const Utf8Text& folder,
                                              const Utf8Text& pattern) override {
        return disk_.ListDirectory(folder, pattern);
    }
    std::optional<std::string> ReadWholeFile(const Utf8Text& path) override {
        ++reads;
        return disk_.ReadWholeFile(path);
    }
    bool WriteWholeFile(const Utf8Text& path, const std::string& bytes) override {
        return disk_.WriteWholeFile(path, bytes);
    }
    bool IsDirectory(const Utf8Text& path) override { return disk_.IsDirectory(path); }
    bool CreateDirectories(const Utf8Text& path) override { return disk_.CreateDirectories(path); }
    bool RenamePath(const Utf8Text& from, const Utf8Text& to) override {
        return disk_.RenamePath(from, to);
    }
    bool RemoveFile(const Utf8Text& path) override { return disk_.RemoveFile(path); }
    bool RemoveDirectoryTree(const Utf8Text& path) override {
        return disk_.RemoveDirectoryTree(path);
    }
    bool PathExists(const Utf8Text& path) override { return disk_.PathExists(path); }
    bool CreateNewEmptyFile(const Utf8Text& path) override {
        return disk_.CreateNewEmptyFile(path);
    }
    bool AppendToFile(const Utf8Text& path, const std::string& bytes) override {
        return disk_.AppendToFile(path, bytes);
    }
    bool ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) override {
        return disk_.ReplaceFileAtomically(path, bytes);
    }
    Utf8Text ExecutableFolder() override { return disk_.ExecutableFolder(); }
    std::optional<FileStamp> StampOf(const Utf8Text& path) override {
        ++stamps;
        return disk_.StampOf(path);
    }
    std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text& folder) override {
        return disk_.WatchFolder(folder);
    }

  private:
    Win32Platform& disk_ = ThePlatform();
};

class SearchWindowsTest : public ::testing::Test {
  protected:
    static constexpr int kPromptId = 102;           // 标签2 of either window
    static constexpr int kRowMenuFindNextId = 203;  // the list's 右键 ▸ 下一个

    static void SetUpTestSuite() { StartUiThreadDispatcher(); }

    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_NE(LoadLibraryW(L"msftedit.dll"), nullptr);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        RegisterClassW(&windowClass);
        window_.reset(CreateWindowExW(0, kClassName, L"kavo search test",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300, 600, 400, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), this));
        ASSERT_TRUE(window_);
        treeHwnd_ = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 350,
                                    window_.get(), nullptr, nullptr, nullptr);
        editHwnd_ = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                    WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_NOHIDESEL, 200, 0,
                                    380, 350, window_.get(), nullptr, nullptr, nullptr);
        tree_ = std::make_unique<Win32TreeWidget>(treeHwnd_);
        editor_ = std::make_unique<Win32EditorWidget>(editHwnd_);
        library_ = std::make_unique<Library>(ThePlatform(), *tree_, *editor_, [] {});
        const std::wstring temp = test::TempFolder();
        folder_ = WideToUtf8(std::wstring(temp) + L"kavo-search-" +
                             std::to_wstring(GetCurrentProcessId()));
        ThePlatform().RemoveDirectoryTree(folder_);
        library_->contentRoot = folder_ + "\\content\\";
    }

    void TearDown() override {
        search_.reset();
        find_.reset();
        window_.reset();
        ThePlatform().RemoveDirectoryTree(folder_);
    }

    // Written, its write time then put a minute back: the search reads a page written in the
    // last 2 s again at every search (its stamp cannot vouch for it), and these tests are about
    // pages that were there before.
    void AddPage(const std::wstring& relative, const std::string& bytes) {
        const std::string path = library_->contentRoot + WideToUtf8(relative);
        ASSERT_TRUE(ThePlatform().CreateDirectories(path.substr(0, path.find_last_of('\\'))));
        ASSERT_TRUE(ThePlatform().WriteWholeFile(path, bytes));
        const UniqueFile file(CreateFileW((L"\\\\?\\" + Utf8ToWide(path)).c_str(),
                                          FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                          nullptr));
        ASSERT_TRUE(file);
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time{};
        time.LowPart = now.dwLowDateTime;
        time.HighPart = now.dwHighDateTime;
        time.QuadPart -= 600'000'000;  // a minute, in 100-nanosecond steps
        const FILETIME earlier{time.LowPart, time.HighPart};
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &earlier));
    }
    void AddPage(const std::wstring& relative, const std::wstring& text) {
        AddPage(relative, WideToGbk(text));
    }

    HWND OpenSearch() {
        search_ = std::make_unique<GlobalSearchWindow>(editHwnd_, *library_, files_);
        search_->Open(window_.get());
        EXPECT_TRUE(search_->IsOpen());
        return search_->Handle();
    }
    void Search(const std::wstring& text) {
        HWND window = search_->Handle();
        SetWindowTextW(Child(window, MSFTEDIT_CLASS), text.c_str());
        SendMessageW(Child(window, L"Button", L"搜索"), BM_CLICK, 0, 0);
    }
    std::wstring Status() {
        HWND window = search_->Handle();
        struct Search {
            std::wstring text;
        } found;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM context) -> BOOL {
                const std::wstring text = Text(child);
                if (text.rfind(L"文本输出信息", 0) == 0)
                    reinterpret_cast<Search*>(context)->text = text;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found.text;
    }
    bool SearchEnded() { return Status().find(L"已搜索") != std::wstring::npos; }
    std::vector<std::pair<std::wstring, std::wstring>> Rows() {
        HWND list = Child(search_->Handle(), WC_LISTVIEWW);
        std::vector<std::pair<std::wstring, std::wstring>> rows;
        const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            wchar_t cells[2][256] = {};
            for (int column = 0; column < 2; ++column) {
                LVITEMW item{};
                item.iSubItem = column;
                item.pszText = cells[column];
                item.cchTextMax = 256;
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&item));
            }
            rows.emplace_back(cells[0], cells[1]);
        }
        return rows;
    }
    void DoubleClickRow(int row) {
        HWND list = Child(search_->Handle(), WC_LISTVIEWW);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
        NMITEMACTIVATE activate{};
        activate.hdr.hwndFrom = list;
        activate.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = row;
        SendMessageW(search_->Handle(), WM_NOTIFY, activate.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&activate));
    }

    // The prompt above the search box.
    static std::wstring Prompt(HWND window) { return Text(GetDlgItem(window, kPromptId)); }

    CHARRANGE Selection() {
        CHARRANGE range{};
        SendMessageW(editHwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    CountingFiles files_;
    std::unique_ptr<Win32TreeWidget> tree_;
    std::unique_ptr<Win32EditorWidget> editor_;
    std::unique_ptr<Library> library_;
    std::unique_ptr<FindTextWindow> find_;
    std::unique_ptr<GlobalSearchWindow> search_;
    UniqueWindow window_;
    HWND treeHwnd_ = nullptr;
    HWND editHwnd_ = nullptr;
    std::string folder_;

  private:
    static constexpr wchar_t kClassName[] = L"KavoSearchTestWindow";
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<SearchWindowsTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_NOTIFY && self != nullptr && self->tree_ != nullptr &&
            self->tree_->IsSelectionChange(*reinterpret_cast<const NMHDR*>(lParam))) {
            OnTreeSelectionChanged(*self->library_);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

TEST_F(SearchWindowsTest, FindButtonsSelectOccurrencesInTheEditor) {
    find_ = std::make_unique<FindTextWindow>(editHwnd_);
    find_->Open(window_.get());
    ASSERT_TRUE(find_->IsOpen());
    HWND box = Child(find_->Handle(), MSFTEDIT_CLASS);
    HWND search = Child(find_->Handle(), L"Button", L"搜索");
    HWND next = Child(find_->Handle(), L"Button", L"下一个");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(search, nullptr);
    ASSERT_NE(next, nullptr);

    struct Step {
        HWND button;
        LONG from, to;
    };
    struct Case {
        const wchar_t* editorText;
        const wchar_t* searchText;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {L"abc abc", L"abc", {{search, 0, 3}, {next, 4, 7}, {next, 4, 7}}},
        {L"aaa", L"aa", {{search, 0, 2}, {next, 1, 3}}},
        // A line break is one position; a Chinese character is one position.
        {L"第一行\r\n鼠标(左键)\r\n鼠标(右键)", L"鼠标", {{search, 4, 6}, {next, 11, 13}}},
        // Letter case counts: nothing found, the selection stays where it was.
        {L"abc", L"ABC", {{search, 1, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.editorText));
        SetWindowTextW(editHwnd_, c.editorText);
        CHARRANGE caret{1, 1};
        SendMessageW(editHwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        SetWindowTextW(box, c.searchText);
        for (const auto& step : c.steps) {
            SendMessageW(step.button, BM_CLICK, 0, 0);
            const CHARRANGE selection = Selection();
            EXPECT_EQ(selection.cpMin, step.from);
            EXPECT_EQ(selection.cpMax, step.to);
            EXPECT_EQ(GetFocus(), editHwnd_);
        }
    }
    // Enter in the search box searches from the start; Escape closes the window. The keys go
    // through the message loop, as typed keys do.
    SetWindowTextW(editHwnd_, L"x abc abc");
    SetWindowTextW(box, L"abc");
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return Selection().cpMin == 2 && Selection().cpMax == 5; }));
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !find_->IsOpen(); }));
    find_->Open(window_.get());
    // 退出 closes the window; opening again makes a new one.
    SendMessageW(Child(find_->Handle(), L"Button", L"退出"), BM_CLICK, 0, 0);
    EXPECT_FALSE(find_->IsOpen());
    find_->Open(window_.get());
    EXPECT_TRUE(find_->IsOpen());
}

TEST_F(SearchWindowsTest, GlobalSearchListsPagesAndRowsOpenThemAfterARebuild) {
    AddPage(L"A\\one.txt", L"xabcx");
    AddPage(L"A\\two.txt", L"ABC");
    AddPage(L"B\\one.txt", L"abc 中文");
    AddPage(L"B\\rich.txt", std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 abc;}}\\f0 a\\b bc}"));
    AddPage(L"B\\split.txt", std::string("\xD6\xD0\xCE\xC4"));  // 中文
    RebuildLibraryTree(*library_);
    ASSERT_EQ(tree_->Count(), 7);
    OpenSearch();

    Search(L"\x3000 abc ");  // spaces at the ends do not count
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    using RowList = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(Rows(), (RowList{{L"1", L"one"}, {L"4", L"one"}, {L"5", L"rich"}}));
    EXPECT_NE(Status().find(L"已搜索 5 页，找到 3 页"), std::wstring::npos) << WideToUtf8(Status());

    Search(L"文");
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows(), (RowList{{L"4", L"one"}, {L"6", L"split"}}));

    // A character GBK cannot hold is in no page; it must not become the '?' a page may hold.
    // The search is refused at once: no rows, no summary, the prompt says why.
    AddPage(L"B\\question.txt", L"why?");
    RebuildLibraryTree(*library_);
    Search(L"\x0E01");  // Thai
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(SearchEnded()) << WideToUtf8(Status());
    EXPECT_NE(Prompt(search_->Handle()).find(L"\x0E01"), std::wstring::npos);
    Search(L"?");  // positive control
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows(), (RowList{{L"5", L"question"}}));
    EXPECT_EQ(Prompt(search_->Handle()), L"请输入你要搜索的文本！");
    ASSERT_TRUE(ThePlatform().RemoveFile(library_->contentRoot + "B\\question.txt"));
    RebuildLibraryTree(*library_);
    Search(L"文");
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));

    // Opening a row is a change of page: the unsaved-changes check sees the old text first.
    std::vector<std::wstring> checkedTexts;
    library_->leavePageCheck = [&](Library&) {
        checkedTexts.push_back(Text(editHwnd_));
        return true;
    };
    SetWindowTextW(editHwnd_, L"edited, not saved");

    // A library operation adds a directory before A: indices move, the rows keep their pages.
    AddPage(L"0new\\first.txt", L"");
    RebuildLibraryTree(*library_);
    ASSERT_EQ(tree_->Text(2), "A");
    DoubleClickRow(0);
    EXPECT_EQ(tree_->SelectedIndex(), 6);
    EXPECT_EQ(tree_->Text(6), "one");
    EXPECT_EQ(tree_->Text(tree_->Parent(6)), "B");
    EXPECT_EQ(Text(editHwnd_), L"abc 中文");
    EXPECT_EQ(checkedTexts, std::vector<std::wstring>{L"edited, not saved"});

    // A row whose page is gone opens nothing.
    ASSERT_TRUE(ThePlatform().RemoveFile(library_->contentRoot + "B\\split.txt"));
    RebuildLibraryTree(*library_);
    SetWindowTextW(editHwnd_, L"unchanged");
    DoubleClickRow(1);
    EXPECT_EQ(tree_->SelectedIndex(), -1);
    EXPECT_EQ(Text(editHwnd_), L"unchanged");
}

TEST_F(SearchWindowsTest, BothWindowsRefuseATextGbkCannotHoldWithTheSameMessage) {
    AddPage(L"A\\question.txt", L"why?");
    RebuildLibraryTree(*library_);
    SetWindowTextW(editHwnd_, L"why? because");
    find_ = std::make_unique<FindTextWindow>(editHwnd_);
    find_->Open(window_.get());
    OpenSearch();
    HWND findBox = Child(find_->Handle(), MSFTEDIT_CLASS);
    const auto findButton = [&](const wchar_t* caption) {
        SendMessageW(Child(find_->Handle(), L"Button", caption), BM_CLICK, 0, 0);
    };

    // Typed texts with a character GBK cannot hold, alone, among others and outside the
    // basic plane; the prompt names the first such character.
    struct Case {
        const wchar_t* typed;
        const wchar_t* named;
    };
    const Case cases[] = {
        {L"\x0E01", L"\x0E01"},               // Thai
        {L"wh\x0E01y?\x0E02", L"\x0E01"},     // among characters GBK holds
        {L"\xD83D\xDE00?", L"\xD83D\xDE00"},  // an emoji, two UTF-16 units
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.typed));
        CHARRANGE caret{7, 7};
        SendMessageW(editHwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        SetWindowTextW(findBox, c.typed);
        for (const wchar_t* button : {L"搜索", L"下一个"}) {
            findButton(button);
            // Nothing was searched: no '?' was found and selected.
            EXPECT_EQ(Selection().cpMin, 7);
            EXPECT_EQ(Selection().cpMax, 7);
            EXPECT_EQ(GetFocus(), findBox);
        }
        const std::wstring refusal = Prompt(find_->Handle());
        EXPECT_NE(refusal.find(std::wstring(L"“") + c.named + L"”"), std::wstring::npos)
            << WideToUtf8(refusal);
        Search(c.typed);
        EXPECT_TRUE(Rows().empty());
        EXPECT_FALSE(SearchEnded());
        EXPECT_EQ(Prompt(search_->Handle()), refusal);
        // The list's 右键 ▸ 下一个 searches the editor with the same text: refused too.
        SendMessageW(search_->Handle(), WM_COMMAND, kRowMenuFindNextId, 0);
        EXPECT_EQ(Selection().cpMin, 7);
        EXPECT_EQ(Selection().cpMax, 7);
    }

    // Positive control: the '?' itself is searched in both, and the prompts ask again.
    SetWindowTextW(findBox, L"?");
    findButton(L"搜索");
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 4);
    EXPECT_EQ(Prompt(find_->Handle()), L"请输入你要搜索的文本！");
    Search(L"?");
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Prompt(search_->Handle()), L"请输入你要搜索的文本！");
}

TEST_F(SearchWindowsTest, ASearchAgainKeepsThePagesAndSeesWhatChangedOnTheDiskMeanwhile) {
    AddPage(L"A\\one.txt", L"needle");
    AddPage(L"A\\two.txt", L"hay");
    AddPage(L"B\\one.txt", L"needle");
    RebuildLibraryTree(*library_);
    OpenSearch();
    using RowList = std::vector<std::pair<std::wstring, std::wstring>>;
    Search(L"needle");
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows(), (RowList{{L"1", L"one"}, {L"4", L"one"}}));
    EXPECT_EQ(library_->pageTexts.HeldPages(), 3u);
    EXPECT_EQ(files_.reads.exchange(0), 3);   // positive control of the counts below
    EXPECT_EQ(files_.stamps.exchange(0), 6);  // each read kept only as its stamp stood still

    // Each search runs on a thread of its own that ends with it; the watches must outlive it.
    for (int again = 0; again < 2; ++again) {
        Search(L"needle");
        ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
        EXPECT_EQ(Rows(), (RowList{{L"1", L"one"}, {L"4", L"one"}}));
        EXPECT_EQ(files_.reads.exchange(0), 0);
        EXPECT_EQ(files_.stamps.exchange(0), 0);
    }

    // Changed by another program, searched again at once.
    AddPage(L"A\\two.txt", L"a needle now");
    AddPage(L"B\\one.txt", L"no more");
    Search(L"needle");
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows(), (RowList{{L"1", L"one"}, {L"2", L"two"}}));
    EXPECT_EQ(library_->pageTexts.HeldPages(), 3u);
    // Positive control beside the unchanged rows: the search reads what it kept.
    Search(L"no more");
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows(), (RowList{{L"4", L"one"}}));
}

TEST_F(SearchWindowsTest, ClosingOrSearchingAgainCancelsARunningSearch) {
    for (int i = 0; i < 400; ++i)
        AddPage(L"A\\p" + std::to_wstring(1000 + i) + L".txt",
                std::wstring(2000, L'x') + (i % 2 ? L"needle" : L""));
    RebuildLibraryTree(*library_);
    OpenSearch();
    Search(L"needle");
    SendMessageW(Child(search_->Handle(), L"Button", L"退出"), BM_CLICK, 0, 0);
    EXPECT_FALSE(search_->IsOpen());
    test::PumpMessagesFor(std::chrono::milliseconds(300));  // the old search's rows go nowhere

    search_->Open(window_.get());
    Search(L"needle");
    Search(L"needle");  // the first of these two is dropped, the second lists every hit once
    ASSERT_TRUE(WaitFor([&] { return SearchEnded(); }));
    EXPECT_EQ(Rows().size(), 200u);
    EXPECT_NE(Status().find(L"已搜索 400 页，找到 200 页"), std::wstring::npos);
}

}  // namespace
}  // namespace kavo
