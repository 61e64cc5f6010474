#include "app/elevation_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/unique_handle.h"
#include "text/wide.h"

namespace kavo {
namespace {

bool RunsElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const UniqueHandleKernel token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// Whether this user without the Administrators group could add a file to the folder.
bool OthersCanWrite(const std::wstring& folder) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &raw)) return false;
    const UniqueHandleKernel processToken(raw);
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return false;
    SID_AND_ATTRIBUTES denied{administrators, 0};
    HANDLE restrictedRaw = nullptr;
    const BOOL restricted = CreateRestrictedToken(processToken.get(), DISABLE_MAX_PRIVILEGE, 1,
                                                  &denied, 0, nullptr, 0, nullptr, &restrictedRaw);
    FreeSid(administrators);
    if (!restricted) return false;
    const UniqueHandleKernel restrictedToken(restrictedRaw);
    HANDLE impersonationRaw = nullptr;
    if (!DuplicateTokenEx(restrictedToken.get(), TOKEN_QUERY, nullptr, SecurityImpersonation,
                          TokenImpersonation, &impersonationRaw))
        return false;
    const UniqueHandleKernel impersonation(impersonationRaw);
    const SECURITY_INFORMATION wanted =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityW(folder.c_str(), wanted, nullptr, 0, &needed);
    if (needed == 0) return false;
    std::vector<unsigned char> descriptor(needed);
    if (!GetFileSecurityW(folder.c_str(), wanted, descriptor.data(), needed, &needed))
        return false;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    DWORD access = FILE_ADD_FILE;
    MapGenericMask(&access, &mapping);
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    if (!AccessCheck(descriptor.data(), impersonation.get(), access, &mapping, &privileges,
                     &privilegesSize, &granted, &allowed))
        return false;
    return allowed != FALSE;
}

}  // namespace

std::optional<Utf8Text> ElevatedFolderWarning(const Utf8Text& programFolder) {
    if (!RunsElevated() || !OthersCanWrite(Utf8ToWide(programFolder))) return std::nullopt;
    return "本程序正以管理员身份运行，而它所在的文件夹“" + programFolder +
           "”不用管理员权限也能修改：别人放进这里的文件（脚本、同名 DLL）都会以管理员权限运行。"
           "请把程序放到只有管理员能修改的文件夹（例如 C:\\Program Files 下的文件夹），"
           "或者不以管理员身份运行。";
}

}  // namespace kavo
