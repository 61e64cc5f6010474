#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "library/library_operations.h"
#include "library/page_encoding.h"
#include "library/page_names.h"
#include "library/page_search.h"
#include "library/recovery.h"
#include "native/library_fakes.h"
#include "platform/fake/recording_platform.h"
#include "platform/temporary_file.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Utf8Text kRoot = "C:\\kavo\\content\\";

// Answers the dialogs from scripts and records what was asked and shown.
class ScriptedUi : public LibraryUserInterface {
  public:
    std::deque<std::optional<Utf8Text>> texts;  // nullopt: 取消
    std::deque<bool> confirms;
    bool fitsGbk = true;
    std::vector<Utf8Text> asked;
    std::vector<Utf8Text> messages;
    std::function<void()> whileConfirming;
    // When set, the answer to every "你还未保存数据，是否保存！", taken from no queue.
    std::optional<bool> unsavedAnswer;

    std::optional<Utf8Text> AskText(const Utf8Text& title, const Utf8Text& prompt) override {
        asked.push_back(title + "|" + prompt);
        if (texts.empty()) return std::nullopt;
        auto answer = texts.front();
        texts.pop_front();
        return answer;
    }
    bool AskConfirm(const Utf8Text& message) override {
        asked.push_back(message);
        if (whileConfirming) whileConfirming();
        if (unsavedAnswer && message == kUnsavedQuestion) return *unsavedAnswer;
        if (confirms.empty()) return false;
        const bool answer = confirms.front();
        confirms.pop_front();
        return answer;
    }
    bool AskConfirmDefaultCancel(const Utf8Text& message) override {
        askedDefaultCancel.push_back(message);
        return AskConfirm(message);
    }
    void ShowMessage(const Utf8Text& message) override { messages.push_back(message); }
    bool EditorTextFitsGbk() override { return fitsGbk; }
    std::vector<Utf8Text> askedDefaultCancel;  // also in asked
};

// Shows text as the rich edit does: every line break reads back as CR LF, and bytes that are no
// GBK come back as '?'.
class RichEditLikeEditor : public FakeEditor {
  public:
    void ReplaceText(const RuntimeText& newText) override {
        text.clear();
        for (std::size_t i = 0; i < newText.size(); ++i) {
            const auto byte = static_cast<unsigned char>(newText[i]);
            if (newText[i] == '\r' && i + 1 < newText.size() && newText[i + 1] == '\n') continue;
            if (newText[i] == '\r' || newText[i] == '\n') {
                text += "\r\n";
            } else if (byte >= 0x81 && byte <= 0xFE && i + 1 < newText.size() &&
                       static_cast<unsigned char>(newText[i + 1]) >= 0x40 &&
                       static_cast<unsigned char>(newText[i + 1]) != 0x7F &&
                       static_cast<unsigned char>(newText[i + 1]) != 0xFF) {
                text += newText.substr(i, 2);
                ++i;
            } else {
                text += byte >= 0x80 ? '?' : newText[i];
            }
        }
        ++replacements;
    }
};

// Calls that change the disk.
const std::initializer_list<std::string> kWrites = {
    "WriteWholeFile", "CreateNewEmptyFile",  "CreateDirectories",    "RenamePath",
    "RemoveFile",     "RemoveDirectoryTree", "ReplaceFileAtomically"};

class LibraryOperationsTest : public ::testing::Test {
  protected:
    LibraryOperationsTest() : library(disk, tree, editor, nullptr) {
        tree.onSelectionChanged = [this] { OnTreeSelectionChanged(library); };
        library.leavePageCheck = [this](Library& lib) { return LeavePageCheck(lib, ui); };
        disk.AddFolder(kRoot);
    }
    void Start() {
        StartLibrary(library);
        disk.ClearCalls();
    }
    int IndexOf(const Utf8Text& text) const {
        for (int i = 0; i < tree.Count(); ++i)
            if (tree.Text(i) == text) return i;
        return -1;
    }
    void SelectText(const Utf8Text& text) {
        const int index = IndexOf(text);
        ASSERT_NE(index, -1) << text;
        tree.Select(index);
    }
    std::vector<std::string> Writes() const { return disk.CallsStartingWith(kWrites); }

    RecordingPlatform disk;
    FakeTree tree;
    RichEditLikeEditor editor;
    ScriptedUi ui;
    Library library;
};

// --- names ---

TEST(PageNamesTest, RefusedNamesAndAcceptedNames) {
    const Utf8Text folder = kRoot + "d\\";
    struct Case {
        Utf8Text name;
        bool refused;
    };
    const Case cases[] = {
        {"", true},        {"   ", true},      {".", true},        {"..", true},
        {"a\\b", true},    {"a/b", true},      {"a:b", true},      {"a*b", true},
        {"a?b", true},     {"a\"b", true},     {"a<b", true},      {"a>b", true},
        {"a|b", true},     {"a\tb", true},     {"a\x01", true},    {"a\x7F", true},
        {"name.", true},   {"name ", true},    {"CON", true},      {"con", true},
        {"Nul.txt", true}, {"com1", true},     {"LPT9.log", true}, {"aux .x", true},
        {"PRN", true},     {"脚本", false},    {"a.b", false},     {" lead", false},
        {"COM10", false},  {"console", false}, {"con x", false},   {"%a^&'()", false},
        {"COM0", false},   {"x.txt", false},   {"😀", false},       {".hidden", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RefuseName(c.name, NameKind::Page, folder + c.name + ".txt").has_value(),
                  c.refused)
            << c.name;
    EXPECT_TRUE(RefuseName(".hidden", NameKind::Directory, kRoot + ".hidden").has_value());

    // Too long: a name as the file system stores it (a page with its ".txt"), in UTF-16 units,
    // and the whole path; beyond the old 260 a path is still fine.
    const Utf8Text longest(kMaxNameUnits - 4, 'a');
    EXPECT_FALSE(RefuseName(longest, NameKind::Page, folder + longest + ".txt"));
    EXPECT_TRUE(RefuseName(longest + "a", NameKind::Page, folder + longest + "a.txt"));
    Utf8Text chinese;
    while (Utf16Length(chinese) < kMaxNameUnits) chinese += "中";
    EXPECT_FALSE(RefuseName(chinese, NameKind::Directory, kRoot + chinese));
    EXPECT_TRUE(RefuseName(chinese + "中", NameKind::Directory, kRoot + chinese + "中"));
    const Utf8Text deepFolder = kRoot + std::string(300, 'd') + "\\";
    EXPECT_FALSE(RefuseName("p", NameKind::Page, deepFolder + "p.txt"));
    const Utf8Text tooDeep(kMaxPathUnits, 'x');
    EXPECT_TRUE(RefuseName("p", NameKind::Page, tooDeep + "\\p.txt"));
    EXPECT_EQ(Utf16Length("a中😀"), 4u);
}

TEST(PageNamesTest, OnlyPlainNamesBelowTheRootLieInside) {
    const std::pair<Utf8Text, bool> cases[] = {
        {kRoot + "d", true},
        {kRoot + "d\\", true},
        {kRoot + "d\\p.txt", true},
        {kRoot, false},
        {kRoot + "\\", false},
        {kRoot + "..", false},
        {kRoot + "d\\..\\..\\x.txt", false},
        {kRoot + ".\\d", false},
        {kRoot + "d\\\\p.txt", false},
        {kRoot + "d/../x", false},
        {kRoot + "d\\p.txt:stream", false},
        {"C:\\kavo\\contentx\\d", false},
        {"C:\\other\\d", false},
    };
    for (const auto& [path, inside] : cases) EXPECT_EQ(LiesInside(kRoot, path), inside) << path;
}

// --- the six commands ---

TEST_F(LibraryOperationsTest, NewPageGoesIntoTheSelectedItemsDirectory) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFolder(kRoot + "B");
    Start();
    SelectText("A");  // a directory
    ui.texts = {Utf8Text("新页")};
    NewPage(library, ui);
    EXPECT_THAT(ui.asked, ElementsAre("新建页面|请输入页面名称"));
    EXPECT_TRUE(disk.HasFile(kRoot + "A\\新页.txt"));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\新页.txt"), "");
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a1", "新页", "B"));
    EXPECT_EQ(tree.SelectedIndex(), -1);

    SelectText("a1");  // a page: its directory
    ui.texts = {Utf8Text("second")};
    NewPage(library, ui);
    EXPECT_TRUE(disk.HasFile(kRoot + "A\\second.txt"));
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LibraryOperationsTest, NewPageNeverOverwritesAPage) {
    disk.AddFile(kRoot + "A\\old.txt", "precious");
    Start();
    for (const Utf8Text name : {"old", "OLD"}) {
        SelectText("A");
        ui.texts = {name};
        disk.ClearCalls();
        NewPage(library, ui);
        EXPECT_EQ(disk.FileBytes(kRoot + "A\\old.txt"), "precious") << name;
        EXPECT_THAT(Writes(), IsEmpty()) << name;
        ASSERT_EQ(ui.messages.size(), 1u) << name;
        EXPECT_THAT(ui.messages.back(), ::testing::HasSubstr("已经存在"));
        ui.messages.clear();
    }
}

