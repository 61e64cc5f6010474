// The library's writing against a real disk under the platform: links inside a deleted
// directory, names the command interpreter would misread, a save that fails half way, and pages
// that go through the rich edit and back unchanged.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "editor/editor_widget_win32.h"
#include "library/library_commands_win32.h"
#include "library/library_operations.h"
#include "native/library_fakes.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "text/wide.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

class QuietUi : public LibraryUserInterface {
  public:
    std::deque<bool> confirms;
    std::vector<Utf8Text> messages;
    std::optional<Utf8Text> AskText(const Utf8Text&, const Utf8Text&) override {
        return std::nullopt;
    }
    bool AskConfirm(const Utf8Text&) override {
        if (confirms.empty()) return false;
        const bool answer = confirms.front();
        confirms.pop_front();
        return answer;
    }
    void ShowMessage(const Utf8Text& message) override { messages.push_back(message); }
    bool EditorTextFitsGbk() override { return true; }
};

// A fresh folder of its own under the temporary folder, removed at the end.
class DiskTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::wstring temp = test::TempFolder();
        base_ = std::wstring(temp) + L"kavo-library-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + Utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name());
        root_ = WideToUtf8(base_) + "\\content\\";
        ASSERT_TRUE(platform_.CreateDirectories(root_));
    }
    void TearDown() override { platform_.RemoveDirectoryTree(WideToUtf8(base_)); }

    void Write(const Utf8Text& path, const std::string& bytes) {
        ASSERT_TRUE(platform_.CreateDirectories(path.substr(0, path.find_last_of('\\'))));
        ASSERT_TRUE(platform_.WriteWholeFile(path, bytes)) << path;
    }
    std::string Read(const Utf8Text& path) {
        return platform_.ReadWholeFile(path).value_or("<missing>");
    }
    std::vector<Utf8Text> Names(const Utf8Text& folder) {
        std::vector<Utf8Text> names;
        for (const auto& entry : platform_.ListDirectory(folder, "*.*"))
            if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    Win32Platform& platform_ = ThePlatform();
    std::wstring base_;
    Utf8Text root_;
};

