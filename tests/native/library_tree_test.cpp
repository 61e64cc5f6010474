#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/script_words.h"
#include "engine/script_engine.h"
#include "library/content_folder.h"
#include "library/library_tree.h"
#include "native/library_fakes.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Utf8Text kRoot = "C:\\kavo\\content\\";

class LibraryTest : public ::testing::Test {
  protected:
    LibraryTest() : library(disk, tree, editor, [this] { disk.ProcessPendingEvents(); }) {
        tree.onSelectionChanged = [this] { OnTreeSelectionChanged(library); };
    }

    void Start() {
        StartLibrary(library);
        disk.ClearCalls();
    }
    // Selects an item by its text, as a user clicks it.
    void SelectText(const Utf8Text& text) {
        for (int i = 0; i < tree.Count(); ++i)
            if (tree.Text(i) == text) return tree.Select(i);
        FAIL() << "no item " << text;
    }

    RecordingPlatform disk;
    FakeTree tree;
    FakeEditor editor;
    Library library;
};

TEST_F(LibraryTest, ContentRootIsTheExecutableFolderWithContentAndABackslash) {
    disk.executableFolder = "D:\\tools\\kavo";
    EXPECT_EQ(ComputeContentRoot(disk), "D:\\tools\\kavo\\content\\");
    Start();
    EXPECT_EQ(library.contentRoot, "D:\\tools\\kavo\\content\\");
}

TEST_F(LibraryTest, LayoutBecomesBoldDirectoriesWithTheirPages) {
    disk.AddFile(kRoot + "scripts\\a.txt", "1");
    disk.AddFile(kRoot + "scripts\\b.TXT", "2");
    disk.AddFile(kRoot + "scripts\\c.txt.txt", "3");
    disk.AddFolder(kRoot + "scripts\\d.txt");  // a folder, however it is named
    disk.AddFile(kRoot + "scripts\\readme.md", "");
    disk.AddFolder(kRoot + ".git");
    disk.AddFile(kRoot + ".git\\config.txt", "");
    disk.AddFile(kRoot + "x.txt", "");  // directly in the content folder
    disk.AddFile(kRoot + "scripts\\deeper\\e.txt", "");
    Start();

    EXPECT_THAT(tree.Texts(), ElementsAre("scripts", "a", "b.TXT", "c"));
    EXPECT_THAT(tree.Parents(), ElementsAre(-1, 0, 0, 0));
    ASSERT_EQ(tree.Count(), 4);
    EXPECT_TRUE(tree.items[0].bold);
    EXPECT_EQ(tree.items[0].image, kDirectoryImage);
    for (int i = 1; i < 4; ++i) {
        EXPECT_FALSE(tree.items[i].bold) << i;
        EXPECT_EQ(tree.items[i].image, kPageImage) << i;
    }
    EXPECT_EQ(tree.SelectedIndex(), -1);
    EXPECT_THAT(tree.ExpandedIndices(), IsEmpty());
}

TEST_F(LibraryTest, EmptyOrMissingContentFolderGivesAnEmptyTree) {
    Start();  // no content folder at all
    EXPECT_EQ(tree.Count(), 0);
    disk.AddFolder(kRoot);
    disk.AddFile(kRoot + "x.txt", "");
    RebuildLibraryTree(library);
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(editor.replacements, 0);
}

TEST_F(LibraryTest, IndicesArePreOrderAndParentsPointBack) {
    disk.AddFile(kRoot + "A\\a1.txt", "");
    disk.AddFile(kRoot + "A\\a2.txt", "");
    disk.AddFile(kRoot + "B\\b1.txt", "");
    Start();
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a1", "a2", "B", "b1"));
    EXPECT_EQ(tree.Parent(4), 3);
    EXPECT_EQ(tree.Parent(3), -1);
    EXPECT_EQ(tree.Parent(1), 0);
}