TEST_F(LibraryOperationsTest, PageCommandsWithoutASelectionDoNothingButRebuild) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile(kRoot + ".txt", "would be named by an empty selection");
    Start();
    ui.texts = {Utf8Text("x"), Utf8Text("y")};
    ui.confirms = {true, true, true};
    NewPage(library, ui);
    DeletePage(library, ui);
    RenamePage(library, ui);
    DeleteDirectory(library, ui);
    RenameDirectory(library, ui);
    EXPECT_THAT(ui.asked, IsEmpty());
    EXPECT_THAT(Writes(), IsEmpty());
    EXPECT_FALSE(disk.HasFile(kRoot + "x.txt"));
    EXPECT_TRUE(disk.HasFile(kRoot + ".txt"));
    EXPECT_EQ(disk.CallsStartingWith({"ListDirectory(" + kRoot + "|"}).size(), 5u);
}

TEST_F(LibraryOperationsTest, WrongKindOfItemShowsNoDialogAndChangesNothing) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    Start();
    ui.texts = {Utf8Text("x"), Utf8Text("y")};
    ui.confirms = {true, true};
    SelectText("A");
    DeletePage(library, ui);
    RenamePage(library, ui);
    SelectText("a1");
    DeleteDirectory(library, ui);
    RenameDirectory(library, ui);
    EXPECT_THAT(ui.asked, IsEmpty());
    EXPECT_THAT(Writes(), IsEmpty());
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a1"));
}

TEST_F(LibraryOperationsTest, CancelledDialogsLeaveTheDiskAlone) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    Start();
    const std::vector<std::pair<const char*, void (*)(Library&, LibraryUserInterface&)>> commands =
        {{"A", NewPage},         {"A", NewDirectory}, {"a1", DeletePage},
         {"A", DeleteDirectory}, {"a1", RenamePage},  {"A", RenameDirectory}};
    for (const auto& [item, command] : commands) {
        SelectText(item);
        command(library, ui);  // no scripted answers: every dialog is cancelled
    }
    EXPECT_EQ(ui.asked.size(), 6u);
    EXPECT_THAT(Writes(), IsEmpty());
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a1"));
}

TEST_F(LibraryOperationsTest, BadNamesAreRefusedWithAMessageBeforeTheDiskIsTouched) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    Start();
    const std::vector<std::pair<const char*, void (*)(Library&, LibraryUserInterface&)>> commands =
        {{"A", NewPage}, {"A", NewDirectory}, {"a1", RenamePage}, {"A", RenameDirectory}};
    for (const Utf8Text bad : {"", "  ", "..", "..\\..\\evil", "a/b", "nul", "x.", "c:x"}) {
        for (const auto& [item, command] : commands) {
            SelectText(item);
            ui.texts = {bad};
            ui.messages.clear();
            disk.ClearCalls();
            command(library, ui);
            EXPECT_EQ(ui.messages.size(), 1u) << bad;
            EXPECT_THAT(Writes(), IsEmpty()) << bad;
            EXPECT_THAT(disk.CallsStartingWith({"PathExists", "IsDirectory"}), IsEmpty()) << bad;
        }
    }
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a1"));
    // The same commands with a good name do change the disk.
    SelectText("A");
    ui.texts = {Utf8Text("ok")};
    NewPage(library, ui);
    EXPECT_TRUE(disk.HasFile(kRoot + "A\\ok.txt"));
}

TEST_F(LibraryOperationsTest, NewDirectoryCreatesTheContentFolderWhenMissingAndRefusesTwins) {
    RecordingPlatform empty;  // no content folder at all
    Library fresh(empty, tree, editor, nullptr);
    StartLibrary(fresh);
    ui.texts = {Utf8Text("脚本")};
    NewDirectory(fresh, ui);
    EXPECT_TRUE(empty.HasFolder(kRoot + "脚本"));
    EXPECT_THAT(tree.Texts(), ElementsAre("脚本"));

    ui.texts = {Utf8Text("脚本")};
    empty.ClearCalls();
    NewDirectory(fresh, ui);
    EXPECT_THAT(empty.CallsStartingWith(kWrites), IsEmpty());
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(LibraryOperationsTest, DeletingAPageAsksAndRemovesOnlyThatFile) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile(kRoot + "A\\a2.txt", "a2");
    Start();
    SelectText("a1");
    ui.confirms = {false};
    DeletePage(library, ui);
    EXPECT_TRUE(disk.HasFile(kRoot + "A\\a1.txt"));
    SelectText("a1");
    ui.confirms = {true};
    DeletePage(library, ui);
    EXPECT_THAT(ui.asked.back(), "是否删除此页面！注意：此操作不可恢复！");
    EXPECT_FALSE(disk.HasFile(kRoot + "A\\a1.txt"));
    EXPECT_TRUE(disk.HasFile(kRoot + "A\\a2.txt"));
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a2"));
}

TEST_F(LibraryOperationsTest, DeletingADirectoryRemovesExactlyThatDirectoryForEveryName) {
    const Utf8Text names[] = {"100%", "a^b&c", "quote'\"s", "%PATH%", "\xC3\xA9t\xC3\xA9 😀",
                              "plain"};
    for (const Utf8Text& name : names) disk.AddFile(kRoot + name + "\\p.txt", "x");
    disk.AddFile(kRoot + "plain\\sub\\deep.txt", "x");
    for (const Utf8Text& name : names) {
        Start();
        SelectText(name);
        ui.confirms = {true};
        DeleteDirectory(library, ui);
        EXPECT_EQ(ui.asked.back(), "是否删除此目录！注意：目录下的文件会一并删除！");
        EXPECT_THAT(disk.CallsStartingWith({"RemoveDirectoryTree"}),
                    ElementsAre("RemoveDirectoryTree(" + kRoot + name + ")"));
        EXPECT_FALSE(disk.HasFolder(kRoot + name)) << name;
        EXPECT_TRUE(disk.HasFolder(kRoot)) << name;
    }
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LibraryOperationsTest, DirectoryItemsThatWouldNameTheContentFolderOrAboveAreLeftAlone) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile("C:\\kavo\\other.txt", "beside the content folder");
    Start();
    for (const Utf8Text text : {"", "..", ".", "A\\..", "..\\kavo"}) {
        tree.RemoveAll();
        tree.Select(tree.Append(-1, text, kDirectoryImage, true));
        ui.confirms = {true};
        ui.texts = {Utf8Text("x")};
        disk.ClearCalls();
        DeleteDirectory(library, ui);
        tree.Select(tree.Append(-1, text, kDirectoryImage, true));
        RenameDirectory(library, ui);
        EXPECT_THAT(disk.CallsStartingWith({"RemoveDirectoryTree", "RenamePath", "IsDirectory"}),
                    IsEmpty())
            << text;
        EXPECT_TRUE(disk.HasFolder(kRoot)) << text;
    }
    EXPECT_EQ(disk.FileBytes("C:\\kavo\\other.txt"), "beside the content folder");
    // Positive control: a plain directory name is removed.
    tree.RemoveAll();
    tree.Select(tree.Append(-1, "A", kDirectoryImage, true));
    ui.confirms = {true};
    DeleteDirectory(library, ui);
    EXPECT_FALSE(disk.HasFolder(kRoot + "A"));
}