// A junction (a mount point reparse point) at link, pointing at target.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    const UniqueFile handle(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    const std::wstring substitute = L"\\??\\" + target;
    const auto substituteBytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(16 + substituteBytes + 2 + 2, 0);
    auto* words = reinterpret_cast<USHORT*>(buffer.data());
    *reinterpret_cast<DWORD*>(buffer.data()) = IO_REPARSE_TAG_MOUNT_POINT;
    words[2] = static_cast<USHORT>(buffer.size() - 8);    // data length
    words[4] = 0;                                         // substitute name offset
    words[5] = substituteBytes;                           // substitute name length
    words[6] = static_cast<USHORT>(substituteBytes + 2);  // print name offset
    words[7] = 0;                                         // print name length
    std::memcpy(buffer.data() + 16, substitute.data(), substituteBytes);
    DWORD returned = 0;
    if (handle &&
        DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr))
        return true;
    RemoveDirectoryW(link.c_str());
    return false;
}

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY |
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
}

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring UnixPath(const std::wstring& path) {
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return std::wstring();
    char* converted = toUnix(path.c_str());
    if (converted == nullptr) return std::wstring();
    const std::wstring wide = Utf8ToWide(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return wide;
}

// Under Wine, runs a program of the Unix side; it is not tracked, so callers wait for its effect.
bool StartUnixProgram(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW((L"Z:" + program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process))
        return false;
    const UniqueHandleKernel processHandle(process.hProcess);
    const UniqueHandleKernel threadHandle(process.hThread);
    return true;
}

// Under Wine, a symbolic link of the Unix side (what a user's file manager makes).
bool MakeUnixLink(const std::wstring& link, const std::wstring& target) {
    if (!RunningUnderWine() || !StartUnixProgram(L"/bin/ln", L"/bin/ln -s \"" + UnixPath(target) +
                                                                 L"\" \"" + UnixPath(link) + L"\""))
        return false;
    return test::WaitFor(
        [&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; },
        std::chrono::seconds(5));
}

TEST_F(DiskTest, DeletingADirectoryRemovesLinksInsideButNeverTheirTargets) {
    const Utf8Text outside = WideToUtf8(base_) + "\\outside";
    Write(outside + "\\keep.txt", "the target's file");
    int tried = 0;
    const std::pair<const char*, bool (*)(const std::wstring&, const std::wstring&)> kinds[] = {
        {"junction", &MakeJunction},
        {"symbolic link", &MakeSymbolicLink},
        {"Unix symbolic link", &MakeUnixLink}};
    for (const auto& [kind, make] : kinds) {
        Write(root_ + "doomed\\page.txt", "x");
        Write(root_ + "doomed\\sub\\deep.txt", "y");
        if (!make(Utf8ToWide(root_ + "doomed\\link"), Utf8ToWide(outside))) continue;
        // Positive control: through the link the target's file is visible.
        if (Read(root_ + "doomed\\link\\keep.txt") != "the target's file") {
            platform_.RemoveDirectoryTree(root_ + "doomed");
            continue;
        }
        ++tried;
        const DWORD attributes = GetFileAttributesW(Utf8ToWide(root_ + "doomed\\link").c_str());
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << kind;

        const bool removed = platform_.RemoveDirectoryTree(root_ + "doomed");
        EXPECT_EQ(Read(outside + "\\keep.txt"), "the target's file") << kind;
        EXPECT_TRUE(platform_.IsDirectory(root_)) << kind;
        if (std::string(kind) == "Unix symbolic link") {
            // Wine cannot remove a Unix link through the file API (RemoveDirectory answers
            // "not empty", DeleteFile "denied"): the link stays, everything else goes.
            EXPECT_FALSE(removed);
            EXPECT_EQ(Names(root_ + "doomed"), std::vector<Utf8Text>{"link"});
            const std::wstring link = Utf8ToWide(root_ + "doomed\\link");
            StartUnixProgram(L"/bin/rm", L"/bin/rm \"" + UnixPath(link) + L"\"");
            test::WaitFor(
                [&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; },
                std::chrono::seconds(5));
            continue;
        }
        EXPECT_TRUE(removed) << kind;
        EXPECT_FALSE(platform_.PathExists(root_ + "doomed")) << kind;

        // A script directory that is itself a link loses only the link.
        ASSERT_TRUE(make(Utf8ToWide(root_ + "linked"), Utf8ToWide(outside))) << kind;
        EXPECT_TRUE(platform_.RemoveDirectoryTree(root_ + "linked")) << kind;
        EXPECT_FALSE(platform_.PathExists(root_ + "linked")) << kind;
        EXPECT_EQ(Read(outside + "\\keep.txt"), "the target's file") << kind;
    }
    if (tried == 0) GTEST_SKIP() << "no working directory links on this file system";
}

// Deleting a folder changes nothing outside it: a read-only file reached through a link in it
// stays read-only (clearing the flag through the link would clear it on the link's target).
// Under Wine the link is the Unix kind a file manager makes; Windows' own kinds come with it
// where the system lets the test make them.
TEST_F(DiskTest, DeletingADirectoryLeavesTheAttributesOfALinksTargetAlone) {
    const Utf8Text outside = WideToUtf8(base_) + "\\outside";
    Write(outside + "\\keep.txt", "the target's file");
    const std::wstring target = Utf8ToWide(outside + "\\keep.txt");
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY);
    const auto windowsFileLink = [](const std::wstring& link, const std::wstring& to) {
        return CreateSymbolicLinkW(link.c_str(), to.c_str(),
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
    };
    const auto unixLink = [](const std::wstring& link, const std::wstring& to) {
        return MakeUnixLink(link, to);
    };
    int tried = 0;
    const std::pair<const char*, std::function<bool(const std::wstring&, const std::wstring&)>>
        kinds[] = {{"symbolic link", windowsFileLink}, {"Unix symbolic link", unixLink}};
    for (const auto& [kind, make] : kinds) {
        Write(root_ + "doomed\\page.txt", "x");
        const std::wstring link = Utf8ToWide(root_ + "doomed\\link.txt");
        if (!make(link, target)) continue;
        // Positive control: through the link the target's file is read, and read-only.
        if (Read(root_ + "doomed\\link.txt") != "the target's file") continue;
        ++tried;
        platform_.RemoveDirectoryTree(root_ + "doomed");
        EXPECT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY) << kind;
        EXPECT_EQ(Read(outside + "\\keep.txt"), "the target's file") << kind;
        if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES)
            StartUnixProgram(L"/bin/rm", L"/bin/rm \"" + UnixPath(link) + L"\"");
        test::WaitFor([&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; },
                      std::chrono::seconds(5));
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);  // for the next kind
    }
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (tried == 0) GTEST_SKIP() << "no working file links on this file system";
}

