// The library over a real tree view and rich edit, with pages on disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/editor_widget_win32.h"
#include "library/library_tree.h"
#include "library/tree_widget_win32.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/wide.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

std::string U8(const std::wstring& wide) {
    return WideToUtf8(wide);
}

// The window a test drives: a tree view and a rich edit side by side, selection changes of the
// tree forwarded to the library as the main window does.
class WidgetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_NE(LoadLibraryW(L"msftedit.dll"), nullptr);
        RegisterWindowClass();
        window_.reset(CreateWindowExW(0, kClassName, L"kavo widgets test",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 600, 500, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), this));
        ASSERT_TRUE(window_);
        treeHwnd_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                    WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                        TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                    0, 0, 200, 450, window_.get(), nullptr, nullptr, nullptr);
        editHwnd_ = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                        ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                                    200, 0, 380, 450, window_.get(), nullptr, nullptr, nullptr);
        ASSERT_NE(treeHwnd_, nullptr);
        ASSERT_NE(editHwnd_, nullptr);
        tree_ = std::make_unique<Win32TreeWidget>(treeHwnd_);
        editor_ = std::make_unique<Win32EditorWidget>(editHwnd_);
        images_ = CreateLibraryImageList();
        tree_->SetImageList(static_cast<HIMAGELIST>(images_.get()));
        library_ = std::make_unique<Library>(ThePlatform(), *tree_, *editor_,
                                             [] { ThePlatform().ProcessPendingEvents(); });

        const std::wstring temp = test::TempFolder();
        folder_ =
            U8(std::wstring(temp) + L"kavo-widgets-" + std::to_wstring(GetCurrentProcessId()));
        ThePlatform().RemoveDirectoryTree(folder_);
        library_->contentRoot = folder_ + "\\content\\";
    }

    void TearDown() override {
        window_.reset();
        ThePlatform().RemoveDirectoryTree(folder_);
    }

    void AddPage(const std::wstring& relative, const std::wstring& text) {
        const std::string path = library_->contentRoot + U8(relative);
        ASSERT_TRUE(ThePlatform().CreateDirectories(path.substr(0, path.find_last_of('\\'))));
        ASSERT_TRUE(ThePlatform().WriteWholeFile(path, WideToGbk(text)));
    }

    // The sample library: Chinese names, a name outside GBK (Thai U+0E01), a page whose file is
    // not name + ".txt", a dot folder and a file directly in the content folder.
    void AddSampleLibrary() {
        AddPage(L"示例\\你好.txt", L"信息框(你好)\r\n延时(100)");
        AddPage(L"示例\\Notes.TXT", L"notes");
        AddPage(L"示例\\\x0E01.txt", L"泰文页面");
        AddPage(L"鼠标\\a.txt", L"aaa");
        AddPage(L".git\\config.txt", L"");
        AddPage(L"x.txt", L"");
    }

    std::wstring EditorText() const {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(editHwnd_)) + 16, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(editHwnd_, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    // The control's own view of an item, read without the adapter.
    struct RawItem {
        std::wstring text;
        int image = -1;
        int selectedImage = -1;
        bool bold = false;
    };
    std::vector<RawItem> RawItemsInPreOrder() const {
        std::vector<RawItem> items;
        std::vector<HTREEITEM> stack;
        for (HTREEITEM item = TreeView_GetRoot(treeHwnd_); item != nullptr;) {
            wchar_t text[512] = {};
            TVITEMW query{};
            query.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_HANDLE;
            query.hItem = item;
            query.pszText = text;
            query.cchTextMax = 512;
            query.stateMask = TVIS_BOLD;
            TreeView_GetItem(treeHwnd_, &query);
            items.push_back({query.pszText, query.iImage, query.iSelectedImage,
                             (query.state & TVIS_BOLD) != 0});
            if (HTREEITEM child = TreeView_GetChild(treeHwnd_, item)) {
                stack.push_back(item);
                item = child;
                continue;
            }
            HTREEITEM next = TreeView_GetNextSibling(treeHwnd_, item);
            while (next == nullptr && !stack.empty()) {
                next = TreeView_GetNextSibling(treeHwnd_, stack.back());
                stack.pop_back();
            }
            item = next;
        }
        return items;
    }

    std::unique_ptr<Win32TreeWidget> tree_;
    std::unique_ptr<Win32EditorWidget> editor_;
    std::unique_ptr<Library> library_;
    UniqueImageList images_;  // outlives the window, which is destroyed first
    UniqueWindow window_;
    HWND treeHwnd_ = nullptr;
    HWND editHwnd_ = nullptr;
    std::string folder_;
    std::vector<int> selectionEvents_;  // SelectedIndex at each TVN_SELCHANGED

  private:
    static constexpr wchar_t kClassName[] = L"KavoWidgetsTestWindow";

    static void RegisterWindowClass() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&windowClass);
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<WidgetsTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_NOTIFY && self != nullptr && self->tree_ != nullptr &&
            self->tree_->IsSelectionChange(*reinterpret_cast<const NMHDR*>(lParam))) {
            self->selectionEvents_.push_back(self->tree_->SelectedIndex());
            if (self->library_ != nullptr) OnTreeSelectionChanged(*self->library_);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

TEST_F(WidgetsTest, ContentRootIsBesideTheExecutable) {
    wchar_t module[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    std::wstring exe(module, length);
    EXPECT_EQ(ComputeContentRoot(ThePlatform()),
              U8(exe.substr(0, exe.find_last_of(L'\\'))) + "\\content\\");
}

TEST_F(WidgetsTest, BuildsTheTreeFromTheFolderWithBoldDirectoriesAndImages) {
    AddSampleLibrary();
    RebuildLibraryTree(*library_);

    const std::vector<std::wstring> texts = {L"示例", L"Notes.TXT", L"\x0E01",
                                             L"你好", L"鼠标",      L"a"};
    ASSERT_EQ(tree_->Count(), 6);
    EXPECT_EQ(TreeView_GetCount(treeHwnd_), 6u);
    const auto raw = RawItemsInPreOrder();
    ASSERT_EQ(raw.size(), texts.size());
    for (int i = 0; i < 6; ++i) {
        const bool directory = i == 0 || i == 4;
        SCOPED_TRACE(i);
        EXPECT_EQ(tree_->Text(i), U8(texts[static_cast<std::size_t>(i)]));
        EXPECT_EQ(raw[static_cast<std::size_t>(i)].text, texts[static_cast<std::size_t>(i)]);
        EXPECT_EQ(tree_->IsBold(i), directory);
        EXPECT_EQ(raw[static_cast<std::size_t>(i)].bold, directory);
        EXPECT_EQ(raw[static_cast<std::size_t>(i)].image, directory ? 0 : 3);
        EXPECT_EQ(raw[static_cast<std::size_t>(i)].selectedImage, directory ? 0 : 3);
    }
    EXPECT_EQ(tree_->Parent(0), -1);
    EXPECT_EQ(tree_->Parent(3), 0);
    EXPECT_EQ(tree_->Parent(4), -1);
    EXPECT_EQ(tree_->Parent(5), 4);
    EXPECT_TRUE(tree_->HasChildren(0));
    EXPECT_FALSE(tree_->HasChildren(1));
    EXPECT_FALSE(tree_->IsExpanded(0));
    EXPECT_EQ(tree_->SelectedIndex(), -1);
    EXPECT_EQ(tree_->Text(-1), "");
}

TEST_F(WidgetsTest, SelectingPagesShowsTheirTextAndDirectoriesLeaveIt) {
    AddSampleLibrary();
    RebuildLibraryTree(*library_);

    tree_->Select(3);  // 你好
    EXPECT_EQ(EditorText(), L"信息框(你好)\r\n延时(100)");
    const RuntimeText read = editor_->ReadText();
    EXPECT_EQ(read.substr(0, 6), "\xD0\xC5\xCF\xA2\xBF\xF2");  // 信息框 in GBK
    EXPECT_EQ(read, WideToGbk(L"信息框(你好)\r\n延时(100)"));
    EXPECT_EQ(library_->state.baselineText, read);
    EXPECT_EQ(library_->state.lastSelectedIndex, 3);

    tree_->Select(2);  // a name GBK cannot hold
    EXPECT_EQ(EditorText(), L"泰文页面");
    tree_->Select(1);  // Notes.TXT: loaded from its real file name
    EXPECT_EQ(EditorText(), L"notes");
    tree_->Select(4);  // a directory
    EXPECT_EQ(EditorText(), L"notes");
    EXPECT_EQ(library_->state.lastSelectedIndex, 4);
    EXPECT_EQ(selectionEvents_, (std::vector<int>{3, 2, 1, 4}));
}

TEST_F(WidgetsTest, RebuildClearsTheSelectionQuietlyAndReopensDirectories) {
    AddSampleLibrary();
    RebuildLibraryTree(*library_);
    tree_->Expand(0);
    tree_->Select(3);
    editor_->ReplaceText("edited");
    selectionEvents_.clear();

    AddPage(L"示例\\新页.txt", L"");
    RebuildLibraryTree(*library_);
    EXPECT_EQ(tree_->Count(), 7);
    EXPECT_EQ(tree_->SelectedIndex(), -1);
    // At most the one report of no selection; no page was loaded by the emptying.
    for (int index : selectionEvents_) EXPECT_EQ(index, -1);
    EXPECT_EQ(editor_->ReadText(), "edited");
    EXPECT_EQ(library_->state.lastSelectedIndex, 3);
    EXPECT_TRUE(tree_->IsExpanded(0));
    EXPECT_FALSE(tree_->IsExpanded(5));  // 鼠标
}

TEST_F(WidgetsTest, EditorKeepsLongTextsAndLineEnds) {
    editor_->ReplaceText("a\nb\r\nc");  // a lone line feed comes back as CR LF
    EXPECT_EQ(editor_->ReadText(), "a\r\nb\r\nc");
    editor_->ReplaceText("");
    EXPECT_EQ(editor_->ReadText(), "");

    // Beyond the control's default limit of 32767 characters, and line ends at every offset of
    // the pieces the text is handed over in. (Few lines: removing many paragraphs again is slow
    // in Wine's rich edit.)
    RuntimeText longText;
    for (int i = 0; i < 40; ++i) longText += WideToGbk(std::wstring(1000, L'\x9F20')) + "\r\n";
    for (int i = 0; i < 2000; ++i) longText += std::string(1 + i % 7, 'x') + "\r\n";
    longText += "end";
    editor_->ReplaceText(longText);
    const RuntimeText read = editor_->ReadText();
    // Compared by hand: a diff of two long texts would take minutes to print.
    std::size_t same = 0;
    while (same < read.size() && same < longText.size() && read[same] == longText[same]) ++same;
    EXPECT_EQ(same, longText.size())
        << "differs near: " << longText.substr(same < 40 ? 0 : same - 40, 80);
    EXPECT_EQ(read.size(), longText.size());
}

TEST_F(WidgetsTest, EditorTakesTextThatLooksLikeRtfAsPlainText) {
    const RuntimeText page = "{\\rtf1\\ansi {\\b bold}}\r\n" + WideToGbk(L"延时(1)");
    editor_->ReplaceText(page);
    EXPECT_EQ(editor_->ReadText(), page);
}

TEST_F(WidgetsTest, TreeKeepsLongTextsAndPreOrderForLateChildren) {
    const Utf8Text longName = U8(std::wstring(700, L'\x4E2D'));  // 中 x 700
    EXPECT_EQ(tree_->Append(-1, "A", 0, true), 0);
    EXPECT_EQ(tree_->Append(-1, "B", 0, true), 1);
    EXPECT_EQ(tree_->Append(0, longName, 3, false), 1);  // under A: before B
    EXPECT_EQ(tree_->Append(2, "b1", 3, false), 3);
    EXPECT_EQ(tree_->Append(7, "nowhere", 3, false), -1);
    EXPECT_EQ(tree_->Text(1), longName);
    EXPECT_EQ(tree_->Parent(3), 2);
    EXPECT_EQ(tree_->Text(2), "B");
    tree_->Expand(0);
    EXPECT_TRUE(tree_->IsExpanded(0));
    tree_->Collapse(0);
    EXPECT_FALSE(tree_->IsExpanded(0));
    tree_->RemoveAll();
    EXPECT_EQ(tree_->Count(), 0);
    EXPECT_EQ(TreeView_GetCount(treeHwnd_), 0u);
}

TEST_F(WidgetsTest, LibraryImageListHoldsTheDirectoryAndPagePictures) {
    const auto images = static_cast<HIMAGELIST>(images_.get());
    EXPECT_EQ(ImageList_GetImageCount(images), 4);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
}

}  // namespace
}  // namespace kavo
