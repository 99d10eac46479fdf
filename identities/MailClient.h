// Where the mail client keeps what we touch: its per-user registry layout, the class
// of its main window and the name of its executable. The client is never linked or
// called; these names are the whole contract with it.
#pragma once

namespace MailClient {

// Below platform::RegKey::CurrentUser: one subkey per identity, named by the identity's key name.
constexpr const char kIdentitiesKey[] = "Identities";

// Values of an identity's own key.
constexpr const char kUsernameValue[] = "Username";
constexpr const char kUserIdValue[] = "User ID";

// Below an identity's key; its first subkey is the client's version key, which holds
// the folder of the identity's message store.
constexpr const char kClientSoftwareKey[] = "Software\\Microsoft\\Outlook Express";
constexpr const char kStoreRootValue[] = "Store Root";

// The pointer values of the Identities key. Three name an identity by its "User ID"
// text; "Last Username" is the "Username" of the one named by "Last User ID".
constexpr const char kDefaultUserIdValue[] = "Default User ID";
constexpr const char kLastUserIdValue[] = "Last User ID";
constexpr const char kLastUsernameValue[] = "Last Username";
constexpr const char kStartAsValue[] = "Start As";

// A top-level window of this class exists exactly while the client runs.
constexpr const char kMainWindowClass[] = "Outlook Express Browser Class";
constexpr const char kExecutable[] = "msimn.exe";

}  // namespace MailClient