TEST_F(DiskTest, DeleteDirectoryCommandRemovesExactlyTheNamedDirectory) {
    const Utf8Text names[] = {"100% & ^x", "%TEMP%", "a&b", "q's", "\xE0\xB8\x81 Thai"};
    for (const Utf8Text& name : names) Write(root_ + name + "\\p.txt", name);
    Write(root_ + "100%\\keep.txt", "sibling");
    Write(root_ + "a\\keep.txt", "sibling");
    FakeTree tree;
    FakeEditor editor;
    QuietUi ui;
    Library library(platform_, tree, editor, nullptr);
    library.contentRoot = root_;
    for (const Utf8Text& name : names) {
        RebuildLibraryTree(library);
        int index = -1;
        for (int i = 0; i < tree.Count(); ++i)
            if (tree.Text(i) == name) index = i;
        ASSERT_NE(index, -1) << name;
        tree.Select(index);
        ui.confirms = {true};
        DeleteDirectory(library, ui);
        EXPECT_FALSE(platform_.PathExists(root_ + name)) << name;
    }
    EXPECT_EQ(Names(root_), (std::vector<Utf8Text>{"100%", "a"}));
    EXPECT_EQ(Read(root_ + "100%\\keep.txt"), "sibling");
    EXPECT_TRUE(ui.messages.empty());
}

// Index of the tree item with that text; -1 when none has it.
int ItemNamed(const TreeWidget& tree, const Utf8Text& text) {
    for (int i = 0; i < tree.Count(); ++i)
        if (tree.Text(i) == text) return i;
    return -1;
}

// Names the system's usual path rules would change ("abc." and "abc " are "abc" to them, as is
// "abc..") beside the folder they would be taken for: every operation reaches exactly the one
// listed, the other untouched.
TEST_F(DiskTest, NamesEndingInADotOrASpaceAreFoldersOfTheirOwn) {
    FakeTree tree;
    FakeEditor editor;
    QuietUi ui;
    Library library(platform_, tree, editor, nullptr);
    library.contentRoot = root_;
    tree.onSelectionChanged = [&library] { OnTreeSelectionChanged(library); };
    for (const Utf8Text name : {"abc.", "abc ", "abc.."}) {
        SCOPED_TRACE("[" + name + "]");
        Write(root_ + "abc\\important.txt", "beside");
        Write(root_ + name + "\\page.txt", "its own page");
        EXPECT_EQ(Names(root_), (std::vector<Utf8Text>{"abc", name}));
        EXPECT_EQ(Read(root_ + name + "\\page.txt"), "its own page");
        EXPECT_EQ(Names(root_ + name), std::vector<Utf8Text>{"page.txt"});

        // Its page opens from the tree.
        RebuildLibraryTree(library);
        tree.Select(ItemNamed(tree, "page"));
        EXPECT_EQ(editor.text, "its own page");
        editor.text = "edited";
        EXPECT_TRUE(SavePage(library, ui));
        EXPECT_EQ(Read(root_ + name + "\\page.txt"), "edited");
        EXPECT_EQ(Read(root_ + "abc\\important.txt"), "beside");

        // Renamed and back, it stays itself.
        ASSERT_TRUE(platform_.RenamePath(root_ + name, root_ + name + "x"));
        EXPECT_EQ(Names(root_), (std::vector<Utf8Text>{"abc", name + "x"}));
        ASSERT_TRUE(platform_.RenamePath(root_ + name + "x", root_ + name));

        // 删除脚本目录 removes it, and only it.
        RebuildLibraryTree(library);
        tree.Select(ItemNamed(tree, name));
        ui.confirms = {true};
        DeleteDirectory(library, ui);
        EXPECT_EQ(Names(root_), std::vector<Utf8Text>{"abc"});
        EXPECT_EQ(Read(root_ + "abc\\important.txt"), "beside");
        EXPECT_TRUE(ui.messages.empty());
        ui.messages.clear();
    }
}

