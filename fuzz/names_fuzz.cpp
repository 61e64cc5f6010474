// What the user types and what the disk lists: page and directory names with the check that a
// composed path stays inside the content folder, the library's order of names and its listing,
// the links the editor would open, and finding a text in the editor and in pages.
//
// The input is fields separated by LF: a typed name, a directory, a path, a wildcard pattern, a
// link, and the rest is the editor's text (GBK). Missing fields are empty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/find_rules.h"
#include "editor/links.h"
#include "library/content_folder.h"
#include "library/page_names.h"
#include "library/page_search.h"
#include "platform/fake/recording_platform.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

void Expect(bool condition) {
    if (!condition) std::abort();
}

struct Fields {
    std::string name;
    std::string directory;
    std::string path;
    std::string pattern;
    std::string link;
    std::string text;
};

Fields Cut(std::string_view input) {
    Fields fields;
    for (std::string* field :
         {&fields.name, &fields.directory, &fields.path, &fields.pattern, &fields.link}) {
        const std::size_t feed = input.find('\n');
        *field = std::string(input.substr(0, feed));
        input = feed == std::string_view::npos ? std::string_view() : input.substr(feed + 1);
    }
    fields.text = std::string(input);
    return fields;
}

// The containment rule said another way: after the root, parts separated by single backslashes
// (one more may end the path), none of them ".", ".." or holding a colon or a forward slash.
bool PlainPartsBelow(const Utf8Text& root, const Utf8Text& path) {
    if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
    std::string rest = path.substr(root.size());
    if (rest.back() == '\\') rest.pop_back();
    if (rest.find_first_of(":/") != std::string::npos) return false;
    const std::string framed = "\\" + rest + "\\";
    return framed.find("\\\\") == std::string::npos && framed.find("\\.\\") == std::string::npos &&
           framed.find("\\..\\") == std::string::npos;
}

void CheckNames(const Fields& f) {
    const Utf8Text root = "C:\\kavo\\content\\";

    // A directory's name accepted by the rules lies inside the content folder.
    const Utf8Text directoryPath = root + f.name;
    if (!RefuseName(f.name, NameKind::Directory, directoryPath)) {
        Expect(Utf16Length(directoryPath) <= kMaxFolderPathUnits);
        Expect(LiesInside(root, directoryPath) && LiesInside(root, directoryPath + "\\"));
    }
    // So does an accepted page name in a directory that does.
    const Utf8Text folder = root + f.directory + "\\";
    const Utf8Text pagePath = folder + f.name + ".txt";
    if (!RefuseName(f.name, NameKind::Page, pagePath)) {
        Expect(Utf16Length(pagePath) <= kMaxPathUnits);
        if (LiesInside(root, folder)) Expect(LiesInside(root, pagePath));
    }
    ComposePagePath(root, f.directory, f.name);
    Expect(PageNameOf(f.name).size() <= f.name.size());

    // Whatever path is given, inside means plain parts below the root.
    for (const Utf8Text& base : {root, WithTrailingSeparator(f.directory), f.directory}) {
        const bool inside = LiesInside(base, f.path);
        Expect(inside == (!base.empty() && base.back() == '\\' && PlainPartsBelow(base, f.path)));
    }

    Expect(SamePathIgnoringCase(f.name, f.path) == SamePathIgnoringCase(f.path, f.name));
    Expect(SamePathIgnoringCase(f.name, f.path) == EqualIgnoringAsciiCase(f.name, f.path));
}

