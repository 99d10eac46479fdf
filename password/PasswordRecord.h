// The program password. It is never stored: auth.dat in the user's data folder holds a salted
// MD5 digest of it, and the password accepted or set in this run (CurrentPassword) is
// kept in memory as key material for the store cipher. "No password" means the record
// in force accepts the empty password.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileStatus.h"

// The same 24 bytes in memory and in auth.dat; no header, version or checksum.
struct AuthRecord {
    uint8_t salt[8];     // made anew each time a password is set
    uint8_t digest[16];  // MD5 of the 8 salt bytes followed by the password's bytes
};
static_assert(sizeof(AuthRecord) == 24, "AuthRecord is the 24 bytes of auth.dat");

// Never fails: starts from the built-in default record (the empty password) and lays
// the first 24 bytes of auth.dat over it, as many as can be read.
void ReadAuthRecord(AuthRecord& record);
// Replaces auth.dat as a whole (written beside it, flushed, renamed over it), created
// readable by the user only. False when it could not be written; auth.dat is then as
// it was.
[[nodiscard]] bool WriteAuthRecord(const AuthRecord& record);

// True when the record in force accepts candidate. An accepted digest makes candidate
// the CurrentPassword; a record whose first four salt bytes are zero accepts only the
// fixed password "qerno" and leaves CurrentPassword as it is.
[[nodiscard]] bool VerifyPassword(const std::string& candidate);
// Writes a record for password under a new salt; only when that succeeded does password
// become the CurrentPassword, so a container is never sealed with a password that the
// next run will not know. Returns whether it did.
[[nodiscard]] bool SetPassword(const std::string& password);
// A copy of CurrentPassword: empty at start, then the password accepted or set.
std::string GetCurrentPassword();

// Moves an auth.dat beside the program (where older versions kept it) to the user's data
// folder, unless one is there already; the old file is removed only once the new one
// is complete on disk. Ok when there was nothing to move.
[[nodiscard]] platform::FileStatus MoveAuthRecordToUserData();

// auth.dat lives in the user's data folder; the environment variable VEILBOX_AUTH, when
// set, names another file (the command-line tool and tests keep one of their own).
constexpr char kAuthRecordVariable[] = "VEILBOX_AUTH";
