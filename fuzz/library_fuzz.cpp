// The library's operations as a user drives them: opening pages, typing, saving, the questions
// answered either way (and pages opened from the search window while a question is open),
// other programs changing and removing pages, deleting, renaming, creating and searching, against
// the fake file system. After every step: no page holds bytes that were not saved to it (every
// write goes to the page the editor's text came from, or to a new file, and holds that text or
// the page's own bytes), and no edit went away unless the user chose so (取消 to the
// unsaved-changes question, 确定 to reloading) or it was saved.
//
// The input is a stream of bytes: each step takes one byte for its kind and more as it needs
// them; the questions take their answers from the same stream.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_operations.h"
#include "library/library_tree.h"
#include "library/page_search.h"
#include "native/library_fakes.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

void Expect(bool condition) {
    if (!condition) std::abort();
}

const Utf8Text kRoot = "C:\\kavo\\content\\";

class Input {
  public:
    explicit Input(std::string_view bytes) : bytes_(bytes) {}
    bool Empty() const { return at_ >= bytes_.size(); }
    unsigned Next() { return Empty() ? 0 : static_cast<unsigned char>(bytes_[at_++]); }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// Every write of the library, as it happens.
struct Write {
    Utf8Text path;
    std::string bytes;
};

class WatchedFiles : public RecordingPlatform {
  public:
    std::vector<Write> writes;
    bool WriteWholeFile(const Utf8Text& path, const std::string& bytes) override {
        const bool written = RecordingPlatform::WriteWholeFile(path, bytes);
        if (written) writes.push_back({path, bytes});
        return written;
    }
    bool ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) override {
        const bool written = RecordingPlatform::ReplaceFileAtomically(path, bytes);
        if (written) writes.push_back({path, bytes});
        return written;
    }
    bool CreateNewEmptyFile(const Utf8Text& path) override {
        const bool written = RecordingPlatform::CreateNewEmptyFile(path);
        if (written) writes.push_back({path, ""});
        return written;
    }
};

// The questions, answered from the input; a selection may arrive while one is open.
class FuzzUi : public LibraryUserInterface {
  public:
    FuzzUi(Input& input, TreeWidget& tree, UnicodeEditor& editor)
        : input_(input), tree_(tree), editor_(editor) {}
    bool dropped = false;  // the user chose to let the edits go
    std::optional<Utf8Text> AskText(const Utf8Text&, const Utf8Text&) override {
        SelectUnderQuestion();
        static const char* const kNames[] = {"n", "a", "A", "new", "", "..", "x.txt"};
        const unsigned pick = input_.Next();
        if (pick % 8 == 7) return std::nullopt;
        return Utf8Text(kNames[pick % 7]);
    }
    bool AskConfirm(const Utf8Text& message) override {
        SelectUnderQuestion();
        const bool yes = input_.Next() & 1;
        if (message == kUnsavedQuestion && !yes) dropped = true;
        if (message.find("重新载入") != Utf8Text::npos && yes) dropped = true;
        return yes;
    }
    void ShowMessage(const Utf8Text&) override {}
    bool EditorTextFitsGbk() override {
        return GbkToUtf8(Utf8ToGbk(editor_.unicode)) == editor_.unicode;
    }

  private:
    // The search window's double click on a row, under the question's modal loop.
    void SelectUnderQuestion() {
        const unsigned pick = input_.Next();
        if (pick < 0xC0 || tree_.Count() == 0) return;
        tree_.Select(static_cast<int>(pick % static_cast<unsigned>(tree_.Count())));
    }
    Input& input_;
    TreeWidget& tree_;
    UnicodeEditor& editor_;
};

std::string WithoutCarriageReturns(std::string_view text) {
    std::string result;
    for (const char c : text)
        if (c != '\r') result.push_back(c);
    return result;
}

Utf8Text Key(const Utf8Text& path) {
    Utf8Text key;
    for (const char c : path) key.push_back(AsciiLowerByte(c));
    return key;
}

// What the editor held when a step began.
struct Before {
    Utf8Text loadedPath;
    bool edited = false;
    RuntimeText gbk;      // its GBK reading
    std::string unicode;  // its UTF-8 reading
    std::string loadedBytes;
    PageEncoding encoding = PageEncoding::Gbk;
    std::set<Utf8Text> files;  // keys of the files on disk
};

// The bytes hold the editor's text (in either reading, with the mark of a UTF-8 page or not,
// line breaks aside).
bool HoldsText(const std::string& bytes, const Before& before) {
    std::string_view text = bytes;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    const std::string plain = WithoutCarriageReturns(text);
    return plain == WithoutCarriageReturns(before.gbk) ||
           plain == WithoutCarriageReturns(before.unicode);
}

