#include "IdentityFactory.h"

#include <cctype>

#include "ClientLayout.h"
#include "Guid.h"
#include "IdentityDirectory.h"
#include "IdentityPointers.h"
#include "RegKey.h"
#include "SeededBytes.h"
#include "StoreFiles.h"
#include "StorePath.h"

namespace msimn {

namespace {

std::string MailAddress(const std::string& username) {
    std::string local;
    for (unsigned char c : username) {
        if (std::isalnum(c)) local.push_back(static_cast<char>(std::tolower(c)));
    }
    return (local.empty() ? std::string("user") : local) + "@example.org";
}

}  // namespace

void IdentityFactory::WriteKey(const ClientIdentity& identity, uint64_t seed) {
    // The product treats the key as an opaque tree, so it gets values of every type
    // the client uses (texts, numbers, binary, a list, an empty value) and several
    // levels of subkeys: a backup that drops or alters any of them shows up.
    SeededBytes random(seed ^ 0x5EEDC0DEull);
    const std::string path = std::string(layout::kIdentities) + "\\" + identity.keyName;
    RegKey key = RegKey::Create(platform::RegKey::CurrentUser, path);
    key.SetString(layout::kUsername, identity.username);
    key.SetString(layout::kUserId, identity.userId);
    key.SetDword("Identity Ordinal", static_cast<uint32_t>(IdentityDirectory::List().size() + 1));
    key.SetDword("Use Password", 0);
    key.SetBinary("Password", random.Take(16));
    key.SetBinary("Last Logon", random.Take(8));
    key.SetBinary("Identity Flags", {});

    RegKey version = RegKey::Create(key.Get(), std::string(layout::kClientKey) + "\\" + layout::kVersionKey);
    version.SetString(layout::kStoreRoot, identity.storeRoot, platform::RegType::ExpandSz);
    version.SetDword("Settings Upgraded", 1);
    version.SetDword("Show Tip of the Day", 0);

    RegKey mail = RegKey::Create(version.Get(), "Mail");
    mail.SetDword("Safe Attachments", 1);
    mail.SetDword("Warn on Mapi Send", 1);
    mail.SetMultiString("Spelling Languages", {"en-us", "en-gb"});
    mail.SetString("Signature", "");

    RegKey accounts = RegKey::Create(key.Get(), "Software\\Microsoft\\Internet Account Manager");
    accounts.SetString("Default Mail Account", "00000001");
    RegKey account = RegKey::Create(accounts.Get(), "Accounts\\00000001");
    account.SetString("Account Name", identity.username);
    account.SetString("POP3 Server", "pop.example.org");
    account.SetString("SMTP Server", "smtp.example.org");
    account.SetString("POP3 User Name", MailAddress(identity.username));
    account.SetString("SMTP Email Address", MailAddress(identity.username));
    account.SetDword("POP3 Port", 110);
    account.SetDword("SMTP Port", 25);
    account.SetBinary("POP3 Password2", random.Take(24));
}

ClientIdentity IdentityFactory::Create(const std::string& username, const std::string& storeRoot, unsigned files,
                                       uint64_t seed, bool makeDefault) {
    ClientIdentity identity;
    identity.keyName = Guid::NewText();
    identity.userId = Guid::NewText();
    identity.username = username;
    identity.storeRoot =
        storeRoot.empty() ? StorePath::DefaultFolder(identity.keyName) : StorePath::Absolute(storeRoot);

    // Files first: if the store cannot be made, the registry is left as it was.
    StoreFiles::Populate(StorePath::Expand(identity.storeRoot), files, seed);
    WriteKey(identity, seed);
    if (makeDefault || !IdentityPointers::Read().defaultUserId) IdentityPointers::PointingAt(identity).Write();
    return identity;
}

}  // namespace msimn