TEST_F(LibraryTest, DirectoriesAndPagesAreSortedWithoutLetterCase) {
    // Created in an order the sorted tree must not show.
    // (Names equal but for case cannot both exist on the platform's file systems.)
    for (const char* name : {"zeta", "\xE4\xB8\xAD", "Beta", "alpha"})  // 中
        disk.AddFolder(kRoot + name);
    for (const char* name : {"Zed.txt", "b2.txt", "apple.txt", "b10.txt"})
        disk.AddFile(kRoot + "alpha\\" + name, "");
    Start();
    EXPECT_THAT(tree.Texts(),
                ElementsAre("alpha", "apple", "b10", "b2", "Zed", "Beta", "zeta", "\xE4\xB8\xAD"));
}

TEST(LibraryNameLess, IsAStrictOrderFoldingAsciiCaseOnly) {
    EXPECT_TRUE(LibraryNameLess("a", "B"));
    EXPECT_TRUE(LibraryNameLess("B", "c"));
    EXPECT_TRUE(LibraryNameLess("Ab", "ab"));  // equal but for case: exact bytes
    EXPECT_FALSE(LibraryNameLess("ab", "Ab"));
    EXPECT_FALSE(LibraryNameLess("ab", "ab"));
    EXPECT_TRUE(LibraryNameLess("ab", "abc"));
    EXPECT_TRUE(LibraryNameLess("z", "\xE4\xB8\xAD"));  // bytes above 0x7F come after ASCII
}

TEST(LibraryListing, AddTheBackslashAndServeTheQueueAtTheFirstEntryAndEvery64th) {
    RecordingPlatform disk;
    disk.AddFile("C:\\c\\d\\p.txt", "");
    disk.AddFile("C:\\c\\d\\q.txt", "");
    disk.AddFile("C:\\c\\d\\r.ini", "");
    disk.AddFolder("C:\\c\\d\\sub");
    int events = 0;
    const auto count = [&] { ++events; };

    EXPECT_THAT(ListSubdirectories(disk, "C:\\c\\d", count), ElementsAre("sub"));
    EXPECT_EQ(events, 1);
    events = 0;
    EXPECT_THAT(ListFiles(disk, "C:\\c\\d\\", "*.txt", count), ElementsAre("p.txt", "q.txt"));
    EXPECT_EQ(events, 1);
    EXPECT_THAT(disk.CallsStartingWith({"ListDirectory"}),
                ElementsAre("ListDirectory(C:\\c\\d\\|*.*)", "ListDirectory(C:\\c\\d\\|*.txt)"));
    events = 0;
    EXPECT_THAT(ListFiles(disk, "C:\\missing", "*.txt", count), IsEmpty());
    EXPECT_EQ(events, 0);

    // Entries 1, 65 and 129 of a big folder (".", ".." and 127 pages).
    for (int i = 0; i < 127; ++i) disk.AddFile("C:\\big\\p" + std::to_string(i) + ".txt", "");
    events = 0;
    EXPECT_THAT(ListSubdirectories(disk, "C:\\big", count), IsEmpty());
    EXPECT_EQ(events, 3);
}

// The platform also matches generated 8.3 names: "*.txt" finds "notes.txtold" through its short
// name NOTES~1.TXT. Such a file is no page.
class ShortNameDisk : public RecordingPlatform {
  public:
    std::vector<DirectoryEntry> ListDirectory(const Utf8Text& folder,
                                              const Utf8Text& pattern) override {
        auto entries = RecordingPlatform::ListDirectory(folder, pattern);
        if (pattern == "*.txt" && HasFolder(folder)) entries.push_back({"notes.txtold", false});
        return entries;
    }
};

TEST(LibraryListing, KeepOnlyFilesWhoseOwnNameMatches) {
    ShortNameDisk disk;
    disk.AddFile("C:\\c\\d\\p.txt", "");
    EXPECT_THAT(ListFiles(disk, "C:\\c\\d", "*.txt", nullptr), ElementsAre("p.txt"));
}

TEST(LibraryWildcard, FollowsThePlatformsRulesForLongNames) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    for (const Case& c :
         {Case{"a.txt", "*.txt", true}, Case{"b.TXT", "*.txt", true},
          Case{"c.txt.txt", "*.txt", true}, Case{".txt", "*.txt", true},
          Case{"a.txtx", "*.txt", false}, Case{"atxt", "*.txt", false}, Case{"noext", "*.*", true},
          Case{"ab", "a?", true}, Case{"a", "a?", false}, Case{"x.a.b", "*.b", true},
          Case{"", "*", true}, Case{"abc", "a*c*", true}}) {
        EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
    }
}

