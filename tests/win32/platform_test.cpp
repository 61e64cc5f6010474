// The Win32 platform against real windows of another process.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "text/encoding.h"
#include "text/wide.h"
#include "win32/test_support_win32.h"

namespace kavo {
namespace {

TEST(Win32Text, ConvertsWithCodePage936WhateverTheAnsiCodePage) {
    const std::string gbk = "\xD0\xC5\xCF\xA2\xBF\xF2";  // 信息框
    EXPECT_EQ(GbkToWide(gbk), std::wstring(L"\x4FE1\x606F\x6846"));
    EXPECT_EQ(WideToGbk(L"\x4FE1\x606F\x6846"), gbk);
    EXPECT_EQ(GbkToUtf8(gbk), "\xE4\xBF\xA1\xE6\x81\xAF\xE6\xA1\x86");
}

TEST(Win32Platform, PostedMessagesReachTheFixtureWithTheirParameters) {
    test::Fixture fixture;
    ASSERT_NE(fixture.Window(), nullptr);
    auto& platform = ThePlatform();
    const auto window = reinterpret_cast<INT_PTR>(fixture.Window());
    platform.PostWindowMessage(window, 0x0201, 0x1, 0x00C80064);
    platform.PostWindowMessage(window, 0x0202, 0, -1);
    ASSERT_TRUE(test::WaitFor([&] { return fixture.LinesFor({0x0201, 0x0202}).size() == 2; }));
    EXPECT_EQ(fixture.LinesFor({0x0201, 0x0202}),
              (std::vector<std::string>{test::LogLine(0x0201, 1, 0x00C80064),
                                        test::LogLine(0x0202, 0, 0xFFFFFFFF)}));
}

TEST(Win32Platform, FindsTheFixtureAmongTopLevelWindowsAndProcesses) {
    test::Fixture fixture(L"Kavo \x6D4B\x8BD5 window");  // a Chinese title survives the trip
    ASSERT_NE(fixture.Window(), nullptr);
    auto& platform = ThePlatform();
    bool found = false;
    for (const auto& entry : platform.EnumerateTopLevelWindows()) {
        if (entry.window != reinterpret_cast<INT_PTR>(fixture.Window())) continue;
        found = true;
        EXPECT_TRUE(entry.visible);
        EXPECT_EQ(entry.processId, fixture.ProcessId());
        EXPECT_EQ(entry.className, "KavoFixtureWindow");
        EXPECT_EQ(entry.title, "Kavo \xE6\xB5\x8B\xE8\xAF\x95 window");
    }
    EXPECT_TRUE(found);
    bool processFound = false;
    for (const auto& process : platform.SnapshotProcesses())
        if (process.processId == fixture.ProcessId()) {
            processFound = true;
            EXPECT_EQ(process.exeName, "kavo_fixture.exe");
        }
    EXPECT_TRUE(processFound);
}

TEST(Win32Platform, FilesKeepTheirBytesAndUnicodeNames) {
    auto& platform = ThePlatform();
    const std::wstring temp = test::TempFolder();
    // A folder name outside GBK (U+00E9 is in GBK, U+0E01 Thai is not).
    const std::string folder = WideToUtf8(std::wstring(temp) + L"kavo-files-\x0E01");
    platform.RemoveDirectoryTree(folder);
    ASSERT_TRUE(platform.CreateDirectories(folder + "\\a\\b"));
    EXPECT_TRUE(platform.IsDirectory(folder + "\\a\\b"));
    const std::string bytes("x\r\n\xD0\xC5\0y", 6);
    ASSERT_TRUE(platform.WriteWholeFile(folder + "\\a\\p.txt", bytes));
    EXPECT_EQ(platform.ReadWholeFile(folder + "\\a\\p.txt"), bytes);
    EXPECT_FALSE(platform.ReadWholeFile(folder + "\\a\\missing.txt").has_value());
    const auto entries = platform.ListDirectory(folder + "\\a\\", "*.txt");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (DirectoryEntry{"p.txt", false}));
    EXPECT_TRUE(platform.RemoveDirectoryTree(folder));
    EXPECT_FALSE(platform.IsDirectory(folder));
}

}  // namespace
}  // namespace kavo