TEST_F(LibraryOperationsTest, RenamesMoveWithinTheFolderAndRefuseExistingNames) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile(kRoot + "A\\a2.txt", "a2");
    disk.AddFolder(kRoot + "B");
    Start();
    SelectText("a1");
    ui.texts = {Utf8Text("a2")};
    RenamePage(library, ui);
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "a1");
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a2.txt"), "a2");
    EXPECT_EQ(ui.messages.size(), 1u);

    SelectText("a1");
    ui.texts = {Utf8Text("renamed")};
    RenamePage(library, ui);
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\renamed.txt"), "a1");
    EXPECT_FALSE(disk.HasFile(kRoot + "A\\a1.txt"));
    EXPECT_THAT(ui.asked.back(), "重命名页面|请输入一个新的名称");

    SelectText("A");
    ui.texts = {Utf8Text("B")};
    RenameDirectory(library, ui);
    EXPECT_TRUE(disk.HasFolder(kRoot + "A"));
    EXPECT_EQ(ui.messages.size(), 2u);

    SelectText("A");
    ui.texts = {Utf8Text("C")};
    RenameDirectory(library, ui);
    EXPECT_THAT(ui.asked.back(), "重命名目录|请输入一个新的目录");
    EXPECT_EQ(disk.FileBytes(kRoot + "C\\renamed.txt"), "a1");
    EXPECT_THAT(tree.Texts(), ElementsAre("B", "C", "a2", "renamed"));
}

// --- saving ---

TEST_F(LibraryOperationsTest, SaveWritesTheLoadedPageWhateverIsSelectedSince) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile(kRoot + "A\\a2.txt", "a2");
    Start();
    SelectText("a1");
    editor.text = "new a1";
    SelectText("A");  // a directory item now
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_THAT(Writes(), ElementsAre("ReplaceFileAtomically(" + kRoot + "A\\a1.txt)"));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "new a1");

    editor.text = "again";
    ui.texts = {Utf8Text("B")};
    NewDirectory(library, ui);  // rebuilt: nothing selected, indices moved
    ASSERT_EQ(tree.SelectedIndex(), -1);
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "again");
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a2.txt"), "a2");
    EXPECT_FALSE(disk.HasFile(kRoot + "A.txt"));
}

TEST_F(LibraryOperationsTest, SavesAndOperationsLetTheSearchForgetWhatTheyChange) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile(kRoot + "A\\a2.txt", "a2");
    Start();
    const auto searchAll = [&] {
        const std::atomic<bool> cancel{false};
        const std::vector<SearchPage> pages = PagesToSearch(library);
        BeginCachedSearch(disk, library.pageTexts, pages);
        SearchPages(disk, library.pageTexts, pages, "a", cancel, [](const SearchPage&) {});
    };
    searchAll();
    ASSERT_EQ(library.pageTexts.HeldPages(), 2u);

    SelectText("a1");
    editor.text = "new a1";
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(library.pageTexts.HeldPages(), 1u);  // a2 is still kept
    searchAll();
    ASSERT_EQ(library.pageTexts.HeldPages(), 2u);

    // Any of the six commands, whatever it did: a cancelled one as well as one that changed
    // something.
    const std::function<void()> commands[] = {
        [&] { NewPage(library, ui); },    [&] { NewDirectory(library, ui); },
        [&] { DeletePage(library, ui); }, [&] { DeleteDirectory(library, ui); },
        [&] { RenamePage(library, ui); }, [&] { RenameDirectory(library, ui); },
    };
    for (const auto& command : commands) {
        searchAll();
        ASSERT_EQ(library.pageTexts.HeldPages(), 2u);
        ui.texts.clear();
        ui.confirms.clear();
        command();
        EXPECT_EQ(library.pageTexts.HeldPages(), 0u);
    }
    // Positive control of the commands above: a rename that went through.
    searchAll();
    SelectText("a2");
    ui.texts = {Utf8Text("b2")};
    RenamePage(library, ui);
    EXPECT_TRUE(disk.HasFile(kRoot + "A\\b2.txt"));
    EXPECT_EQ(library.pageTexts.HeldPages(), 0u);
}

// The search watches the folders it read pages of; a watched folder is kept until its watch is
// closed (as Windows does), so the directory commands let go of the watches first.
TEST_F(LibraryOperationsTest, DirectoriesTheSearchWatchesAreRenamedAndDeleted) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    disk.AddFile(kRoot + "B\\b1.txt", "b1");
    Start();
    const auto searchAll = [&] {
        const std::atomic<bool> cancel{false};
        const std::vector<SearchPage> pages = PagesToSearch(library);
        BeginCachedSearch(disk, library.pageTexts, pages);
        SearchPages(disk, library.pageTexts, pages, "1", cancel, [](const SearchPage&) {});
    };
    searchAll();
    // Positive control: while the search watches it, the folder cannot be renamed.
    EXPECT_FALSE(disk.RenamePath(kRoot + "A", kRoot + "Z"));

    SelectText("A");
    ui.texts = {Utf8Text("C")};
    RenameDirectory(library, ui);
    EXPECT_TRUE(disk.HasFile(kRoot + "C\\a1.txt"));
    EXPECT_THAT(ui.messages, IsEmpty());

    searchAll();
    SelectText("B");
    ui.confirms = {true};
    DeleteDirectory(library, ui);
    EXPECT_FALSE(disk.HasFolder(kRoot + "B"));
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LibraryOperationsTest, SaveBeforeAnyPageOrAfterItsDeletionWritesNothing) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    Start();
    EXPECT_FALSE(SavePage(library, ui));  // an untouched editor has nothing to save
    EXPECT_THAT(ui.asked, IsEmpty());
    EXPECT_THAT(ui.messages, IsEmpty());
    SelectText("a1");
    editor.text = "edited";
    ui.confirms = {true};
    DeletePage(library, ui);  // a1 is still selected
    disk.ClearCalls();
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_THAT(Writes(), IsEmpty());
    EXPECT_FALSE(disk.HasFile(kRoot + "A\\a1.txt"));
}

TEST_F(LibraryOperationsTest, RenamedPageOrDirectoryTakesItsEditsAlong) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    Start();
    SelectText("a1");
    editor.text = "edited";
    ui.texts = {Utf8Text("b1"), Utf8Text("B")};
    RenamePage(library, ui);
    SelectText("A");
    RenameDirectory(library, ui);
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "B\\b1.txt"), "edited");
    EXPECT_FALSE(disk.HasFile(kRoot + "A\\a1.txt"));
    EXPECT_FALSE(disk.HasFolder(kRoot + "A"));
}

TEST_F(LibraryOperationsTest, FailedSaveIsReportedByNameAndKeepsThePage) {
    disk.AddFile(kRoot + "A\\a1.txt", "old bytes");
    Start();
    SelectText("a1");
    editor.text = "new";
    disk.unwritablePaths.insert(kRoot + "A\\a1.txt");
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "old bytes");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_THAT(ui.messages[0], ::testing::HasSubstr("A\\a1"));
    EXPECT_TRUE(PageChanged(library));  // still unsaved

    disk.unwritablePaths.clear();
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "new");
}

TEST_F(LibraryOperationsTest, APageWithTheLongestNameAcceptedIsMadeAndSaved) {
    // A name takes all 255 units with its ".txt": ASCII, and characters of two and four bytes.
    Utf8Text chinese;
    while (Utf16Length(chinese) < kMaxNameUnits - 4) chinese += "中";
    Utf8Text emoji = "e";
    while (Utf16Length(emoji) < kMaxNameUnits - 4) emoji += "😀";
    disk.AddFolder(kRoot + "A");
    Start();
    const std::pair<const char*, Utf8Text> names[] = {
        {"ASCII", Utf8Text(kMaxNameUnits - 4, 'a')}, {"中", chinese}, {"😀", emoji}};
    for (const auto& [what, name] : names) {
        SCOPED_TRACE(what);
        ASSERT_EQ(Utf16Length(name + ".txt"), kMaxNameUnits);
        const Utf8Text path = kRoot + "A\\" + name + ".txt";
        SelectText("A");
        ui.texts = {name};
        NewPage(library, ui);
        ASSERT_TRUE(disk.HasFile(path));
        SelectText(name);
        editor.text = "鼠标(左键)\r\n";
        EXPECT_TRUE(SavePage(library, ui));
        EXPECT_EQ(disk.FileBytes(path), "鼠标(左键)\r\n");
        EXPECT_FALSE(PageChanged(library));
        EXPECT_THAT(ui.messages, IsEmpty());
    }
    // Positive control: the disk refuses a name one unit longer, as the platform does, and
    // such a name is refused before the disk is asked.
    const Utf8Text tooLong(kMaxNameUnits - 3, 'a');
    EXPECT_FALSE(disk.WriteWholeFile(kRoot + "A\\" + tooLong + ".txt", ""));
    EXPECT_FALSE(disk.ReplaceFileAtomically(kRoot + "A\\" + tooLong + ".txt", ""));
    EXPECT_TRUE(RefuseName(tooLong, NameKind::Page, kRoot + "A\\" + tooLong + ".txt"));
    // The temporary file lies beside its page, its name as short as any other's.
    const Utf8Text longest = kRoot + "A\\" + Utf8Text(kMaxNameUnits - 4, 'a') + ".txt";
    for (const Utf8Text& target : {longest, kRoot + "A\\p.txt"}) {
        const Utf8Text temporary = TemporaryFileBeside(target, 0xFFFFFFFFu);
        EXPECT_EQ(temporary.substr(0, temporary.find_last_of('\\')), kRoot + "A");
        EXPECT_EQ(temporary.size() - temporary.find_last_of('\\') - 1, kTemporaryNameLength);
    }
}