TEST(LibraryPageName, RemovesEveryLowerCaseTxt) {
    EXPECT_EQ(PageNameOf("a.txt"), "a");
    EXPECT_EQ(PageNameOf("a.txt.txt"), "a");
    EXPECT_EQ(PageNameOf("Notes.TXT"), "Notes.TXT");
    EXPECT_EQ(PageNameOf("my.txtbook.txt"), "mybook");
    // Works on UTF-8 bytes: a ".txt" right after a multi-byte character is still found
    // (中 is E4 B8 AD; a GBK-aware walk would pair AD with the dot).
    EXPECT_EQ(PageNameOf("\xE4\xB8\xAD.txt"), "\xE4\xB8\xAD");
    EXPECT_EQ(ComposePagePath(kRoot, "d", "p"), "C:\\kavo\\content\\d\\p.txt");
}

TEST_F(LibraryTest, SelectingAPageLoadsItsTextUpToTheFirstZeroByte) {
    disk.AddFile(kRoot + "d\\p.txt", std::string("ab\0cd", 5));
    disk.AddFile(kRoot + "d\\q.txt", "line 1\r\nline 2");
    Start();
    SelectText("p");
    EXPECT_EQ(editor.text, "ab");
    EXPECT_EQ(library.state.baselineText, "ab");
    EXPECT_TRUE(library.state.pageLoaded);
    EXPECT_EQ(library.state.lastSelectedIndex, 1);
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "d\\p.txt");
    EXPECT_THAT(disk.CallsStartingWith({"ReadWholeFile"}),
                ElementsAre("ReadWholeFile(" + kRoot + "d\\p.txt)"));

    SelectText("q");
    EXPECT_EQ(editor.text, "line 1\r\nline 2");
    EXPECT_EQ(library.state.lastSelectedIndex, 2);
}

TEST_F(LibraryTest, PagesWhoseFileIsNotNamePlusTxtStillOpen) {
    disk.AddFile(kRoot + "d\\Notes.TXT", "notes");
    disk.AddFile(kRoot + "d\\a.txt.txt", "double");
    disk.AddFile(kRoot + "d\\a.txt", "single");  // shown as "a" too
    Start();
    ASSERT_THAT(tree.Texts(), ElementsAre("d", "a", "a", "Notes.TXT"));
    tree.Select(1);
    EXPECT_EQ(editor.text, "single");
    tree.Select(2);
    EXPECT_EQ(editor.text, "double");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "d\\a.txt.txt");
    tree.Select(3);
    EXPECT_EQ(editor.text, "notes");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "d\\Notes.TXT");
}

TEST_F(LibraryTest, AnItemTheBuildDidNotMakeLoadsFromTheComposedPath) {
    disk.AddFile(kRoot + "d\\p.txt", "p");
    disk.AddFolder(kRoot + "e");
    Start();
    // Something outside a rebuild appended an item; it takes the index the record of "e" has,
    // so its texts are all there is to go by.
    disk.AddFile(kRoot + "d\\new.txt", "fresh");
    const int added = tree.Append(0, "new", kPageImage, false);
    ASSERT_EQ(added, 2);
    EXPECT_EQ(PageFilePath(library, added), kRoot + "d\\new.txt");
    tree.Select(added);
    EXPECT_EQ(editor.text, "fresh");
    EXPECT_EQ(PageFilePath(library, 0), "");
    EXPECT_EQ(PageFilePath(library, -1), "");
}

TEST_F(LibraryTest, MissingOrUnreadablePageLoadsAsEmptyText) {
    disk.AddFile(kRoot + "d\\gone.txt", "was here");
    disk.AddFile(kRoot + "d\\locked.txt", "secret");
    disk.AddFile(kRoot + "d\\p.txt", "shown");
    Start();
    SelectText("p");
    ASSERT_EQ(editor.text, "shown");
    disk.RemoveFile(kRoot + "d\\gone.txt");  // vanished after the tree was built
    SelectText("gone");
    EXPECT_EQ(editor.text, "");
    EXPECT_EQ(library.state.baselineText, "");
    EXPECT_TRUE(library.state.pageLoaded);

    disk.unreadablePaths.insert(kRoot + "d\\locked.txt");
    editor.text = "typed";
    SelectText("locked");
    EXPECT_EQ(editor.text, "");
}