// Beyond 260 characters the same operations still work.
TEST_F(DiskTest, PathsLongerThanTwoHundredSixtyCharactersWork) {
    const Utf8Text deep = root_ + std::string(120, 'd') + "\\" + std::string(120, 'e');
    const Utf8Text page = deep + "\\" + std::string(60, 'p') + ".txt";
    ASSERT_GT(page.size(), 300u);
    Write(page, "far away");
    EXPECT_EQ(Read(page), "far away");
    EXPECT_TRUE(platform_.ReplaceFileAtomically(page, "replaced"));
    EXPECT_EQ(Read(page), "replaced");
    EXPECT_TRUE(platform_.RenamePath(page, deep + "\\moved.txt"));
    EXPECT_EQ(Names(deep), std::vector<Utf8Text>{"moved.txt"});
    EXPECT_TRUE(platform_.RemoveDirectoryTree(root_ + std::string(120, 'd')));
    EXPECT_FALSE(platform_.PathExists(deep));
}

// A page whose name takes all 255 characters a name may have (251 and ".txt"), the longest the
// library accepts, is made, opened, saved and saved again; no temporary file stays beside it.
TEST_F(DiskTest, APageWithTheLongestNameIsSaved) {
    FakeTree tree;
    FakeEditor editor;
    QuietUi ui;
    Library library(platform_, tree, editor, nullptr);
    library.contentRoot = root_;
    tree.onSelectionChanged = [&library] { OnTreeSelectionChanged(library); };
    const Utf8Text name(251, 'p');
    const Utf8Text page = root_ + "d\\" + name + ".txt";
    ASSERT_TRUE(platform_.CreateDirectories(root_ + "d"));
    ASSERT_TRUE(platform_.CreateNewEmptyFile(page));  // as 新建脚本 makes it
    RebuildLibraryTree(library);
    tree.Select(ItemNamed(tree, name));
    for (const std::string text : {"鼠标(左键)\r\n", "延时(100)\r\n"}) {
        editor.text = text;
        EXPECT_TRUE(SavePage(library, ui));
        EXPECT_EQ(Read(page), text);
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Names(root_ + "d"), std::vector<Utf8Text>{name + ".txt"});
    // Positive control: one character more is more than the system stores in a name.
    EXPECT_FALSE(platform_.CreateNewEmptyFile(root_ + "d\\" + name + "p.txt"));
    EXPECT_EQ(Names(root_ + "d"), std::vector<Utf8Text>{name + ".txt"});
}