TEST_F(LibraryOperationsTest, UneditedPagesSaveBackTheirOwnBytesAndNeverCountAsChanged) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb"},
        {"LF only", "a\nb\n"},
        {"CR only", "a\rb"},
        {"no GBK", "\x81\xFF\x80x\xFE"},
        {"zero byte", std::string("ab\0cd", 5)},
        {"empty", ""},
        {"GBK", "\xD6\xD0\xCE\xC4\r\n"},
    };
    for (const Case& c : cases) disk.AddFile(kRoot + "A\\" + c.what + ".txt", c.bytes);
    disk.AddFile(kRoot + "A\\zz.txt", "other");
    Start();
    for (const Case& c : cases) {
        SelectText(c.what);
        EXPECT_FALSE(PageChanged(library)) << c.what;
        SelectText("zz");  // leaving asks nothing
        EXPECT_THAT(ui.asked, IsEmpty()) << c.what;
        SelectText(c.what);
        EXPECT_TRUE(SavePage(library, ui)) << c.what;
        EXPECT_EQ(disk.FileBytes(kRoot + "A\\" + c.what + ".txt"), c.bytes) << c.what;
    }
}

TEST_F(LibraryOperationsTest, EditedPagesKeepTheirLineEnds) {
    disk.AddFile(kRoot + "A\\lf.txt", "one\ntwo\n");
    disk.AddFile(kRoot + "A\\crlf.txt", "one\r\ntwo");
    Start();
    SelectText("lf");
    editor.text += "three";
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\lf.txt"), "one\ntwo\nthree");
    SelectText("crlf");
    editor.text += "\r\nthree";
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\crlf.txt"), "one\r\ntwo\r\nthree");
}

TEST_F(LibraryOperationsTest, CharactersGbkCannotStoreAreToldBeforeSaving) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1");
    Start();
    SelectText("a1");
    editor.text = "smile ?";
    ui.fitsGbk = false;
    ui.confirms = {false};
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "a1");
    ui.confirms = {true};
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a1.txt"), "smile ?");
}

TEST_F(LibraryOperationsTest, UnreadablePageIsNotOverwrittenByItsEmptyShowing) {
    disk.AddFile(kRoot + "A\\locked.txt", "unseen");
    disk.unreadablePaths.insert(kRoot + "A\\locked.txt");
    Start();
    SelectText("locked");
    EXPECT_EQ(editor.text, "");
    EXPECT_FALSE(SavePage(library, ui));
    editor.text = "typed";
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\locked.txt"), "unseen");
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(LibraryOperationsTest, InsertedTextGoesToThePageOnlyWhereThatPageCanBeSavedWithIt) {
    const Utf8Text page = kRoot + "A\\p.txt";
    const Utf8Text newPage = kRoot + "A\\recorded.txt";
    struct Case {
        const char* what;
        std::function<void()> load;
        bool pageTakesIt;
    };
    const Case cases[] = {
        {"positive control: a page read whole", [this] { SelectText("p"); }, true},
        {"no page loaded, its directory selected", [this] { SelectText("A"); }, false},
        {"a page that could not be read",
         [&] {
             disk.unreadablePaths.insert(page);
             SelectText("p");
         },
         false},
        {"a page shown up to a zero byte",
         [&] {
             disk.AddFile(page, std::string("p\0z", 3));
             SelectText("p");
         },
         false},
        {"a page removed by another program",
         [&] {
             SelectText("p");
             disk.RemoveFile(page);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disk.unreadablePaths.clear();
        disk.RemoveFile(newPage);
        disk.AddFile(page, "p");
        library.state = LibraryState{};
        editor.text.clear();
        Start();
        c.load();
        const std::string before = disk.FileBytes(page);
        const RuntimeText shownBefore = editor.text;
        EXPECT_EQ(PrepareForInsertedText(library), c.pageTakesIt);
        editor.text += "鼠标(左键)\r\n";
        ui.asked.clear();
        ui.texts = {Utf8Text("recorded")};
        EXPECT_TRUE(SavePage(library, ui));
        if (c.pageTakesIt) {
            EXPECT_EQ(disk.FileBytes(page), shownBefore + "鼠标(左键)\r\n");
            EXPECT_TRUE(ui.asked.empty());
            continue;
        }
        // Stored as a new page under a name asked for, what the editor held kept with it; the
        // page it was shown over stays as it was.
        EXPECT_THAT(ui.asked, ElementsAre(Utf8Text(kSaveAsNewPageTitle) + "|" + kNewPagePrompt));
        EXPECT_EQ(disk.FileBytes(newPage), shownBefore + "鼠标(左键)\r\n");
        EXPECT_EQ(disk.FileBytes(page), before);
    }
}

// --- leaving a changed page, and closing ---

TEST_F(LibraryOperationsTest, LeavingAChangedPageAsksOrSavesAsSet) {
    struct Case {
        bool autoSave;
        std::optional<bool> answer;  // nullopt: no question expected
        bool written;
    };
    const Case cases[] = {{false, true, true}, {false, false, false}, {true, std::nullopt, true}};
    for (const Case& c : cases) {
        RecordingPlatform fresh;
        fresh.AddFile(kRoot + "A\\p.txt", "p");
        fresh.AddFile(kRoot + "A\\q.txt", "q");
        Library lib(fresh, tree, editor, nullptr);
        lib.leavePageCheck = [this](Library& l) { return LeavePageCheck(l, ui); };
        tree.onSelectionChanged = [&lib] { OnTreeSelectionChanged(lib); };
        StartLibrary(lib);
        lib.autoSave = c.autoSave;
        ui.asked.clear();
        if (c.answer) ui.confirms = {*c.answer};
        SelectText("p");
        editor.text = "p edited";
        SelectText("q");
        if (c.answer)
            EXPECT_THAT(ui.asked, ElementsAre("你还未保存数据，是否保存！")) << c.autoSave;
        else
            EXPECT_THAT(ui.asked, IsEmpty());
        EXPECT_EQ(fresh.FileBytes(kRoot + "A\\p.txt"), c.written ? "p edited" : "p");
        EXPECT_EQ(editor.text, "q");  // the new page shows in every case
        EXPECT_EQ(fresh.FileBytes(kRoot + "A\\q.txt"), "q");
        tree.onSelectionChanged = nullptr;
    }
}

TEST_F(LibraryOperationsTest, NoQuestionForTheFirstPageARevertedEditOrTextAlreadySaved) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    Start();
    SelectText("p");  // the editor as the program started it: nothing to ask about
    editor.text = "changed";
    editor.text = "p";
    SelectText("q");
    editor.text = "q saved";
    EXPECT_TRUE(SavePage(library, ui));
    SelectText("p");
    EXPECT_THAT(ui.asked, IsEmpty());
    // Positive control: an edit that is not saved is asked about.
    editor.text = "p changed";
    SelectText("q");
    EXPECT_THAT(ui.asked, ElementsAre("你还未保存数据，是否保存！"));
}

TEST_F(LibraryOperationsTest, EditsGoToTheLoadedPageAfterDirectorySelectionAndRebuild) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    Start();
    SelectText("q");
    editor.text = "q edited";
    SelectText("A");
    ui.texts = {Utf8Text("0")};
    NewDirectory(library, ui);  // "0" sorts first: every index moves
    tree.Expand(IndexOf("A"));
    ui.confirms = {true};
    SelectText("p");
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\q.txt"), "q edited");
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p");
    EXPECT_FALSE(disk.HasFile(kRoot + "A.txt"));
    EXPECT_EQ(editor.text, "p");
}

TEST_F(LibraryOperationsTest, FailedSaveWhenLeavingKeepsTheEdits) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    Start();
    SelectText("p");
    editor.text = "p edited";
    disk.unwritablePaths.insert(kRoot + "A\\p.txt");
    ui.confirms = {true};
    SelectText("q");
    EXPECT_EQ(editor.text, "p edited");
    EXPECT_EQ(ui.messages.size(), 1u);
    disk.unwritablePaths.clear();
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p edited");
}