TEST_F(LibraryTest, SelectingADirectoryLeavesTheEditorAndRecordsTheSelection) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1 text");
    disk.AddFile(kRoot + "B\\b1.txt", "b1 text");
    Start();
    int checks = 0;
    library.leavePageCheck = [&](Library&) {
        ++checks;
        return true;
    };
    tree.Expand(0);
    SelectText("a1");
    ASSERT_EQ(checks, 1);
    editor.text = "edited";
    tree.Expand(2);
    SelectText("B");
    EXPECT_EQ(editor.text, "edited");
    EXPECT_EQ(library.state.baselineText, "a1 text");
    EXPECT_EQ(checks, 1);  // no page is left when a directory is selected
    EXPECT_EQ(library.state.lastSelectedIndex, 2);
    EXPECT_THAT(library.state.expandedItems, ElementsAre(0, 2));
}

TEST_F(LibraryTest, NoSelectionLoadsNothingAndChangesNothing) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1 text");
    disk.AddFile(kRoot + ".txt", "a file the composed path would name");
    Start();
    SelectText("a1");
    editor.text = "edited";
    const int replacements = editor.replacements;
    tree.Expand(0);
    disk.ClearCalls();

    tree.Select(-1);
    EXPECT_EQ(editor.text, "edited");
    EXPECT_EQ(editor.replacements, replacements);
    EXPECT_THAT(disk.CallsStartingWith({"ReadWholeFile"}), IsEmpty());
    EXPECT_EQ(library.state.lastSelectedIndex, 1);
    EXPECT_THAT(library.state.expandedItems, IsEmpty());  // recorded before the expansion
}

TEST_F(LibraryTest, LeavePageCheckRunsBeforeTheNewPageReplacesTheText) {
    disk.AddFile(kRoot + "d\\p.txt", "p");
    disk.AddFile(kRoot + "d\\q.txt", "q");
    Start();
    std::vector<std::string> seen;
    library.leavePageCheck = [&](Library& lib) {
        seen.push_back(lib.editor.ReadText() + "|" + lib.state.baselineText + "|" +
                       (lib.state.pageLoaded ? "loaded" : "none"));
        return true;
    };
    SelectText("p");
    editor.text = "p edited";
    SelectText("q");
    EXPECT_THAT(seen, ElementsAre("before||none", "p edited|p|loaded"));
}

TEST_F(LibraryTest, RebuildKeepsEditorAndStateAndLeavesNothingSelected) {
    disk.AddFile(kRoot + "A\\a1.txt", "a1 text");
    Start();
    SelectText("a1");
    editor.text = "edited";
    const LibraryState before = library.state;
    RebuildLibraryTree(library);
    EXPECT_EQ(tree.SelectedIndex(), -1);
    EXPECT_EQ(editor.text, "edited");
    EXPECT_EQ(library.state.lastSelectedIndex, before.lastSelectedIndex);
    EXPECT_EQ(library.state.baselineText, before.baselineText);
    EXPECT_EQ(library.state.expandedItems, before.expandedItems);
}

