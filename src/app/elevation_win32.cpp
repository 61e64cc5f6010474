#include "app/elevation_win32.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
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

// The account this program runs as: its own unelevated programs are no "others".
std::vector<unsigned char> ProcessUserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const UniqueHandleKernel token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return {bytes, bytes + GetLengthSid(sid)};
}

// Principals that may write where an elevated program lives: the system, the administrators,
// the installer's services, the owner placeholder of inherited rights.
bool TrustedToWrite(PSID sid, const std::vector<unsigned char>& user) {
    if (!user.empty() && EqualSid(sid, const_cast<unsigned char*>(user.data()))) return true;
    for (const WELL_KNOWN_SID_TYPE trusted :
         {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinCreatorOwnerSid,
          WinCreatorOwnerRightsSid})
        if (IsWellKnownSid(sid, trusted)) return true;
    // NT SERVICE\… (TrustedInstaller among them): S-1-5-80-…
    const PSID_IDENTIFIER_AUTHORITY authority = GetSidIdentifierAuthority(sid);
    const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    return authority != nullptr && std::equal(std::begin(authority->Value),
                                              std::end(authority->Value), std::begin(nt.Value)) &&
           *GetSidSubAuthorityCount(sid) > 0 &&
           *GetSidSubAuthority(sid, 0) == SECURITY_SERVICE_ID_BASE_RID;
}

// Whether anyone but the administrators (and this account) may add or remove files in the
// folder: an allowing entry of its access list that gives another principal such a right.
bool OthersCanWrite(const std::wstring& folder) {
    DWORD needed = 0;
    GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0) return false;
    std::vector<unsigned char> descriptor(needed);
    if (!GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed,
                          &needed))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted)) return false;
    if (!present || acl == nullptr) return true;  // no access list: everyone may do anything
    constexpr ACCESS_MASK kWriting = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                     WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    const std::vector<unsigned char> user = ProcessUserSid();
    for (DWORD index = 0; index < acl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(acl, index, &entry)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kWriting) == 0) continue;
        if (!TrustedToWrite(&allowed->SidStart, user)) return true;
    }
    return false;
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