TEST_F(LibraryOperationsTest, ClosingAsksTheSameQuestion) {
    struct Case {
        bool autoSave;
        bool edited;
        bool answer;
        size_t questions;
        const char* onDisk;
    };
    const Case cases[] = {{false, true, true, 1, "edited"},
                          {false, true, false, 1, "p"},
                          {true, true, false, 0, "edited"},
                          {false, false, true, 0, "p"}};
    for (const Case& c : cases) {
        disk.AddFile(kRoot + "A\\p.txt", "p");
        Start();
        SelectText("p");
        library.autoSave = c.autoSave;
        if (c.edited) editor.text = "edited";
        ui.asked.clear();
        ui.confirms = {c.answer};
        ClosePageCheck(library, ui);
        EXPECT_EQ(ui.asked.size(), c.questions);
        EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), c.onDisk);
    }
}

TEST_F(LibraryOperationsTest, NoSecondQuestionOrLoadWhileTheQuestionIsOpen) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    disk.AddFile(kRoot + "A\\r.txt", "r");
    Start();
    SelectText("p");
    editor.text = "p edited";
    std::vector<Utf8Text> editorDuringQuestion;
    ui.whileConfirming = [&] {
        ui.whileConfirming = nullptr;
        SelectText("r");  // another selection arrives under the question
        disk.AddFile(kRoot + "A\\s.txt", "s");
        RebuildLibraryTree(library);  // and a rebuild
        editorDuringQuestion.push_back(editor.text);
    };
    ui.confirms = {true, true};
    SelectText("q");
    EXPECT_THAT(ui.asked, ElementsAre("你还未保存数据，是否保存！"));
    EXPECT_THAT(editorDuringQuestion, ElementsAre("p edited"));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p edited");
    EXPECT_EQ(editor.text, "q");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "A\\q.txt");
    // The rebuild ran once the question was answered, and the selection stands on the page the
    // editor holds.
    EXPECT_NE(IndexOf("s"), -1);
    EXPECT_EQ(tree.SelectedIndex(), IndexOf("q"));
    // Positive control: without a question open, the same selection loads at once.
    SelectText("r");
    EXPECT_EQ(editor.text, "r");
}

// --- the page's file changed by other programs ---

TEST_F(LibraryOperationsTest, SavingOverAPageChangedOrRemovedOutsideAsksFirst) {
    struct Case {
        const char* what;
        bool removed;    // removed outside, else changed outside
        bool autoSave;   // the save comes from leaving the page with 自动保存 on
        bool overwrite;  // the answer
    };
    const Case cases[] = {
        {"changed, 保存, overwrite", false, false, true},
        {"changed, 保存, keep", false, false, false},
        {"removed, 保存, save again", true, false, true},
        {"removed, 保存, keep", true, false, false},
        {"changed, 自动保存, overwrite", false, true, true},
        {"changed, 自动保存, keep", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        library.state = LibraryState{};  // each case from a program just started
        disk.AddFile(kRoot + "A\\p.txt", "p");
        disk.AddFile(kRoot + "A\\q.txt", "q");
        Start();
        library.autoSave = c.autoSave;
        SelectText("p");
        editor.text = "p edited";
        if (c.removed)
            disk.RemoveFile(kRoot + "A\\p.txt");
        else
            disk.AddFile(kRoot + "A\\p.txt", "p from another program");
        ui.asked.clear();
        ui.confirms = {c.overwrite};
        if (c.autoSave)
            SelectText("q");
        else
            EXPECT_EQ(SavePage(library, ui), c.overwrite);
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_NE(ui.asked[0].find(c.removed ? "删除" : "修改"), std::string::npos) << ui.asked[0];
        if (c.overwrite) {
            EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p edited");
        } else {
            EXPECT_EQ(disk.HasFile(kRoot + "A\\p.txt"), !c.removed);
            if (!c.removed) {
                EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p from another program");
            }
            EXPECT_EQ(editor.text, "p edited");  // kept, unsaved
        }
        library.autoSave = false;
        disk.RemoveDirectoryTree(kRoot + "A");
    }
    // Positive control: a page nobody else touched is saved without a question.
    library.state = LibraryState{};
    disk.AddFile(kRoot + "A\\p.txt", "p");
    Start();
    SelectText("p");
    editor.text = "p edited";
    ui.asked.clear();
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_THAT(ui.asked, IsEmpty());
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p edited");
}

TEST_F(LibraryOperationsTest, BackAtTheWindowAChangedPageIsOfferedForReloadingOnce) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    Start();
    SelectText("p");
    CheckPageOnDisk(library, ui);
    EXPECT_THAT(ui.asked, IsEmpty());  // unchanged: nothing to say

    disk.AddFile(kRoot + "A\\p.txt", "p changed");
    ui.confirms = {false};
    CheckPageOnDisk(library, ui);
    CheckPageOnDisk(library, ui);  // the same version is asked about once
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_NE(ui.asked[0].find("重新载入"), std::string::npos);
    EXPECT_EQ(editor.text, "p");

    disk.AddFile(kRoot + "A\\p.txt", "p changed again");
    ui.confirms = {true};
    CheckPageOnDisk(library, ui);
    EXPECT_EQ(ui.asked.size(), 2u);
    EXPECT_EQ(editor.text, "p changed again");
    EXPECT_FALSE(PageChanged(library));
    // Reloaded, it saves without a question.
    editor.text = "mine";
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(ui.asked.size(), 2u);

    disk.RemoveFile(kRoot + "A\\p.txt");
    CheckPageOnDisk(library, ui);
    CheckPageOnDisk(library, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("删除"), std::string::npos);
    EXPECT_EQ(editor.text, "mine");
}

// --- the loaded page deleted ---

TEST_F(LibraryOperationsTest, DeletingTheLoadedPageEmptiesTheEditorOnlyWithoutEdits) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "B\\q.txt", "q");
    Start();
    SelectText("p");
    ui.confirms = {true};
    DeletePage(library, ui);
    EXPECT_EQ(editor.text, "");
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_FALSE(PageChanged(library));

    // With edits: they stay, the user is told, leaving asks, and 保存 stores them as a new page.
    disk.AddFile(kRoot + "A\\p.txt", "p");
    RebuildLibraryTree(library);
    SelectText("p");
    editor.text = "p edited";
    ui.confirms = {true};
    DeletePage(library, ui);
    EXPECT_EQ(editor.text, "p edited");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("不属于任何页面"), std::string::npos);
    EXPECT_FALSE(disk.HasFile(kRoot + "A\\p.txt"));

    SelectText("B");
    ui.asked.clear();
    ui.texts = {Utf8Text("kept")};
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_THAT(ui.asked, ElementsAre(Utf8Text(kSaveAsNewPageTitle) + "|" + kNewPagePrompt));
    EXPECT_EQ(disk.FileBytes(kRoot + "B\\kept.txt"), "p edited");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "B\\kept.txt");
    EXPECT_EQ(tree.SelectedIndex(), IndexOf("kept"));
    EXPECT_FALSE(PageChanged(library));
}

TEST_F(LibraryOperationsTest, LeavingEditsWhosePageWasDeletedAsksAndSavesThemAsANewPage) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    Start();
    SelectText("p");
    editor.text = "p edited";
    ui.confirms = {true};
    DeletePage(library, ui);
    ui.asked.clear();
    ui.confirms = {true};  // 你还未保存数据，是否保存！
    ui.texts = {Utf8Text("rescued")};
    SelectText("q");
    EXPECT_THAT(ui.asked, ElementsAre(kUnsavedQuestion,
                                      Utf8Text(kSaveAsNewPageTitle) + "|" + kNewPagePrompt));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\rescued.txt"), "p edited");
    EXPECT_EQ(editor.text, "q");
    EXPECT_NE(IndexOf("rescued"), -1);
    // Positive control of the question: 取消 drops such edits like any others.
    SelectText("q");
    editor.text = "q edited";
    ui.confirms = {true};
    DeletePage(library, ui);
    ui.confirms = {false};
    SelectText("rescued");
    EXPECT_EQ(editor.text, "p edited");
}

