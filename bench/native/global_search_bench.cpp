// Global search over 10,000 pages of about 4 KB on disk, against grep -rlF for the same text
// over the same folder, in one run (scripts/bench.sh prints the ratio of the two medians).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "global_search_pages.h"
#include "library/page_search.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

namespace fs = std::filesystem;

// A watch on a folder nothing changes in (the library between two searches).
class QuietWatch : public FolderWatch {
  public:
    bool Changed() override { return false; }
};

// The disk as it is: pages are read with the C library, as grep reads them; stamps come from
// the file system. Folders are watched quietly, or not at all when watching is false.
class DiskFiles : public RecordingPlatform {
  public:
    explicit DiskFiles(bool watching = true) : watching_(watching) {}
    std::optional<FileStamp> StampOf(const Utf8Text& path) override {
        std::error_code error;
        const auto size = fs::file_size(path, error);
        const auto time = fs::last_write_time(path, error);
        if (error) return std::nullopt;
        return FileStamp{size, static_cast<std::uint64_t>(time.time_since_epoch().count())};
    }
    std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text&) override {
        if (!watching_) return nullptr;
        return std::make_unique<QuietWatch>();
    }
    std::optional<std::string> ReadWholeFile(const Utf8Text& path) override {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return std::nullopt;
        std::string bytes;
        char buffer[65536];
        std::size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, read);
        std::fclose(file);
        return bytes;
    }

  private:
    bool watching_;
};

struct BenchLibrary {
    fs::path root;
    std::vector<SearchPage> pages;
};

const BenchLibrary& Library() {
    static const BenchLibrary library = [] {
        BenchLibrary made;
        made.root = fs::temp_directory_path() / "kavo-global-search-bench" / "content";
        fs::remove_all(made.root.parent_path());
        for (int d = 0; d < bench::kDirectories; ++d) {
            const fs::path directory = made.root / ("目录" + std::to_string(d));
            fs::create_directories(directory);
            for (int p = 0; p < bench::kPagesPerDirectory; ++p) {
                const int page = d * bench::kPagesPerDirectory + p;
                const fs::path file = directory / ("页面" + std::to_string(p) + ".txt");
                std::ofstream(file, std::ios::binary) << bench::PageBytes(page);
                made.pages.push_back({page + d + 1, "页面" + std::to_string(p), file.string()});
            }
        }
        return made;
    }();
    return library;
}

void BM_GlobalSearch10000Pages(benchmark::State& state) {
    const BenchLibrary& library = Library();
    DiskFiles files;
    const RuntimeText needle = Utf8ToGbk(bench::kNeedle);
    const std::atomic<bool> cancel{false};
    int found = 0;
    for (auto _ : state) {
        found = 0;
        SearchPages(files, library.pages, needle, cancel, [&](const SearchPage&) { ++found; });
    }
    if (found != bench::kPagesWithNeedle) state.SkipWithError("wrong number of pages found");
    state.SetLabel("goal: <= 2x BM_GrepRlF10000Pages");
}

// A search again over the unchanged library, with what the first one kept: with the folders
// watched nothing is read or checked; without watches every page's stamp is checked.
void SearchAgain(benchmark::State& state, bool watching) {
    const BenchLibrary& library = Library();
    DiskFiles files(watching);
    PageTextCache cache;
    const RuntimeText needle = Utf8ToGbk(bench::kNeedle);
    const std::atomic<bool> cancel{false};
    int found = 0;
    BeginCachedSearch(files, cache, library.pages);
    SearchPages(files, cache, library.pages, needle, cancel, [](const SearchPage&) {});
    for (auto _ : state) {
        found = 0;
        BeginCachedSearch(files, cache, library.pages);
        SearchPages(files, cache, library.pages, needle, cancel,
                    [&](const SearchPage&) { ++found; });
    }
    if (found != bench::kPagesWithNeedle) state.SkipWithError("wrong number of pages found");
}

void BM_GlobalSearchAgain10000Pages(benchmark::State& state) {
    SearchAgain(state, true);
    state.SetLabel("goal: <= 0.2x BM_GrepRlF10000Pages");
}

void BM_GlobalSearchAgainStampingEachPage10000Pages(benchmark::State& state) {
    SearchAgain(state, false);
    state.SetLabel("goal: report; where no folder can be watched");
}

void BM_GrepRlF10000Pages(benchmark::State& state) {
    const BenchLibrary& library = Library();
    // Byte-wise, as fast as grep goes; the pattern's GBK bytes are passed as they are.
    const std::string command = "LC_ALL=C grep -rlF -- '" + Utf8ToGbk(bench::kNeedle) + "' '" +
                                library.root.string() + "' | wc -l";
    int found = 0;
    for (auto _ : state) {
        std::FILE* output = popen(command.c_str(), "r");
        if (output == nullptr || std::fscanf(output, "%d", &found) != 1) found = -1;
        if (output != nullptr) pclose(output);
    }
    if (found != bench::kPagesWithNeedle) state.SkipWithError("grep found another number of pages");
}

// Repeated, so that scripts/bench.sh compares medians; the pages stay in the page cache.
BENCHMARK(BM_GrepRlF10000Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7);
BENCHMARK(BM_GlobalSearch10000Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7);
BENCHMARK(BM_GlobalSearchAgain10000Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7);
BENCHMARK(BM_GlobalSearchAgainStampingEachPage10000Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7);

}  // namespace
}  // namespace kavo
