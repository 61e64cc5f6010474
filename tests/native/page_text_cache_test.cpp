// The global search's memory of the pages: what a repeated search reads again, checks and keeps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/page_search.h"
#include "library/page_text_cache.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Utf8Text kRoot = "C:\\kavo\\content\\";

// The disk with hooks into reading, to change things while a page is being read: before its
// bytes are taken, and after (the bytes taken are the old ones).
class Disk : public RecordingPlatform {
  public:
    std::function<void(const Utf8Text&)> whileReading;
    std::function<void(const Utf8Text&)> afterReading;
    std::optional<std::string> ReadWholeFile(const Utf8Text& path) override {
        if (whileReading) whileReading(path);
        std::optional<std::string> bytes = RecordingPlatform::ReadWholeFile(path);
        if (afterReading) afterReading(path);
        return bytes;
    }
};

class PageTextCacheTest : public ::testing::Test {
  protected:
    void AddPage(const Utf8Text& relative, const std::string& bytes) {
        disk.AddFile(kRoot + relative, bytes);
        pages.push_back({static_cast<int>(pages.size()), relative, kRoot + relative});
    }

    // The pages a search lists (their names), with and without the cache: both must agree.
    std::vector<Utf8Text> Search(const RuntimeText& text, bool cancelAfterFirstHit = false) {
        std::vector<Utf8Text> rows;
        std::atomic<bool> cancel{false};
        BeginCachedSearch(disk, *cache, pages);
        SearchPages(disk, *cache, pages, text, cancel, [&](const SearchPage& page) {
            rows.push_back(page.name);
            if (cancelAfterFirstHit) cancel = true;
        });
        if (cancelAfterFirstHit) return rows;
        std::vector<Utf8Text> uncached;
        const std::atomic<bool> never{false};
        SearchPages(disk, pages, text, never,
                    [&](const SearchPage& page) { uncached.push_back(page.name); });
        EXPECT_EQ(rows, uncached) << "the cache gave other rows than the files";
        return rows;
    }
    // Searches with the cache alone, noting which file calls it made.
    std::vector<Utf8Text> SearchRecorded(const RuntimeText& text) {
        disk.ClearCalls();
        std::vector<Utf8Text> rows;
        const std::atomic<bool> cancel{false};
        BeginCachedSearch(disk, *cache, pages);
        SearchPages(disk, *cache, pages, text, cancel,
                    [&](const SearchPage& page) { rows.push_back(page.name); });
        return rows;
    }
    std::vector<std::string> Reads() const { return disk.CallsStartingWith({"ReadWholeFile("}); }
    std::vector<std::string> Stamps() const { return disk.CallsStartingWith({"StampOf("}); }
    static std::string Read(const Utf8Text& relative) {
        return "ReadWholeFile(" + kRoot + relative + ")";
    }
    static std::string Stamp(const Utf8Text& relative) {
        return "StampOf(" + kRoot + relative + ")";
    }

    Disk disk;
    std::unique_ptr<PageTextCache> cache = std::make_unique<PageTextCache>();
    std::vector<SearchPage> pages;
};

TEST_F(PageTextCacheTest, ASecondSearchOverAnUnchangedLibraryTouchesNoFile) {
    AddPage("A\\one.txt", "xabcx");
    AddPage("A\\two.txt", "ABC");
    AddPage("B\\one.txt", std::string("xx\0abc", 6));  // shown up to the zero byte
    AddPage("B\\rich.txt", "{\\rtf1\\ansi{\\fonttbl{\\f0 abc;}}\\f0 a\\b bc}");
    AddPage("B\\gone.txt", "abc");
    ASSERT_TRUE(disk.RemoveFile(kRoot + "B\\gone.txt"));  // listed, but cannot be read

    EXPECT_THAT(SearchRecorded("abc"), ElementsAre("A\\one.txt", "B\\rich.txt"));
    // Positive control: the first search read every page once.
    EXPECT_THAT(Reads(), ElementsAre(Read("A\\one.txt"), Read("A\\two.txt"), Read("B\\one.txt"),
                                     Read("B\\rich.txt"), Read("B\\gone.txt")));
    EXPECT_EQ(cache->HeldPages(), 4u);

    EXPECT_THAT(SearchRecorded("abc"), ElementsAre("A\\one.txt", "B\\rich.txt"));
    EXPECT_THAT(SearchRecorded("ABC"), ElementsAre("A\\two.txt"));
    // Only the page that cannot be read is tried again; the others are neither read nor checked.
    EXPECT_THAT(Reads(), ElementsAre(Read("B\\gone.txt")));
    EXPECT_THAT(Stamps(), ElementsAre(Stamp("B\\gone.txt")));
    EXPECT_THAT(Search("abc"), ElementsAre("A\\one.txt", "B\\rich.txt"));
}