// --- the tree follows the editor ---

TEST_F(LibraryOperationsTest, AFailedSaveOnLeavingPutsTheSelectionBackOnTheEditedPage) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    Start();
    SelectText("p");
    editor.text = "p edited";
    disk.unwritablePaths.insert(kRoot + "A\\p.txt");
    ui.confirms = {true};
    SelectText("q");
    EXPECT_EQ(editor.text, "p edited");
    EXPECT_EQ(tree.SelectedIndex(), IndexOf("p"));
    // Choosing q again tries again; once the save works, q loads.
    disk.unwritablePaths.clear();
    ui.confirms = {true};
    SelectText("q");
    EXPECT_EQ(editor.text, "q");
    EXPECT_EQ(tree.SelectedIndex(), IndexOf("q"));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p edited");
}

// --- logging off or shutting down ---

TEST_F(LibraryOperationsTest, TheSessionEndsOnlyWhenNothingUnsavedStandsInTheWay) {
    struct Case {
        const char* what;
        bool edited;
        bool autoSave;
        bool changedOutside;
        bool mayEnd;
        const char* onDisk;
    };
    const Case cases[] = {
        {"no edits", false, false, false, true, "p"},
        {"edits, asked later", true, false, false, false, "p"},
        {"edits, 自动保存 saves them", true, true, false, true, "p edited"},
        {"edits, 自动保存 would have to ask", true, true, true, false, "p from another program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        library.state = LibraryState{};
        disk.AddFile(kRoot + "A\\p.txt", "p");
        Start();
        SelectText("p");
        library.autoSave = c.autoSave;
        if (c.edited) editor.text = "p edited";
        if (c.changedOutside) disk.AddFile(kRoot + "A\\p.txt", "p from another program");
        ui.asked.clear();
        EXPECT_EQ(SessionMayEnd(library, ui), c.mayEnd);
        EXPECT_THAT(ui.asked, IsEmpty());  // no question while the system waits
        EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), c.onDisk);
        library.autoSave = false;
    }
}

// --- pages that are not plain text ---

TEST_F(LibraryOperationsTest, APageWithAZeroByteIsToldAboutAndNeverSavedTruncated) {
    const std::string bytes("before\0after", 12);
    disk.AddFile(kRoot + "A\\z.txt", bytes);
    std::vector<Utf8Text> told;
    library.tell = [&told](const Utf8Text& message) { told.push_back(message); };
    Start();
    SelectText("z");
    EXPECT_EQ(editor.text, "before");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("零字节"), std::string::npos);
    // Unedited, it saves byte for byte.
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\z.txt"), bytes);
    // Edited, the save is refused and nothing is written.
    editor.text = "before, edited";
    disk.ClearCalls();
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_THAT(Writes(), IsEmpty());
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\z.txt"), bytes);
    EXPECT_EQ(ui.messages.size(), 1u);
    // Positive control: a page without zero bytes says nothing.
    disk.AddFile(kRoot + "A\\plain.txt", "plain");
    RebuildLibraryTree(library);
    ui.confirms = {false};
    SelectText("plain");
    EXPECT_EQ(told.size(), 1u);
}

// --- a save writes into the page its text came from ---

// A question's modal loop leaves the global search window working: a double click on one of its
// rows selects another page in the tree, as whileConfirming does here.
TEST_F(LibraryOperationsTest, APageOpenedUnderASavesQuestionNeverTakesTheEdits) {
    struct Case {
        const char* what;
        bool autoSave;  // the save comes from leaving the page with 自动保存 on
        std::function<void()> makeQuestion;
    };
    const Case cases[] = {
        {"保存, the page changed outside", false,
         [this] { disk.AddFile(kRoot + "A\\a.txt", "a from another program"); }},
        {"保存, characters GBK cannot hold", false, [this] { ui.fitsGbk = false; }},
        {"自动保存, the page changed outside", true,
         [this] { disk.AddFile(kRoot + "A\\a.txt", "a from another program"); }},
    };
    for (const Case& c : cases) {
        for (const bool answer : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (answer ? ", 确定" : ", 取消"));
            library.state = LibraryState{};
            ui = ScriptedUi{};
            disk.AddFile(kRoot + "A\\a.txt", "a");
            disk.AddFile(kRoot + "A\\b.txt", "b");
            disk.AddFile(kRoot + "A\\c.txt", "c");
            Start();
            SelectText("a");
            editor.text = "a edited";
            c.makeQuestion();
            const std::string aBefore = disk.FileBytes(kRoot + "A\\a.txt");
            ui.whileConfirming = [this] {
                ui.whileConfirming = nullptr;
                SelectText("b");
            };
            ui.unsavedAnswer = false;  // should b load, 取消 to the question about a's edits
            ui.confirms = {answer};
            library.autoSave = c.autoSave;
            if (c.autoSave)
                SelectText("c");
            else
                EXPECT_EQ(SavePage(library, ui), answer);
            EXPECT_EQ(disk.FileBytes(kRoot + "A\\b.txt"), "b");
            EXPECT_EQ(disk.FileBytes(kRoot + "A\\a.txt"), answer ? "a edited" : aBefore);
            // The editor holds the page it held, or the one left for; the tree shows it.
            const char* shown = c.autoSave && answer ? "c" : "a";
            EXPECT_EQ(library.state.loadedPagePath, kRoot + "A\\" + shown + ".txt");
            EXPECT_EQ(tree.SelectedIndex(), IndexOf(shown));
            library.autoSave = false;
        }
    }
    // Positive control: without a question open, the same selection loads page b at once.
    ui = ScriptedUi{};
    SelectText("b");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "A\\b.txt");
}

// Should anything load another page under the question all the same (a path that does not
// honour the question flag), the save writes nothing and says so.
TEST_F(LibraryOperationsTest, ASaveWhosePageWasReplacedUnderItsQuestionWritesNothing) {
    disk.AddFile(kRoot + "A\\a.txt", "a");
    disk.AddFile(kRoot + "A\\b.txt", "b");
    Start();
    SelectText("a");
    editor.text = "a edited";
    disk.AddFile(kRoot + "A\\a.txt", "a from another program");
    ui.whileConfirming = [this] {
        ui.whileConfirming = nullptr;
        const bool held = library.questionOpen;
        library.questionOpen = false;
        SelectText("b");  // 你还未保存数据: 取消, b loads
        library.questionOpen = held;
    };
    ui.confirms = {false, true};  // the question under the question first, then 覆盖: 确定
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "A\\b.txt");
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\a.txt"), "a from another program");
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\b.txt"), "b");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("没有保存"), std::string::npos) << ui.messages[0];
    // Positive control: the same answers without the swap write the page.
    ui = ScriptedUi{};
    editor.text = "b edited";
    disk.AddFile(kRoot + "A\\b.txt", "b from another program");
    ui.confirms = {true};
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\b.txt"), "b edited");
}

// --- closing never drops edits the user chose to keep ---