// A page's stamp: its size and write time, for names the usual path rules would change and
// beyond 260 characters as well; none for a folder or a missing file.
TEST_F(DiskTest, StampsTellSizeAndWriteTimeOfAnyPage) {
    for (const Utf8Text& folder : {root_ + "plain", root_ + "abc.", root_ + "abc ",
                                   root_ + std::string(120, 'd') + "\\" + std::string(120, 'e')}) {
        SCOPED_TRACE(folder);
        const Utf8Text page = folder + "\\page.txt";
        Write(page, "12345");
        const std::optional<FileStamp> first = platform_.StampOf(page);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->size, 5u);
        EXPECT_NE(first->writeTime, 0u);
        EXPECT_EQ(platform_.StampOf(page), first);  // unchanged, the same
        // Rewritten with as many bytes: the write time tells.
        {
            const UniqueFile file(CreateFileW((L"\\\\?\\" + Utf8ToWide(page)).c_str(),
                                              GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                              nullptr));
            ASSERT_TRUE(file);
            ULARGE_INTEGER time{};
            time.QuadPart = first->writeTime + 10'000'000;  // a second on
            const FILETIME later{time.LowPart, time.HighPart};
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(file.get(), "54321", 5, &written, nullptr));
            ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &later));
        }
        const std::optional<FileStamp> second = platform_.StampOf(page);
        ASSERT_TRUE(second);
        EXPECT_EQ(second->size, 5u);
        EXPECT_EQ(second->writeTime, first->writeTime + 10'000'000);
        // Written just now (or later than now): the stamp says it cannot vouch for the file.
        EXPECT_TRUE(first->recent);
        EXPECT_TRUE(second->recent);
        {
            const UniqueFile file(CreateFileW((L"\\\\?\\" + Utf8ToWide(page)).c_str(),
                                              FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                              nullptr));
            ASSERT_TRUE(file);
            ULARGE_INTEGER time{};
            time.QuadPart = first->writeTime - 100'000'000;  // ten seconds before
            const FILETIME earlier{time.LowPart, time.HighPart};
            ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &earlier));
        }
        const std::optional<FileStamp> older = platform_.StampOf(page);
        ASSERT_TRUE(older);
        EXPECT_FALSE(older->recent);
        EXPECT_FALSE(platform_.StampOf(folder));
        EXPECT_FALSE(platform_.StampOf(folder + "\\missing.txt"));
    }
}

// A watch tells of what changes directly in its folder, once per change, and of nothing while
// nothing changes.
TEST_F(DiskTest, AFolderWatchTellsOfChangesInItsFolder) {
    const Utf8Text folder = root_ + "watched";
    Write(folder + "\\a.txt", "old");
    Write(root_ + "other\\b.txt", "old");
    const std::unique_ptr<FolderWatch> watch = platform_.WatchFolder(folder);
    ASSERT_TRUE(watch);
    const auto quiet = [&] {
        test::PumpMessagesFor(std::chrono::milliseconds(300));
        return !watch->Changed();
    };
    EXPECT_TRUE(quiet());
    // Beside it: nothing told.
    Write(root_ + "other\\b.txt", "changed");
    EXPECT_TRUE(quiet());
    // In it: each kind of change is told, then it is quiet again.
    const std::function<void()> changes[] = {
        [&] { Write(folder + "\\a.txt", "rewritten"); },
        [&] { ASSERT_TRUE(platform_.ReplaceFileAtomically(folder + "\\a.txt", "replaced")); },
        [&] { Write(folder + "\\new.txt", "new"); },
        [&] { ASSERT_TRUE(platform_.RenamePath(folder + "\\new.txt", folder + "\\renamed.txt")); },
        [&] { ASSERT_TRUE(platform_.RemoveFile(folder + "\\renamed.txt")); },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        changes[i]();
        EXPECT_TRUE(test::WaitFor([&] { return watch->Changed(); }, std::chrono::seconds(5)));
        EXPECT_TRUE(quiet());
    }
    EXPECT_FALSE(platform_.WatchFolder(root_ + "missing"));
}

