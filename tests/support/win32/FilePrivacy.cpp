#include "support/FilePrivacy.h"

#include <windows.h>

#include <vector>

namespace {

std::vector<unsigned char> CurrentUser() {
    HANDLE token = nullptr;
    std::vector<unsigned char> user;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return user;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, user.data(), size, &size)) user.clear();
    ::CloseHandle(token);
    return user;
}

}  // namespace

bool OnlyTheUserMayOpen(const std::string& path) {
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<unsigned char> descriptor(size);
    const std::vector<unsigned char> user = CurrentUser();
    if (size == 0 || user.empty() ||
        !::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size)) {
        return false;
    }
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !present || acl == nullptr) {
        return false;  // no list at all lets everybody in
    }
    // Every entry that lets someone in names the user, or the system's own account
    // (which may read every file anyway; Wine lists it for the file's owner).
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    bool forUser = false;
    for (DWORD k = 0; k < acl->AceCount; ++k) {
        void* ace = nullptr;
        if (!::GetAce(acl, k, &ace)) return false;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        const PSID grantee = &allowed->SidStart;
        if (::EqualSid(grantee, sid)) {
            forUser = true;
        } else if (!::IsWellKnownSid(grantee, WinLocalSystemSid)) {
            return false;
        }
    }
    return forUser;
}