void CheckOrderAndListing(const Fields& f) {
    // The tree's order must be a strict weak order, or sorting a listing is undefined.
    const std::vector<Utf8Text> names = {f.name, f.directory, f.path, f.pattern, f.link};
    for (const Utf8Text& a : names) {
        Expect(!LibraryNameLess(a, a));
        for (const Utf8Text& b : names) {
            if (LibraryNameLess(a, b)) Expect(!LibraryNameLess(b, a));
            for (const Utf8Text& c : names) {
                if (LibraryNameLess(a, b) && LibraryNameLess(b, c)) Expect(LibraryNameLess(a, c));
                const bool abEquivalent = !LibraryNameLess(a, b) && !LibraryNameLess(b, a);
                const bool bcEquivalent = !LibraryNameLess(b, c) && !LibraryNameLess(c, b);
                if (abEquivalent && bcEquivalent)
                    Expect(!LibraryNameLess(a, c) && !LibraryNameLess(c, a));
            }
        }
    }

    // The names as folders and pages on the fake's disk, listed the way the tree is built.
    RecordingPlatform disk;
    const Utf8Text root = ComputeContentRoot(disk);
    disk.AddFolder(root + "d");
    for (const Utf8Text& name : names) {
        if (name.empty()) continue;
        disk.AddFolder(root + name);
        disk.AddFile(root + "d\\" + name + ".txt", "");
    }
    const std::vector<Utf8Text> directories = ListSubdirectories(disk, root, nullptr);
    Expect(std::is_sorted(directories.begin(), directories.end(), LibraryNameLess));
    for (const Utf8Text& pattern : {Utf8Text("*.txt"), f.pattern}) {
        const std::vector<Utf8Text> files = ListFiles(disk, root + "d", pattern, nullptr);
        Expect(std::is_sorted(files.begin(), files.end(), LibraryNameLess));
        for (const Utf8Text& file : files) Expect(MatchesWildcard(file, pattern));
    }

    // Every name matches itself as a pattern: letters, stars and question marks alike.
    for (const Utf8Text& name : names) Expect(MatchesWildcard(name, name));
    Expect(MatchesWildcard(f.name, "*"));
    MatchesWildcard(f.name, f.pattern);
}

void CheckLink(const Fields& f) {
    const std::optional<Utf8Text> target = ShellTargetForLink(f.link);
    if (!target) return;
    // Only web and mail addresses, whole, never with a space or a control character.
    Expect(*target == f.link || *target == "http://" + f.link);
    bool known = false;
    for (const char* scheme : {"http:", "https:", "ftp:", "mailto:"})
        known = known || (StartsWithIgnoringAsciiCase(*target, scheme) &&
                          target->size() > std::string_view(scheme).size());
    Expect(known);
    for (const char c : *target)
        Expect(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) != 0x7F);
}

// An editor over the text that counts positions the way find_rules describes: a byte from 0x80
// or a CR takes the byte after it along.
class PositionEditor final : public FindableEditor {
  public:
    explicit PositionEditor(std::string_view text) {
        for (std::size_t pos = 0; pos < text.size();) {
            const auto byte = static_cast<unsigned char>(text[pos]);
            const std::size_t length =
                pos + 1 < text.size() && (byte >= 0x80 || byte == '\r') ? 2 : 1;
            characters_.emplace_back(text.substr(pos, length));
            pos += length;
        }
    }
    int TextLength() override { return static_cast<int>(characters_.size()); }
    int Find(const RuntimeText& text, int from, int to) override {
        ++finds;
        const PositionEditor needle(text);
        const auto count = static_cast<int>(needle.characters_.size());
        if (count == 0) return -1;
        for (int start = std::max(from, 0); start + count <= to; ++start)
            if (std::equal(needle.characters_.begin(), needle.characters_.end(),
                           characters_.begin() + start))
                return start;
        return -1;
    }
    int SelectionStart() override { return selectionStart; }
    void Select(int start, int length) override {
        Expect(start >= 0 && start < TextLength() && length >= 0);
        selectionStart = start;
    }
    void Focus() override {}

    int selectionStart = 0;
    int finds = 0;

  private:
    std::vector<std::string> characters_;
};

void CheckFinding(const Fields& f) {
    Expect(CountCharacters(f.text) <= static_cast<int>(f.text.size()));
    // Find in page, from the top and then each next occurrence until there is none; every step
    // moves forward, so the walk ends within the text's length.
    const RuntimeText wanted = f.name.substr(0, 16);
    PositionEditor editor(f.text);
    FindFromStart(editor, wanted);
    for (int previous = -1; editor.selectionStart != previous;) {
        previous = editor.selectionStart;
        FindNext(editor, wanted);
        Expect(editor.finds <= editor.TextLength() + 2);
    }
    // The global search's rules on the same text.
    const RuntimeText trimmed = TrimSearchText(f.name);
    Expect(TrimSearchText(trimmed) == trimmed);
    const std::size_t found = FindOnCharacterBoundary(f.text, trimmed);
    if (found != std::string_view::npos)
        Expect(f.text.compare(found, trimmed.size(), trimmed) == 0);
    FindOnCharacterBoundary(f.text, f.link, f.text.size() / 2);
}

}  // namespace
}  // namespace kavo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kavo::Fields fields =
        kavo::Cut(std::string_view(reinterpret_cast<const char*>(data), size));
    kavo::CheckNames(fields);
    kavo::CheckOrderAndListing(fields);
    kavo::CheckLink(fields);
    kavo::CheckFinding(fields);
    return 0;
}