// A read that fails part of the way is a failure, not a shorter page. What fails here is a pipe
// whose writer goes away after 100,000 bytes, as a network drive that drops does (a locked range
// would do the same on Windows; Wine does not stop reads at another process's locks).
TEST_F(DiskTest, AReadThatFailsHalfWayReadsNothing) {
    const std::wstring name = L"\\\\.\\pipe\\kavo-read-" + std::to_wstring(GetCurrentProcessId());
    // Makes the pipe, then writes 100,000 bytes on a thread once the reader is there and goes.
    const auto serve = [&name] {
        UniqueFile pipe(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND,
                                         PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 1 << 16, 0,
                                         nullptr));
        return std::thread([pipe = std::move(pipe)] {
            if (!pipe) return;
            ConnectNamedPipe(pipe.get(), nullptr);
            const std::string chunk(10000, 'x');
            for (int i = 0; i < 10; ++i) {
                DWORD written = 0;
                WriteFile(pipe.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written,
                          nullptr);
            }
            DisconnectNamedPipe(pipe.get());  // the reader's next read fails
        });
    };
    std::thread writer = serve();
    EXPECT_FALSE(platform_.ReadWholeFile(WideToUtf8(name)).has_value());
    writer.join();
    // Positive control: the same bytes in a file whose reads all succeed come back whole.
    const Utf8Text page = root_ + "d\\big.txt";
    Write(page, std::string(100000, 'x'));
    EXPECT_EQ(platform_.ReadWholeFile(page).value_or("").size(), 100000u);
}

