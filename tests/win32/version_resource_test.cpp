// The version number of the build reaches kavo.exe's version resource: what Explorer's
// properties and installers read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kavo_version.h"
#include "text/wide.h"

namespace kavo {
namespace {

class VersionResource : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::wstring exe = Utf8ToWide(KAVO_EXE);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << KAVO_EXE;
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, data_.data()));
    }
    std::wstring String(const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        if (!VerQueryValueW(data_.data(), path.c_str(), &value, &length) || length == 0)
            return std::wstring();
        return std::wstring(static_cast<const wchar_t*>(value));
    }
    std::vector<char> data_;
};

TEST_F(VersionResource, FileAndProductVersionAreTheBuildsNumber) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const DWORD high = MAKELONG(KAVO_VERSION_MINOR, KAVO_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, KAVO_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(String(L"FileVersion"), Utf8ToWide(KAVO_VERSION_TEXT));
    EXPECT_EQ(String(L"ProductVersion"), Utf8ToWide(KAVO_VERSION_TEXT));
}

TEST_F(VersionResource, NamesTheProductAndDescribesItInChinese) {
    EXPECT_EQ(String(L"ProductName"), Utf8ToWide("KAVO脚本助手"));
    EXPECT_EQ(String(L"FileDescription"), Utf8ToWide("KAVO脚本助手：Windows 桌面自动化脚本工具"));
    EXPECT_EQ(String(L"OriginalFilename"), L"kavo.exe");
}

}  // namespace
}  // namespace kavo