TEST_F(LibraryOperationsTest, ClosingGoesOnOnlyWhenTheEditsAreSavedOrDropped) {
    struct Case {
        const char* what;
        std::function<void()> arrange;  // before the page is loaded
        std::function<void()> spoil;    // after it was edited
        std::deque<bool> saveAnswers;   // the save's own questions, after 你还未保存数据
    };
    const Utf8Text page = kRoot + "A\\p.txt";
    const Case cases[] = {
        {"the write fails (disk full, a sharing violation)",
         [] {},
         [&] { disk.unwritablePaths.insert(page); },
         {}},
        {"the page's folder was removed",
         [] {},
         [&] { disk.RemoveDirectoryTree(kRoot + "A"); },
         {true}},
        {"the page could not be read", [&] { disk.unreadablePaths.insert(page); }, [] {}, {}},
        {"the page has a zero byte",
         [&] { disk.AddFile(page, std::string("p\0z", 3)); },
         [] {},
         {}},
        {"characters GBK cannot hold, 取消", [] {}, [&] { ui.fitsGbk = false; }, {false}},
        {"changed by another program, 取消",
         [] {},
         [&] { disk.AddFile(page, "p from another program"); },
         {false}},
    };
    for (const Case& c : cases) {
        for (const bool save : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (save ? ", 确定" : ", 取消"));
            library.state = LibraryState{};
            ui = ScriptedUi{};
            disk.unwritablePaths.clear();
            disk.unreadablePaths.clear();
            disk.AddFile(page, "p");
            c.arrange();
            Start();
            SelectText("p");
            editor.text = "p edited";
            c.spoil();
            ui.confirms = {save};
            ui.confirms.insert(ui.confirms.end(), c.saveAnswers.begin(), c.saveAnswers.end());
            // 确定 wanted the edits kept: they could not be saved, so the program stays open
            // with them. 取消 drops them by the user's choice.
            EXPECT_EQ(ClosePageCheck(library, ui), !save);
            EXPECT_EQ(ui.asked.front(), kUnsavedQuestion);
            EXPECT_EQ(editor.text, "p edited");
            EXPECT_NE(disk.FileBytes(page), "p edited");
        }
    }
    // Positive control: a page that can be written closes, holding the edits.
    library.state = LibraryState{};
    ui = ScriptedUi{};
    disk.unwritablePaths.clear();
    disk.unreadablePaths.clear();
    disk.AddFile(page, "p");
    Start();
    SelectText("p");
    editor.text = "p edited";
    ui.confirms = {true};
    EXPECT_TRUE(ClosePageCheck(library, ui));
    EXPECT_EQ(disk.FileBytes(page), "p edited");
    // And with 自动保存 a failed save keeps the program open too.
    editor.text = "p edited again";
    library.autoSave = true;
    disk.unwritablePaths.insert(page);
    EXPECT_FALSE(ClosePageCheck(library, ui));
    disk.unwritablePaths.clear();
    EXPECT_TRUE(ClosePageCheck(library, ui));
    EXPECT_EQ(disk.FileBytes(page), "p edited again");
}

TEST_F(LibraryOperationsTest, AFailedSaveAfterTheSessionEndWasHeldKeepsTheEditsAndSaysSo) {
    for (const bool writable : {false, true}) {  // true: the positive control
        SCOPED_TRACE(writable ? "writable" : "unwritable");
        library.state = LibraryState{};
        ui = ScriptedUi{};
        disk.unwritablePaths.clear();
        disk.AddFile(kRoot + "A\\p.txt", "p");
        Start();
        SelectText("p");
        editor.text = "p edited";
        if (!writable) disk.unwritablePaths.insert(kRoot + "A\\p.txt");
        ASSERT_FALSE(SessionMayEnd(library, ui));
        ui.confirms = {true};
        AskAfterSessionEndHeld(library, ui);
        EXPECT_THAT(ui.asked, ElementsAre(kUnsavedQuestion));
        EXPECT_EQ(editor.text, "p edited");
        EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), writable ? "p edited" : "p");
        // The failed write's own message, then what it means now.
        ASSERT_EQ(ui.messages.size(), writable ? 0u : 2u);
        if (!writable) {
            EXPECT_NE(ui.messages[1].find("仍在编辑区中"), std::string::npos);
        }
    }
}

// --- text typed before any page is open ---

TEST_F(LibraryOperationsTest, TextTypedBeforeAnyPageIsSavedAsANewPageOrAskedAbout) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    Start();
    // Positive control of the silence below: the editor as the program started it.
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_TRUE(ClosePageCheck(library, ui));
    EXPECT_THAT(ui.asked, IsEmpty());
    EXPECT_THAT(ui.messages, IsEmpty());

    editor.text = "信息框(第一个脚本)";
    EXPECT_TRUE(PageChanged(library));
    // 保存 with no directory chosen says what to do first.
    EXPECT_FALSE(SavePage(library, ui));
    EXPECT_THAT(ui.asked, IsEmpty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("选择一个目录"), std::string::npos);
    // With a directory chosen, a name is asked for.
    SelectText("A");
    ui.texts = {Utf8Text("first")};
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_THAT(ui.asked, ElementsAre(Utf8Text(kSaveAsNewPageTitle) + "|" + kNewPagePrompt));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\first.txt"), "信息框(第一个脚本)");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "A\\first.txt");
    EXPECT_FALSE(PageChanged(library));
}

TEST_F(LibraryOperationsTest, TextTypedBeforeAnyPageIsAskedAboutBeforeItGoes) {
    struct Case {
        const char* what;
        bool closing;  // else another page is opened
        bool save;
    };
    const Case cases[] = {
        {"opening a page, 确定", false, true},
        {"opening a page, 取消", false, false},
        {"closing, 确定", true, true},
        {"closing, 取消", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        library.state = LibraryState{};
        ui = ScriptedUi{};
        disk.RemoveFile(kRoot + "A\\typed.txt");
        disk.AddFile(kRoot + "A\\p.txt", "p");
        editor.text.clear();
        Start();
        SelectText("A");
        editor.text = "typed";
        ui.confirms = {c.save};
        ui.texts = {Utf8Text("typed")};
        if (c.closing)
            EXPECT_TRUE(ClosePageCheck(library, ui));
        else
            SelectText("p");
        ASSERT_FALSE(ui.asked.empty());
        EXPECT_EQ(ui.asked.front(), kUnsavedQuestion);
        EXPECT_EQ(disk.HasFile(kRoot + "A\\typed.txt"), c.save);
        if (c.save) {
            EXPECT_EQ(disk.FileBytes(kRoot + "A\\typed.txt"), "typed");
        }
        EXPECT_EQ(editor.text, c.closing ? "typed" : "p");
    }
}

// --- the reload question ---

TEST_F(LibraryOperationsTest, ADeclinedOverwriteIsNotFollowedByTheReloadQuestion) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    Start();
    SelectText("p");
    editor.text = "p edited";
    disk.AddFile(kRoot + "A\\p.txt", "version 2");
    ui.confirms = {false};  // keep the page as the other program wrote it
    EXPECT_FALSE(SavePage(library, ui));
    ASSERT_EQ(ui.asked.size(), 1u);
    CheckPageOnDisk(library, ui);  // back at the window right after
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(editor.text, "p edited");
    // Positive control: a version nobody was asked about is offered, with 取消 as its default.
    disk.AddFile(kRoot + "A\\p.txt", "version 3");
    ui.confirms = {false};
    CheckPageOnDisk(library, ui);
    ASSERT_EQ(ui.askedDefaultCancel.size(), 1u);
    EXPECT_NE(ui.askedDefaultCancel[0].find("重新载入"), std::string::npos);
    EXPECT_EQ(editor.text, "p edited");
}

// --- pages that are not GBK ---

class PageEncodingTest : public ::testing::Test {
  protected:
    PageEncodingTest() : library(disk, tree, editor, nullptr) {
        tree.onSelectionChanged = [this] { OnTreeSelectionChanged(library); };
        library.leavePageCheck = [this](Library& lib) { return LeavePageCheck(lib, ui); };
        library.tell = [this](const Utf8Text& message) { told.push_back(message); };
        disk.AddFolder(kRoot);
    }
    void Select(const Utf8Text& text) {
        for (int i = 0; i < tree.Count(); ++i)
            if (tree.Text(i) == text) return tree.Select(i);
        FAIL() << text;
    }
    RecordingPlatform disk;
    FakeTree tree;
    UnicodeEditor editor;
    ScriptedUi ui;
    Library library;
    std::vector<Utf8Text> told;
};

