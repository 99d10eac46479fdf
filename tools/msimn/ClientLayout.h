// Where the client keeps things in the current user's registry, and its window class.
#pragma once

namespace msimn {
namespace layout {

constexpr const char* kIdentities = "Identities";
// Below an identity's key; its first subkey is the version key that holds "Store Root".
constexpr const char* kClientKey = "Software\\Microsoft\\Outlook Express";
constexpr const char* kVersionKey = "5.0";

constexpr const char* kUsername = "Username";
constexpr const char* kUserId = "User ID";
constexpr const char* kStoreRoot = "Store Root";

// The pointer values of the Identities key: three name an identity by its User ID,
// "Last Username" repeats the Username of the one "Last User ID" names.
constexpr const char* kDefaultUserId = "Default User ID";
constexpr const char* kLastUserId = "Last User ID";
constexpr const char* kLastUsername = "Last Username";
constexpr const char* kStartAs = "Start As";

constexpr const char* kWindowClass = "Outlook Express Browser Class";
constexpr const char* kWindowInstance = "msimn";
constexpr const char* kStorePattern = "*.dbx";

}  // namespace layout
}  // namespace msimn
