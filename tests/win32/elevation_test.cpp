// The warning of a program run as administrator from a folder others can change, on real
// folders: one only the system, the administrators and this account may write is quiet; one
// where everyone may add files is not.
#include "app/elevation_win32.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <filesystem>
#include <string>

#include "text/wide.h"

namespace kavo {
namespace {

class ElevationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) / L"kavo-elevation-test";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Everyone may add files: an allowing entry put in front of the folder's list.
    bool LetEveryoneWrite() {
        PACL old = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetNamedSecurityInfoW(folder_.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, &old, nullptr, &descriptor) != ERROR_SUCCESS)
            return false;
        EXPLICIT_ACCESSW access{};
        access.grfAccessPermissions = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
        access.grfAccessMode = GRANT_ACCESS;
        access.grfInheritance = NO_INHERITANCE;
        access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        wchar_t everyone[] = L"Everyone";
        access.Trustee.ptstrName = everyone;
        PACL updated = nullptr;
        const DWORD made = SetEntriesInAclW(1, &access, old, &updated);
        const DWORD set =
            made == ERROR_SUCCESS
                ? SetNamedSecurityInfoW(const_cast<wchar_t*>(folder_.c_str()), SE_FILE_OBJECT,
                                        DACL_SECURITY_INFORMATION, nullptr, nullptr, updated,
                                        nullptr)
                : made;
        LocalFree(updated);
        LocalFree(descriptor);
        return set == ERROR_SUCCESS;
    }

    std::filesystem::path folder_;
};

TEST_F(ElevationTest, AFolderEveryoneMayWriteIsNamedAndAProtectedOneIsNot) {
    const Utf8Text folder = WideToUtf8(folder_.wstring());
    // Under Wine this program runs elevated; a folder it made is its own account's alone.
    EXPECT_EQ(ElevatedFolderWarning(folder), std::nullopt);
    ASSERT_TRUE(LetEveryoneWrite());
    const std::optional<Utf8Text> warning = ElevatedFolderWarning(folder);
    ASSERT_TRUE(warning.has_value());
    EXPECT_NE(warning->find(folder), std::string::npos);
    EXPECT_NE(warning->find("管理员"), std::string::npos);
}

}  // namespace
}  // namespace kavo