TEST_F(PageEncodingTest, EachPageIsShownAndSavedInItsOwnEncoding) {
    const std::string utf8 = "信息框(你好 😀)\r\n延时(1)";  // 😀: GBK has no room for it
    const std::string gbk = Utf8ToGbk("信息框(你好)\r\n延时(1)");
    const std::string bom = std::string(kUtf8Bom) + utf8;
    const std::string neither = "ok \x81\x20 \xFF\x80 end";
    struct Case {
        const char* what;
        std::string bytes;
        PageEncoding encoding;
        std::string shown;     // UTF-8
        bool told;             // the user is told at opening
        bool askedBeforeSave;  // saving an edit asks first
        std::string saved;     // after typing "加" at the end and 保存 (answered 确定)
    };
    const Case cases[] = {
        {"GBK", gbk, PageEncoding::Gbk, "信息框(你好)\r\n延时(1)", false, false,
         gbk + Utf8ToGbk("加")},
        {"UTF-8", utf8, PageEncoding::Utf8, utf8, false, false, utf8 + "加"},
        {"UTF-8 with a byte-order mark", bom, PageEncoding::Utf8WithBom, utf8, false, false,
         bom + "加"},
        {"neither", neither, PageEncoding::Gbk, GbkToUtf8(neither), true, true,
         Utf8ToGbk(GbkToUtf8(neither)) + Utf8ToGbk("加")},
    };
    for (const Case& c : cases) disk.AddFile(kRoot + "A\\" + c.what + ".txt", c.bytes);
    StartLibrary(library);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Utf8Text path = kRoot + "A\\" + c.what + ".txt";
        told.clear();
        ui = ScriptedUi{};
        Select(c.what);
        EXPECT_EQ(library.state.encoding, c.encoding);
        EXPECT_EQ(editor.unicode, c.shown);
        EXPECT_EQ(told.size(), c.told ? 1u : 0u);
        EXPECT_FALSE(PageChanged(library));
        // Unedited, every page saves back its own bytes.
        EXPECT_TRUE(SavePage(library, ui));
        EXPECT_EQ(disk.FileBytes(path), c.bytes);
        editor.unicode += "加";
        EXPECT_TRUE(PageChanged(library));
        if (c.askedBeforeSave) {
            // The bytes the user did not edit are not changed without asking: 取消 writes
            // nothing, and the edits stay.
            ui.confirms = {false};
            EXPECT_FALSE(SavePage(library, ui));
            EXPECT_EQ(disk.FileBytes(path), c.bytes);
            EXPECT_TRUE(PageChanged(library));
            ASSERT_EQ(ui.asked.size(), 1u);
            ui.confirms = {true};
        }
        EXPECT_TRUE(SavePage(library, ui));
        EXPECT_EQ(ui.asked.size(), c.askedBeforeSave ? 2u : 0u);
        EXPECT_EQ(disk.FileBytes(path), c.saved);
        EXPECT_FALSE(PageChanged(library));
    }
}

TEST(PageEncodingRules, DetectionAndTheTextThatRuns) {
    const std::pair<std::string, PageEncoding> cases[] = {
        {"", PageEncoding::Gbk},
        {"ascii only\r\n", PageEncoding::Gbk},
        {Utf8ToGbk("信息框(中文)"), PageEncoding::Gbk},
        {Utf8ToGbk("鼠标"), PageEncoding::Gbk},
        {"中文", PageEncoding::Utf8},  // also valid GBK bytes: UTF-8 wins
        {"\xEF\xBB\xBF"
         "abc",
         PageEncoding::Utf8WithBom},
        {"\xEF\xBB\xBF", PageEncoding::Utf8WithBom},
        {"\xEF\xBB\xBF\xC0\x80", PageEncoding::Gbk},  // a mark before no UTF-8
        {"\xC0\x80", PageEncoding::Gbk},              // overlong
        {"\xED\xA0\x80", PageEncoding::Gbk},          // a surrogate
        {"\xF4\x90\x80\x80", PageEncoding::Gbk},      // beyond U+10FFFF
        {"\xE4\xB8", PageEncoding::Gbk},              // cut off
    };
    for (const auto& [bytes, encoding] : cases)
        EXPECT_EQ(DetectPageEncoding(bytes), encoding) << bytes;
    EXPECT_EQ(PageTextForRunning("延时(1)"), Utf8ToGbk("延时(1)"));
    EXPECT_EQ(PageTextForRunning("\xEF\xBB\xBF信息框(😀)"), Utf8ToGbk("信息框(?)"));
    EXPECT_EQ(PageTextForRunning(Utf8ToGbk("延时(1)")), Utf8ToGbk("延时(1)"));
    EXPECT_EQ(PageTextForRunning(std::string("a\0b", 3)), "a");
}

// --- edits kept through a crash ---

class RecoveryTest : public LibraryOperationsTest {
  protected:
    const Utf8Text recoveryFile = "C:\\kavo\\kavo-recovery.txt";
};

TEST_F(RecoveryTest, UnsavedEditsAreKeptBesideTheProgramUntilSavedOrDropped) {
    disk.AddFile(kRoot + "A\\p.txt", "p");
    disk.AddFile(kRoot + "A\\q.txt", "q");
    Start();
    SelectText("p");
    editor.text = "p edited";
    KeepRecovery(library);
    EXPECT_FALSE(disk.HasFile(recoveryFile));  // not before the last run's file was offered
    EXPECT_EQ(ReadRecovery(library), std::nullopt);
    KeepRecovery(library);
    ASSERT_TRUE(disk.HasFile(recoveryFile));
    EXPECT_EQ(ParseRecovery(disk.FileBytes(recoveryFile)),
              (RecoveredEdits{kRoot + "A\\p.txt", "p edited"}));
    EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p");  // never over a page

    // Saved: the file goes.
    EXPECT_TRUE(SavePage(library, ui));
    KeepRecovery(library);
    EXPECT_FALSE(disk.HasFile(recoveryFile));
    // Dropped by the user's choice: the file goes too.
    editor.text = "p edited again";
    KeepRecovery(library);
    EXPECT_TRUE(disk.HasFile(recoveryFile));
    ui.confirms = {false};
    SelectText("q");
    KeepRecovery(library);
    EXPECT_FALSE(disk.HasFile(recoveryFile));
    // Text of no page is kept without one.
    ui.confirms = {true};
    DeletePage(library, ui);  // q is selected: deleted, unedited
    editor.text = "typed";
    KeepRecovery(library);
    EXPECT_EQ(ParseRecovery(disk.FileBytes(recoveryFile)), (RecoveredEdits{"", "typed"}));
}

TEST_F(RecoveryTest, RestoredEditsAreUnsavedEditsOfTheirPageOrOfNone) {
    struct Case {
        const char* what;
        bool pageThere;
    };
    for (const Case& c : {Case{"its page is there", true}, Case{"its page is gone", false}}) {
        SCOPED_TRACE(c.what);
        library.state = LibraryState{};
        library.recoveryOffered = false;
        ui = ScriptedUi{};
        disk.RemoveDirectoryTree(kRoot + "A");
        disk.AddFile(kRoot + "A\\q.txt", "q");
        if (c.pageThere) disk.AddFile(kRoot + "A\\p.txt", "p");
        disk.AddFile(recoveryFile, FormatRecovery({kRoot + "A\\p.txt", "p recovered 😀"}));
        editor.text.clear();
        Start();
        const auto edits = ReadRecovery(library);
        ASSERT_TRUE(edits);
        EXPECT_NE(RecoveryQuestion(library, *edits).find(c.pageThere ? "A\\p”" : "已不存在"),
                  std::string::npos);
        EXPECT_EQ(RestoreRecovery(library, *edits), c.pageThere);
        EXPECT_EQ(editor.ReadUtf8Text(), GbkToUtf8(Utf8ToGbk("p recovered 😀")));  // GBK fake
        EXPECT_TRUE(PageChanged(library));
        if (c.pageThere) {
            EXPECT_EQ(library.state.loadedPagePath, kRoot + "A\\p.txt");
            EXPECT_EQ(tree.SelectedIndex(), IndexOf("p"));
            EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), "p");
            EXPECT_TRUE(SavePage(library, ui));
            EXPECT_EQ(disk.FileBytes(kRoot + "A\\p.txt"), editor.text);
        } else {
            // Leaving asks, and 保存 stores them as a new page.
            ui.confirms = {true};
            ui.texts = {Utf8Text("p")};
            SelectText("A");
            SelectText("q");
            EXPECT_EQ(ui.asked.front(), kUnsavedQuestion);
            EXPECT_TRUE(disk.HasFile(kRoot + "A\\p.txt"));
        }
    }
}

TEST(RecoveryFileTest, OnlyWellFormedFilesAreRead) {
    const RecoveredEdits edits{"C:\\kavo\\content\\目录\\页.txt", "信息框(1)\r\n\r\n"};
    EXPECT_EQ(ParseRecovery(FormatRecovery(edits)), edits);
    EXPECT_EQ(ParseRecovery(FormatRecovery({"", ""})), (RecoveredEdits{"", ""}));
    const std::string good = FormatRecovery(edits);
    for (const std::string& bad :
         {std::string(), std::string("KAVO-RECOVERY 2\r\npage: \r\n\r\n"), good.substr(0, 20),
          std::string("KAVO-RECOVERY 1\r\npage: x\r\nno blank line"),
          std::string("KAVO-RECOVERY 1\r\npage: \r\n\r\n\xC0\x80")})
        EXPECT_EQ(ParseRecovery(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace kavo