TEST_F(LibraryTest, RebuildReopensTheDirectoriesThatWereOpenByName) {
    disk.AddFile(kRoot + "A\\a1.txt", "");
    disk.AddFile(kRoot + "B\\b1.txt", "");
    disk.AddFile(kRoot + "C\\c1.txt", "");
    disk.AddFile(kRoot + "C\\c2.txt", "");
    Start();
    ASSERT_THAT(tree.Texts(), ElementsAre("A", "a1", "B", "b1", "C", "c1", "c2"));
    tree.Expand(2);  // B
    tree.Expand(4);  // C
    SelectText("b1");
    ASSERT_THAT(library.state.expandedItems, ElementsAre(2, 4));

    // A page appears in A: every later index moves by one.
    disk.AddFile(kRoot + "A\\a0.txt", "");
    RebuildLibraryTree(library);
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a0", "a1", "B", "b1", "C", "c1", "c2"));
    EXPECT_THAT(tree.ExpandedIndices(), ElementsAre(3, 5));  // B and C, not A or a page

    // Directory B is deleted and A loses its pages; C stays open, nothing else opens.
    disk.RemoveDirectoryTree(kRoot + "B");
    disk.RemoveFile(kRoot + "A\\a0.txt");
    disk.RemoveFile(kRoot + "A\\a1.txt");
    RebuildLibraryTree(library);
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "C", "c1", "c2"));
    EXPECT_THAT(tree.ExpandedIndices(), ElementsAre(1));

    // Collapsed by hand without a selection change: it stays collapsed.
    tree.Collapse(1);
    RebuildLibraryTree(library);
    EXPECT_THAT(tree.ExpandedIndices(), IsEmpty());
}

TEST_F(LibraryTest, ARebuildAskedForWhileListingRunsOnceMoreAfterwards) {
    disk.AddFile(kRoot + "A\\a1.txt", "");
    disk.AddFile(kRoot + "B\\b1.txt", "");
    Start();
    tree.Expand(0);
    int nested = 0;
    disk.onProcessPendingEvents = [&] {
        // A handler running inside the listing changes the disk and asks for a rebuild.
        if (nested++ == 0) {
            disk.AddFile(kRoot + "B\\b2.txt", "");
            RebuildLibraryTree(library);
        }
    };
    RebuildLibraryTree(library);
    disk.onProcessPendingEvents = nullptr;
    EXPECT_THAT(tree.Texts(), ElementsAre("A", "a1", "B", "b1", "b2"));
    EXPECT_THAT(tree.ExpandedIndices(), ElementsAre(0));
    EXPECT_FALSE(library.rebuilding);
}

TEST_F(LibraryTest, DirectoryListingsUseTheContentFolderPaths) {
    disk.AddFile(kRoot + "d\\p.txt", "");
    Start();
    RebuildLibraryTree(library);
    EXPECT_THAT(
        disk.CallsStartingWith({"ListDirectory"}),
        ElementsAre("ListDirectory(" + kRoot + "|*.*)", "ListDirectory(" + kRoot + "d\\|*.txt)"));
}

// The example library shipped for newcomers: every page passes the engine's check, runs, and
// together the pages use every command.
TEST(LibraryExamples, EveryPageRunsAndTogetherTheyUseEveryCommand) {
    const std::filesystem::path content =
        std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "examples" / "content";
    ASSERT_TRUE(std::filesystem::is_directory(content)) << content;

    ScriptEngine engine;
    std::map<std::string, int> calls;  // UTF-8 command name -> handler calls
    std::string loop;
    // The eleven commands, each counting its calls.
    AddScriptWords(engine, FirstElevenWords(), [&](const ScriptWord& word) -> CommandHandler {
        const std::string name(word.name);
        calls[name] = 0;
        if (word.block == BlockRole::Opens) loop = name;
        return [&calls, name](const std::vector<RuntimeText>&) {
            ++calls[name];
            return 1;
        };
    });
    ASSERT_EQ(calls.size(), 11u);
    engine.SetHost({.reportFault = [](const ScriptFault& fault) {
        ADD_FAILURE() << "line " << fault.line << ": " << fault.message;
    }});

    int pages = 0;
    std::set<std::string> directories;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(content)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        ++pages;
        directories.insert(entry.path().parent_path().filename().string());
        EXPECT_EQ(entry.path().extension(), ".txt");
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        ASSERT_FALSE(bytes.empty());
        // Stored as the program stores pages: GBK, CR LF, no line end after the last line.
        EXPECT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes);
        EXPECT_NE(bytes.back(), '\n');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "at " << i;
            }
        }
        EXPECT_FALSE(engine.CheckScript(bytes).has_value());
        engine.RunScript(bytes);
    }
    EXPECT_GE(pages, 4);
    EXPECT_EQ(directories.size(), 2u);
    for (const auto& [name, count] : calls) {
        if (name != loop) {
            EXPECT_GT(count, 0) << name << " has no example";
        }
    }
}

}  // namespace
}  // namespace kavo