void Run(std::string_view data) {
    Input input(data);
    WatchedFiles disk;
    disk.AddFile(kRoot + "A\\a.txt", "a\r\n");
    disk.AddFile(kRoot + "A\\u.txt", "\xE4\xB8\xAD\xE6\x96\x87\n");  // UTF-8, LF only
    disk.AddFile(kRoot + "A\\m.txt", "\xEF\xBB\xBFm\r\n");           // UTF-8 with the mark
    disk.AddFile(kRoot + "B\\b.txt", "\xD6\xD0\xCE\xC4");            // GBK
    disk.AddFile(kRoot + "B\\z.txt", std::string("z\0z", 3));
    disk.AddFile(kRoot + "B\\x.txt", "x \x81\x20 \xFF");  // neither GBK nor UTF-8
    FakeTree tree;
    UnicodeEditor editor;
    FuzzUi ui(input, tree, editor);
    Library library(disk, tree, editor, nullptr);
    library.leavePageCheck = [&ui](Library& lib) { return LeavePageCheck(lib, ui); };
    tree.onSelectionChanged = [&library] { OnTreeSelectionChanged(library); };
    StartLibrary(library);

    static const char* const kTyped[] = {"x", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\r\n", "?"};
    static const char* const kOutside[] = {"other", "\xE4\xB8\xAD", "", "a\r\n"};
    for (int step = 0; step < 120 && !input.Empty(); ++step) {
        Before before;
        before.loadedPath = library.state.loadedPagePath;
        before.edited = PageChanged(library);
        before.gbk = editor.ReadText();
        before.unicode = editor.unicode;
        before.loadedBytes = library.state.loadedBytes;
        before.encoding = library.state.encoding;
        for (const auto& entry : disk.ListDirectory(kRoot + "A", "*.*"))
            before.files.insert(Key(kRoot + "A\\" + entry.name));
        for (const auto& entry : disk.ListDirectory(kRoot + "B", "*.*"))
            before.files.insert(Key(kRoot + "B\\" + entry.name));
        disk.writes.clear();
        ui.dropped = false;

        const unsigned kind = input.Next() % 16;
        const int count = tree.Count();
        const int item =
            count > 0 ? static_cast<int>(input.Next() % static_cast<unsigned>(count)) : -1;
        bool typing = false;
        switch (kind) {
            case 0:
            case 1:
                tree.Select(item);
                break;
            case 2:
                editor.unicode += kTyped[input.Next() % 5];
                typing = true;
                break;
            case 3:
                editor.unicode.clear();
                typing = true;
                break;
            case 4:
                SavePage(library, ui);
                break;
            case 5:
                library.autoSave = !library.autoSave;
                break;
            case 6: {
                // Another program writes a page (not through the library's port).
                const Utf8Text page = PageFilePath(library, item);
                if (!page.empty()) disk.AddFile(page, kOutside[input.Next() % 4]);
                break;
            }
            case 7: {
                const Utf8Text page = PageFilePath(library, item);
                if (!page.empty()) disk.RemoveFile(page);
                break;
            }
            case 8:
                tree.Select(item);
                DeletePage(library, ui);
                break;
            case 9:
                tree.Select(item);
                RenamePage(library, ui);
                break;
            case 10:
                tree.Select(item);
                NewPage(library, ui);
                break;
            case 11:
                CheckPageOnDisk(library, ui);
                break;
            case 12:
                ClosePageCheck(library, ui);
                break;
            case 13: {
                const std::atomic<bool> cancel{false};
                const std::vector<SearchPage> pages = PagesToSearch(library);
                BeginCachedSearch(disk, library.pageTexts, pages);
                SearchPages(disk, library.pageTexts, pages, "a", cancel, [](const SearchPage&) {});
                break;
            }
            case 14:
                tree.Select(item);
                if (input.Next() & 1)
                    RenameDirectory(library, ui);
                else
                    NewDirectory(library, ui);
                break;
            default:
                // A recording puts text in.
                PrepareForInsertedText(library);
                editor.unicode += "\xE5\xBB\xB6\xE6\x97\xB6(1)\r\n";
                typing = true;
                break;
        }

        // No page holds bytes that were not saved to it.
        for (const Write& write : disk.writes) {
            const bool existed = before.files.count(Key(write.path)) != 0;
            const bool itsPage = Key(write.path) == Key(before.loadedPath);
            // An unedited page saved back gets its own bytes, also when it had vanished.
            const bool ownBytes = itsPage && write.bytes == before.loadedBytes;
            if (existed) {
                Expect(itsPage);
                Expect(ownBytes || HoldsText(write.bytes, before));
            } else {
                Expect(write.bytes.empty() || ownBytes || HoldsText(write.bytes, before));
            }
        }
        // No edit went away unless the user chose so or it was saved.
        if (before.edited && !typing && editor.unicode != before.unicode && !ui.dropped) {
            const bool saved =
                std::any_of(disk.writes.begin(), disk.writes.end(),
                            [&](const Write& write) { return HoldsText(write.bytes, before); });
            Expect(saved);
        }
    }
}

}  // namespace
}  // namespace kavo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::Run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
