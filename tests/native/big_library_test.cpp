// A library bigger than what is listed up front: the directories show at once, the remaining
// pages come later (from the background or when the whole tree is first read), and indices,
// selection and paths stay those of the whole library throughout.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/library_tree.h"
#include "native/library_fakes.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Utf8Text kRoot = "C:\\kavo\\content\\";

class BigLibraryTest : public ::testing::Test {
  protected:
    BigLibraryTest() : library(disk, shown, editor, [this] { disk.ProcessPendingEvents(); }) {
        shown.onSelectionChanged = [this] { OnTreeSelectionChanged(library); };
        library.onPagesLeftUnlisted = [this] { ++leftUnlisted; };
        for (const char* page :
             {"A\\a1.txt", "A\\a2.txt", "B\\b1.txt", "B\\b2.txt", "C\\c1.txt", "D\\d1.txt"})
            disk.AddFile(kRoot + page, page);
        library.pagesListedUpFront = 3;
    }

    RecordingPlatform disk;
    FakeTree shown;  // the control as the user sees it
    FakeEditor editor;
    Library library;
    int leftUnlisted = 0;
};

TEST_F(BigLibraryTest, DirectoriesShowAtOnceAndTheWholeTreeIsListedWhenFirstRead) {
    StartLibrary(library);
    // A and B hold the three pages listed up front; C and D show without theirs yet.
    EXPECT_THAT(shown.Texts(), ElementsAre("A", "a1", "a2", "B", "b1", "b2", "C", "D"));
    EXPECT_THAT(UnlistedDirectories(library), ElementsAre("C", "D"));
    EXPECT_EQ(leftUnlisted, 1);

    // Reading the library's tree lists the rest first: indices are the whole library's.
    EXPECT_EQ(library.tree.Count(), 10);
    EXPECT_THAT(shown.Texts(), ElementsAre("A", "a1", "a2", "B", "b1", "b2", "C", "c1", "D", "d1"));
    EXPECT_EQ(library.tree.Parent(9), 8);
    EXPECT_EQ(PageFilePath(library, 9), kRoot + "D\\d1.txt");
    EXPECT_THAT(UnlistedDirectories(library), IsEmpty());
    // Listed without visiting the queue: the reader expects the whole tree on return.
    EXPECT_THAT(
        disk.CallsStartingWith({"ListDirectory"}),
        ElementsAre("ListDirectory(" + kRoot + "|*.*)", "ListDirectory(" + kRoot + "A\\|*.txt)",
                    "ListDirectory(" + kRoot + "B\\|*.txt)",
                    "ListDirectory(" + kRoot + "C\\|*.txt)",
                    "ListDirectory(" + kRoot + "D\\|*.txt)"));
}

TEST_F(BigLibraryTest, ASmallLibraryIsListedWholeUpFront) {
    library.pagesListedUpFront = 1000;
    StartLibrary(library);
    EXPECT_THAT(shown.Texts(), ElementsAre("A", "a1", "a2", "B", "b1", "b2", "C", "c1", "D", "d1"));
    EXPECT_THAT(UnlistedDirectories(library), IsEmpty());
    EXPECT_EQ(leftUnlisted, 0);
}

TEST_F(BigLibraryTest, PagesListedElsewhereJoinTheirDirectoryOfTheCurrentTreeOnce) {
    StartLibrary(library);
    const std::uint64_t generation = library.treeGeneration;
    // For a tree built before, or for a directory that is no longer there: refused.
    EXPECT_FALSE(AddListedPages(library, generation - 1, "C", {"c1.txt"}));
    EXPECT_FALSE(AddListedPages(library, generation, "X", {"x1.txt"}));
    EXPECT_EQ(shown.Count(), 8);
    // In any order: each joins its own directory.
    EXPECT_TRUE(AddListedPages(library, generation, "D", {"d1.txt"}));
    EXPECT_TRUE(AddListedPages(library, generation, "C", {"c1.txt", "c2.TXT"}));
    EXPECT_THAT(shown.Texts(),
                ElementsAre("A", "a1", "a2", "B", "b1", "b2", "C", "c1", "c2.TXT", "D", "d1"));
    EXPECT_THAT(shown.Parents(), ElementsAre(-1, 0, 0, -1, 3, 3, -1, 6, 6, -1, 9));
    EXPECT_EQ(PageFilePath(library, 8), kRoot + "C\\c2.TXT");
    EXPECT_EQ(PageFilePath(library, 10), kRoot + "D\\d1.txt");
    EXPECT_THAT(UnlistedDirectories(library), IsEmpty());
    // Once is enough.
    EXPECT_FALSE(AddListedPages(library, generation, "D", {"d1.txt"}));
    EXPECT_EQ(shown.Count(), 11);
}

TEST_F(BigLibraryTest, AClickBeforeThePagesAreListedSelectsAndLoadsByTheWholeTreesIndices) {
    StartLibrary(library);
    shown.Select(7);                                // D, as shown before C's page is listed
    EXPECT_EQ(library.state.lastSelectedIndex, 8);  // D in the whole library
    EXPECT_EQ(shown.SelectedIndex(), 8);
    shown.Select(9);  // d1
    EXPECT_EQ(editor.text, "D\\d1.txt");
    EXPECT_EQ(library.state.loadedPagePath, kRoot + "D\\d1.txt");
}

TEST_F(BigLibraryTest, ARebuildListsEveryDirectoryThatOpensAgainUpFront) {
    disk.AddFile(kRoot + "E\\e1.txt", "");
    StartLibrary(library);
    library.tree.Expand(8);  // D
    ASSERT_THAT(shown.ExpandedIndices(), ElementsAre(8));
    RebuildLibraryTree(library);
    // D opens again with its page; A fills the rest of the budget; B, C and E wait.
    EXPECT_THAT(shown.Texts(), ElementsAre("A", "a1", "a2", "B", "C", "D", "d1", "E"));
    EXPECT_THAT(shown.ExpandedIndices(), ElementsAre(5));
    EXPECT_THAT(UnlistedDirectories(library), ElementsAre("B", "C", "E"));
    EXPECT_EQ(leftUnlisted, 2);
    // The whole tree: D where it belongs once C's page is in.
    EXPECT_EQ(library.tree.Text(8), "D");
    EXPECT_TRUE(library.tree.IsExpanded(8));
}

}  // namespace
}  // namespace kavo