TEST_F(PageTextCacheTest, AChangeIsSeenAndOnlyTheChangedFoldersPagesAreChecked) {
    // Each case in folders of its own: X is changed, Y is not.
    struct Case {
        const char* what;
        std::function<void(RecordingPlatform&, const Utf8Text& x)> change;
        std::vector<Utf8Text> rows;  // searching "new" afterwards, names within X
        std::vector<Utf8Text> reads;
        std::vector<Utf8Text> stamps;  // a page read again is stamped before and after
        bool gone = false;  // a.txt cannot be read any more, so it is tried at every search
    };
    const Case cases[] = {
        {"rewritten, same size",
         [](RecordingPlatform& d, const Utf8Text& x) {
             ASSERT_TRUE(d.WriteWholeFile(kRoot + x + "\\a.txt", "new"));
         },
         {"a.txt"},
         {"a.txt"},
         {"a.txt", "a.txt", "b.txt"}},
        {"replaced, other size",
         [](RecordingPlatform& d, const Utf8Text& x) {
             ASSERT_TRUE(d.ReplaceFileAtomically(kRoot + x + "\\b.txt", "brand new"));
         },
         {"b.txt"},
         {"b.txt"},
         {"a.txt", "b.txt", "b.txt"}},
        {"another file added beside them",
         [](RecordingPlatform& d, const Utf8Text& x) { d.AddFile(kRoot + x + "\\c.txt", "new"); },
         {},
         {},
         {"a.txt", "b.txt"}},
        {"removed",
         [](RecordingPlatform& d, const Utf8Text& x) {
             ASSERT_TRUE(d.RemoveFile(kRoot + x + "\\a.txt"));
         },
         {},
         {"a.txt"},
         {"a.txt", "b.txt"},
         true},
    };
    const char* const folders[][2] = {{"X1", "Y1"}, {"X2", "Y2"}, {"X3", "Y3"}, {"X4", "Y4"}};
    ASSERT_EQ(std::size(folders), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        const Utf8Text x = folders[i][0];
        const Utf8Text y = folders[i][1];
        pages.clear();
        AddPage(x + "\\a.txt", "old");
        AddPage(x + "\\b.txt", "old");
        AddPage(y + "\\b.txt", "old");
        EXPECT_THAT(Search("new"), IsEmpty());
        // A change told in X that leaves its pages as they were: they are checked by their
        // stamps, not read.
        disk.AddFile(kRoot + x + "\\first.txt", "");
        EXPECT_THAT(SearchRecorded("new"), IsEmpty());
        EXPECT_THAT(Reads(), IsEmpty());
        EXPECT_THAT(Stamps(), ElementsAre(Stamp(x + "\\a.txt"), Stamp(x + "\\b.txt")));
        c.change(disk, x);
        std::vector<Utf8Text> rows;
        for (const Utf8Text& name : c.rows) rows.push_back(x + "\\" + name);
        std::vector<std::string> reads;
        for (const Utf8Text& name : c.reads) reads.push_back(Read(x + "\\" + name));
        std::vector<std::string> stamps;
        for (const Utf8Text& name : c.stamps) stamps.push_back(Stamp(x + "\\" + name));
        EXPECT_EQ(SearchRecorded("new"), rows);
        EXPECT_EQ(Reads(), reads);
        // The changed folder's pages are checked by their stamps, the other folder's are not.
        EXPECT_EQ(Stamps(), stamps);
        // And all is quiet again.
        SearchRecorded("new");
        EXPECT_EQ(Reads(), c.gone ? reads : std::vector<std::string>());
        EXPECT_EQ(Stamps(), c.gone ? std::vector<std::string>{Stamp(x + "\\a.txt")}
                                   : std::vector<std::string>());
        EXPECT_THAT(Search("old"), ::testing::Contains(y + "\\b.txt"));
    }
}