TEST_F(DiskTest, ASaveThatFailsHalfWayKeepsTheOldPageAndLeavesNoTemporaryFile) {
    const Utf8Text page = root_ + "d\\page.txt";
    Write(page, "old page");
    {
        // Another program holds the page open without letting it be replaced.
        const UniqueFile holder(CreateFileW(Utf8ToWide(page).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(platform_.ReplaceFileAtomically(page, "new page"));
        EXPECT_EQ(Read(page), "old page");
        EXPECT_EQ(Names(root_ + "d"), std::vector<Utf8Text>{"page.txt"});
    }
    // Positive control: released, the same replace goes through.
    EXPECT_TRUE(platform_.ReplaceFileAtomically(page, "new page"));
    EXPECT_EQ(Read(page), "new page");
    EXPECT_EQ(Names(root_ + "d"), std::vector<Utf8Text>{"page.txt"});
    // A folder that is gone: nothing is written anywhere.
    EXPECT_FALSE(platform_.ReplaceFileAtomically(root_ + "gone\\page.txt", "x"));
}

TEST_F(DiskTest, NewEmptyFileNeverReplacesOne) {
    Write(root_ + "d\\old.txt", "precious");
    EXPECT_FALSE(platform_.CreateNewEmptyFile(root_ + "d\\old.txt"));
    EXPECT_FALSE(platform_.CreateNewEmptyFile(root_ + "d\\OLD.TXT"));
    EXPECT_EQ(Read(root_ + "d\\old.txt"), "precious");
    EXPECT_TRUE(platform_.CreateNewEmptyFile(root_ + "d\\new.txt"));
    EXPECT_EQ(Read(root_ + "d\\new.txt"), "");
    EXPECT_TRUE(platform_.PathExists(root_ + "d\\new.txt"));
    EXPECT_TRUE(platform_.PathExists(root_ + "d"));
    EXPECT_FALSE(platform_.PathExists(root_ + "d\\none.txt"));
}

// The rich edit of the main window, loaded and read through the editor widget.
class RichEditTest : public DiskTest {
  protected:
    void SetUp() override {
        DiskTest::SetUp();
        LoadLibraryW(L"Msftedit.dll");
        window_.reset(CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                      WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0,
                                      0, 300, 200, nullptr, nullptr, nullptr, nullptr));
        ASSERT_NE(window_.get(), nullptr);
        editor_ = std::make_unique<Win32EditorWidget>(window_.get());
    }
    UniqueWindow window_;
    std::unique_ptr<Win32EditorWidget> editor_;
};

TEST_F(RichEditTest, UneditedPagesRoundTripByteForByte) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"crlf", "信息框(\"a\")\r\n延时(10)"},   {"lf", "line one\nline two\n"},
        {"not gbk", "ok \x81\x20 \xFF\x80 end"}, {"zero", std::string("ab\0cd", 5)},
        {"gbk", "\xD0\xC5\xCF\xA2\xBF\xF2\r\n"}, {"rtf", "{\\rtf1 not formatting}"},
    };
    for (const Case& c : cases) Write(root_ + "d\\" + c.name + ".txt", c.bytes);
    FakeTree tree;
    QuietUi ui;
    Library library(platform_, tree, *editor_, nullptr);
    library.leavePageCheck = [&ui](Library& lib) { return LeavePageCheck(lib, ui); };
    tree.onSelectionChanged = [&library] { OnTreeSelectionChanged(library); };
    library.contentRoot = root_;
    RebuildLibraryTree(library);
    for (const Case& c : cases) {
        int index = -1;
        for (int i = 0; i < tree.Count(); ++i)
            if (tree.Text(i) == c.name) index = i;
        ASSERT_NE(index, -1);
        tree.Select(index);
        EXPECT_FALSE(PageChanged(library)) << c.name;
        EXPECT_TRUE(SavePage(library, ui)) << c.name;
        EXPECT_EQ(Read(root_ + "d\\" + c.name + ".txt"), c.bytes) << c.name;
    }
    // Typing changes the page; GBK stores what was typed, and an LF page keeps LF.
    for (int i = 0; i < tree.Count(); ++i)
        if (tree.Text(i) == "lf") tree.Select(i);
    SendMessageW(window_.get(), EM_SETSEL, -1, -1);
    SendMessageW(window_.get(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\x4E2D"));
    EXPECT_TRUE(PageChanged(library));
    EXPECT_TRUE(WindowTextFitsGbk(window_.get()));
    EXPECT_TRUE(SavePage(library, ui));
    EXPECT_EQ(Read(root_ + "d\\lf.txt"), "line one\nline two\n\xD6\xD0");
    // A character GBK lacks is noticed before saving.
    SendMessageW(window_.get(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\xD83D\xDE00"));
    EXPECT_FALSE(WindowTextFitsGbk(window_.get()));
}

// The reload question as the main window asks it: Enter keeps the edits, 确定 reloads.
TEST_F(RichEditTest, EnterOnTheReloadQuestionKeepsTheEdits) {
    static std::function<void(HWND)> act;
    const auto actOnQuestion = [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND question = FindWindowW(L"KavoConfirmDialog", nullptr);
        if (question == nullptr || !IsWindowVisible(question)) return;
        KillTimer(nullptr, timer);
        act(question);
    };
    const Utf8Text page = root_ + "d\\p.txt";
    Write(page, "version 1");
    FakeTree tree;
    const std::unique_ptr<LibraryUserInterface> ui = MakeLibraryQuestions(nullptr, window_.get());
    Library library(platform_, tree, *editor_, nullptr);
    library.leavePageCheck = [&ui](Library& lib) { return LeavePageCheck(lib, *ui); };
    tree.onSelectionChanged = [&library] { OnTreeSelectionChanged(library); };
    library.contentRoot = root_;
    RebuildLibraryTree(library);
    tree.Select(1);
    ASSERT_EQ(editor_->ReadText(), "version 1");
    SendMessageW(window_.get(), EM_SETSEL, -1, -1);
    SendMessageW(window_.get(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L" edited"));

    struct Case {
        const char* what;
        std::function<void(HWND)> answer;
        RuntimeText shown;
    };
    const Case cases[] = {
        {"Enter", [](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); },
         "version 1 edited"},
        // Positive control: a click on 确定 reloads.
        {"确定", [](HWND q) { SendMessageW(GetDlgItem(q, IDOK), BM_CLICK, 0, 0); }, "version 3"},
    };
    int version = 2;
    for (const Case& c : cases) {
        Write(page, "version " + std::to_string(version++));
        act = c.answer;
        SetTimer(nullptr, 0, 20, actOnQuestion);
        CheckPageOnDisk(library, *ui);
        EXPECT_EQ(editor_->ReadText(), c.shown) << c.what;
    }
    act = nullptr;
}

}  // namespace
}  // namespace kavo