TEST_F(PageTextCacheTest, WhereNoWatchCanBeMadeEveryPageIsCheckedByItsStampAtEachSearch) {
    disk.foldersWatchable = false;
    AddPage("A\\a.txt", "old");
    AddPage("A\\b.txt", "old");
    EXPECT_THAT(SearchRecorded("old"), ElementsAre("A\\a.txt", "A\\b.txt"));
    EXPECT_THAT(SearchRecorded("old"), ElementsAre("A\\a.txt", "A\\b.txt"));
    EXPECT_THAT(Stamps(), ElementsAre(Stamp("A\\a.txt"), Stamp("A\\b.txt")));
    EXPECT_THAT(Reads(), IsEmpty());
    // A change that moves the stamp on is read again.
    ASSERT_TRUE(disk.WriteWholeFile(kRoot + "A\\b.txt", "new"));
    EXPECT_THAT(SearchRecorded("new"), ElementsAre("A\\b.txt"));
    EXPECT_THAT(Reads(), ElementsAre(Read("A\\b.txt")));
}

TEST_F(PageTextCacheTest, TheProgramsOwnSaveIsSeenWhereNeitherStampNorWatchShowsIt) {
    disk.foldersWatchable = false;
    AddPage("A\\a.txt", "old");
    AddPage("A\\b.txt", "old");
    EXPECT_THAT(Search("new"), IsEmpty());
    // Positive control: a change that no stamp and no watch shows is not seen.
    disk.ChangeFileUnseen(kRoot + "A\\b.txt", "new");
    EXPECT_THAT(SearchRecorded("new"), IsEmpty());
    // The program's save says which page it wrote, in any letter case.
    cache->Forget(kRoot + "a\\B.TXT");
    EXPECT_THAT(SearchRecorded("new"), ElementsAre("A\\b.txt"));
    EXPECT_THAT(Reads(), ElementsAre(Read("A\\b.txt")));
    // A library operation: everything is read again.
    cache->ForgetAll();
    EXPECT_EQ(cache->HeldPages(), 0u);
    SearchRecorded("new");
    EXPECT_EQ(Reads().size(), 2u);
}

TEST_F(PageTextCacheTest, ATextReadWhileTheProgramChangedTheLibraryIsNotKept) {
    AddPage("A\\a.txt", "old");
    AddPage("A\\b.txt", "old");
    disk.whileReading = [&](const Utf8Text& path) {
        if (path == kRoot + "A\\b.txt") cache->Forget(path);
    };
    SearchRecorded("old");
    disk.whileReading = nullptr;
    EXPECT_EQ(cache->HeldPages(), 1u);
    SearchRecorded("old");
    EXPECT_THAT(Reads(), ElementsAre(Read("A\\b.txt")));
    EXPECT_EQ(cache->HeldPages(), 2u);
}

TEST_F(PageTextCacheTest, TheBoundKeepsTheFirstPagesAndTheRestAreReadAtEachSearch) {
    cache = std::make_unique<PageTextCache>(8);  // two pages of four bytes
    for (const char* name : {"A\\1.txt", "A\\2.txt", "A\\3.txt", "A\\4.txt"}) AddPage(name, "text");
    SearchRecorded("text");
    EXPECT_EQ(cache->HeldPages(), 2u);
    EXPECT_EQ(cache->HeldBytes(), 8u);
    EXPECT_THAT(SearchRecorded("text"),
                ElementsAre("A\\1.txt", "A\\2.txt", "A\\3.txt", "A\\4.txt"));
    EXPECT_THAT(Reads(), ElementsAre(Read("A\\3.txt"), Read("A\\4.txt")));
}

TEST_F(PageTextCacheTest, ACompleteSearchLetsGoOfPagesNoLongerListed) {
    AddPage("A\\a.txt", "abc");
    AddPage("B\\b.txt", "abc");
    AddPage("B\\c.txt", "abc");
    Search("abc");
    EXPECT_EQ(cache->HeldPages(), 3u);
    // A search cancelled after its first page lets go of nothing it did not ask for.
    EXPECT_THAT(Search("abc", true), ElementsAre("A\\a.txt"));
    EXPECT_EQ(cache->HeldPages(), 3u);
    // Nor does an empty search text, which asks for no page.
    Search("");
    EXPECT_EQ(cache->HeldPages(), 3u);
    pages.resize(1);  // the others were deleted: the tree lists them no more
    Search("abc");
    EXPECT_EQ(cache->HeldPages(), 1u);
    EXPECT_EQ(cache->HeldBytes(), 3u);
}

// Another program rewrites a page while a search that is being cancelled reads it, and the next
// search begins (and is told of the change) before the cancelled one is done with that page.
TEST_F(PageTextCacheTest, APageChangedWhileACancelledSearchReadsItIsNeverKeptStale) {
    struct Case {
        const char* what;
        bool watchable;
        bool sameStamp;  // same size and time (times in 2-second steps), the write just made
    };
    const Case cases[] = {
        {"a watched folder", true, false},
        {"a folder without a watch", false, false},
        {"a watched folder, a write the stamp does not show", true, true},
        {"no watch, a write the stamp does not show", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cache = std::make_unique<PageTextCache>();  // before the disk its watches look at
        disk = Disk();
        pages.clear();
        disk.foldersWatchable = c.watchable;
        AddPage("A\\a.txt", "old text");
        AddPage("A\\b.txt", "old text");
        if (c.sameStamp) disk.recentFiles = {kRoot + "A\\a.txt"};
        std::atomic<bool> cancelFirst{false};
        std::vector<Utf8Text> secondRows;
        disk.afterReading = [&](const Utf8Text& path) {
            if (path != kRoot + "A\\a.txt" || cancelFirst) return;
            if (c.sameStamp) {
                disk.ChangeFileUnseen(path, "new text");
            } else {
                ASSERT_TRUE(disk.WriteWholeFile(path, "new text"));
            }
            // 搜索 again: the first search is cancelled, the second begins at once.
            cancelFirst = true;
            BeginCachedSearch(disk, *cache, pages);
        };
        SearchPages(disk, *cache, pages, "text", cancelFirst, [](const SearchPage&) {});
        const std::atomic<bool> never{false};
        SearchPages(disk, *cache, pages, "new", never,
                    [&](const SearchPage& page) { secondRows.push_back(page.name); });
        EXPECT_THAT(secondRows, ElementsAre("A\\a.txt"));
        // And every search after it.
        disk.recentFiles.clear();
        EXPECT_THAT(Search("new"), ElementsAre("A\\a.txt"));
        EXPECT_THAT(Search("new"), ElementsAre("A\\a.txt"));
        // Positive control: the page the other program left alone is kept and not read again.
        EXPECT_THAT(SearchRecorded("old"), ElementsAre("A\\b.txt"));
        EXPECT_THAT(Reads(), IsEmpty());
    }
}

// A page written within the last 2 s is read again at the next search: its stamp cannot tell a
// second write of as many bytes within those 2 s.
TEST_F(PageTextCacheTest, APageWrittenJustNowIsComparedByItsBytes) {
    disk.foldersWatchable = false;
    AddPage("A\\a.txt", "old");
    AddPage("A\\b.txt", "old");
    disk.recentFiles = {kRoot + "A\\a.txt"};
    EXPECT_THAT(Search("new"), IsEmpty());
    disk.ChangeFileUnseen(kRoot + "A\\a.txt", "new");
    disk.ChangeFileUnseen(kRoot + "A\\b.txt", "new");
    // The recent page is read again and its change seen; the other's change is one no stamp and
    // no watch shows, and is not (the positive control: the same change, seen only by bytes).
    EXPECT_THAT(SearchRecorded("new"), ElementsAre("A\\a.txt"));
    EXPECT_THAT(Reads(), ElementsAre(Read("A\\a.txt")));
    // Once it is older than that, its stamp is trusted again: nothing is read.
    disk.recentFiles.clear();
    SearchRecorded("new");
    EXPECT_THAT(SearchRecorded("new"), ElementsAre("A\\a.txt"));
    EXPECT_THAT(Reads(), IsEmpty());
}

// Whether another thread can take the cache now: it calls into the cache from a thread of its
// own and waits for it a while. Tasks that did not finish are kept until the test ends (they
// finish once the holder lets go).
class LockProbe {
  public:
    // True when call() finished in time on another thread.
    bool Free(const std::function<void()>& call) {
        std::future<void> done = std::async(std::launch::async, call);
        const bool free = done.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
        if (!free) waiting_.push_back(std::move(done));
        return free;
    }

  private:
    std::vector<std::future<void>> waiting_;
};

// While the cache is in a file call (a slow network folder), 保存 (Forget), another search and
// the window (HeldPages) go on: the cache's lock is never held across one.
TEST_F(PageTextCacheTest, NoFileCallIsMadeWhileTheCacheIsLocked) {
    LockProbe probe;
    std::vector<std::string> blocked;
    int probed = 0;
    bool probing = true;
    // Every file call of the cache, its folder watches' included, tries the cache from another
    // thread; after the first that finds it taken, the others just go on.
    const auto tryTheCache = [&](const std::string& call) {
        if (!probing || !blocked.empty()) return;
        ++probed;
        if (!probe.Free([&] {
                cache->Forget(kRoot + "Z\\saved.txt");
                cache->HeldPages();
            }))
            blocked.push_back(call);
    };
    class ProbedWatch : public FolderWatch {
      public:
        ProbedWatch(std::unique_ptr<FolderWatch> watch, std::function<void(std::string)> probe)
            : watch_(std::move(watch)), probe_(std::move(probe)) {}
        ~ProbedWatch() override { probe_("a watch closed"); }
        bool Changed() override {
            probe_("Changed");
            return watch_->Changed();
        }

      private:
        std::unique_ptr<FolderWatch> watch_;
        std::function<void(std::string)> probe_;
    };
    class ProbedDisk : public Disk {
      public:
        std::function<void(std::string)> probe;
        std::optional<std::string> ReadWholeFile(const Utf8Text& path) override {
            if (probe) probe("ReadWholeFile");
            return Disk::ReadWholeFile(path);
        }
        std::optional<FileStamp> StampOf(const Utf8Text& path) override {
            if (probe) probe("StampOf");
            return Disk::StampOf(path);
        }
        std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text& folder) override {
            if (probe) probe("WatchFolder");
            std::unique_ptr<FolderWatch> watch = Disk::WatchFolder(folder);
            if (!watch) return nullptr;
            return std::make_unique<ProbedWatch>(std::move(watch), probe);
        }
    } probedDisk;
    probedDisk.AddFile(kRoot + "A\\a.txt", "abc");
    probedDisk.AddFile(kRoot + "B\\b.txt", "abc");
    pages = {{0, "A\\a.txt", kRoot + "A\\a.txt"}, {1, "B\\b.txt", kRoot + "B\\b.txt"}};
    probedDisk.probe = tryTheCache;
    const auto search = [&] {
        const std::atomic<bool> never{false};
        BeginCachedSearch(probedDisk, *cache, pages);
        SearchPages(probedDisk, *cache, pages, "abc", never, [](const SearchPage&) {});
    };
    search();                                      // watches made, pages read
    probedDisk.AddFile(kRoot + "A\\new.txt", "");  // A changes: its page is checked
    search();
    probedDisk.foldersWatchable = false;
    cache->ForgetAll();  // the watches are closed
    search();            // no watches: stamps at each search
    search();
    EXPECT_THAT(blocked, IsEmpty());
    EXPECT_GE(probed, 10);
    probing = false;
    cache.reset();  // its watches go while the disk they look at is still there

    // Positive control: the probe finds a lock that is held.
    std::mutex held;
    bool found = false;
    {
        const std::lock_guard lock(held);
        found = !probe.Free([&] { const std::lock_guard wait(held); });
    }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace kavo
