#include "password/PasswordRecord.h"

#include <cstring>
#include <ctime>

#include "base/FileLocations.h"
#include "password/SecretText.h"
#include "platform/File.h"
#include "platform/Shell.h"
#include "crypto/Md5.h"

namespace {

SecretText CurrentPassword;
const char kFixedPassword[] = "qerno";

// In force while there is no auth.dat: the empty password under a fixed salt whose
// first four bytes are not zero, so a first run gets past the start-up prompt.
constexpr AuthRecord kDefaultRecord = {
    {0x5a, 0x3c, 0x91, 0xe7, 0x08, 0x4d, 0xb2, 0x66},
    {0x77, 0x70, 0x26, 0x9b, 0x73, 0x12, 0x5f, 0x47, 0x25, 0x2e, 0x68, 0x97, 0xc6, 0x71, 0x4e, 0xbb},
};

const char kAuthFileName[] = "auth.dat";

// The user's record; while an older one beside the program has not been moved yet (its
// move failed), that one stays in force, so a password once set is never lost.
std::string AuthRecordPath() {
    const std::string path = platform::EnvironmentValue(kAuthRecordVariable);
    if (!path.empty()) return path;
    const std::string user = GetUserDataFilePath(kAuthFileName), beside = GetProgramFilePath(kAuthFileName);
    return !platform::FileExists(user) && platform::FileExists(beside) ? beside : user;
}

// Writes bytes under a temporary name beside path, flushes them and only then renames
// them to path, so a failure at any point (disk full, a crash) leaves what was at path
// intact. noReplace: the rename refuses to replace anything at path.
platform::FileStatus WriteWhole(const std::string& path, const void* bytes, size_t size, bool noReplace) {
    const std::string temporary = path + ".new";
    platform::File file;
    platform::FileStatus status =
        platform::File::Open(temporary, platform::File::Mode::CreateWrite, file, platform::File::OwnerOnly);
    if (status.ok()) status = file.Write(bytes, size);
    if (status.ok()) status = file.Flush();
    if (status.ok()) status = file.Close();
    // Refused, as on Windows, when auth.dat is read-only or someone holds it open.
    if (status.ok()) {
        status = noReplace ? platform::RenameFileNoReplace(temporary, path) : platform::RenameFile(temporary, path);
    }
    if (status.ok()) return status;
    (void)file.Close();
    (void)platform::RemoveFile(temporary);
    return status;
}

void ComputeDigest(const uint8_t salt[8], const std::string& password, uint8_t digest[16]) {
    Md5 md5;
    md5.Update(salt, 8);
    md5.Update(password.data(), password.size());
    md5.Final(digest);
}

bool IsFixedPasswordRecord(const AuthRecord& record) {
    return record.salt[0] == 0 && record.salt[1] == 0 && record.salt[2] == 0 && record.salt[3] == 0;
}

// Looks at every byte whatever the first difference, so the time taken tells nothing.
bool SameDigest(const uint8_t a[16], const uint8_t b[16]) {
    uint8_t difference = 0;
    for (int n = 0; n < 16; ++n) difference |= uint8_t(a[n] ^ b[n]);
    return difference == 0;
}

// The salt's words are the 32-bit little-endian values at any byte offset k (so they
// overlap); arithmetic wraps at 2^32.
uint32_t LoadWord(const uint8_t* salt, size_t k) {
    return uint32_t(salt[k]) | uint32_t(salt[k + 1]) << 8 | uint32_t(salt[k + 2]) << 16 |
           uint32_t(salt[k + 3]) << 24;
}

void StoreWord(uint8_t* salt, size_t k, uint32_t value) {
    for (size_t n = 0; n < 4; ++n) salt[k + n] = uint8_t(value >> (8 * n));
}

void MakeSalt(uint8_t salt[8]) {
    std::memset(salt, 0, 8);
    platform::OsRandom(salt, 8);  // should it fail, the mixing below still varies it
    uint64_t counter = platform::PerformanceCounter();
    StoreWord(salt, 0, LoadWord(salt, 0) ^ uint32_t(counter));
    StoreWord(salt, 4, LoadWord(salt, 4) ^ uint32_t(counter >> 32));
    StoreWord(salt, 0, LoadWord(salt, 0) ^ uint32_t(std::time(nullptr)));
    StoreWord(salt, 1, LoadWord(salt, 1) ^ platform::CurrentThreadId());
    StoreWord(salt, 3, LoadWord(salt, 3) + platform::CurrentProcessId());
    StoreWord(salt, 2, LoadWord(salt, 2) - platform::TickCount());
}

}  // namespace

void ReadAuthRecord(AuthRecord& record) {
    record = kDefaultRecord;
    platform::File file;
    if (!platform::File::Open(AuthRecordPath(), platform::File::Mode::Read, file).ok()) return;
    // What could be read stays laid over the default, even when the read then failed;
    // the rest keeps the default bytes.
    size_t got = 0;
    (void)file.Read(&record, sizeof(record), got);
}

bool WriteAuthRecord(const AuthRecord& record) {
    // Never a short file, which would let the default, empty password in.
    return WriteWhole(AuthRecordPath(), &record, sizeof(record), false).ok();
}

platform::FileStatus MoveAuthRecordToUserData() {
    if (!platform::EnvironmentValue(kAuthRecordVariable).empty()) return {};
    const std::string beside = GetProgramFilePath(kAuthFileName), user = GetUserDataFilePath(kAuthFileName);
    if (beside == user || !platform::FileExists(beside) || platform::FileExists(user)) return {};
    // Copied, not renamed: the program folder may be on another file system. The copy
    // is complete and on disk under its final name before the original goes.
    platform::File file;
    platform::FileStatus status = platform::File::Open(beside, platform::File::Mode::Read, file);
    AuthRecord record{};
    size_t got = 0;
    if (status.ok()) status = file.Read(&record, sizeof(record), got);
    if (status.ok()) status = file.Close();
    if (status.ok()) status = WriteWhole(user, &record, got, true);
    platform::SecureZero(&record, sizeof(record));
    // A program folder the user may not change (an installed program) keeps its copy;
    // the user's record is the one in force from now on.
    if (status.ok()) (void)platform::RemoveFile(beside);
    return status;
}

bool VerifyPassword(const std::string& candidate) {
    AuthRecord record;
    ReadAuthRecord(record);
    if (IsFixedPasswordRecord(record)) return candidate == kFixedPassword;

    uint8_t digest[16];
    ComputeDigest(record.salt, candidate, digest);
    bool accepted = SameDigest(digest, record.digest);
    platform::SecureZero(digest, sizeof(digest));
    if (accepted) CurrentPassword.Assign(candidate);
    return accepted;
}

bool SetPassword(const std::string& password) {
    AuthRecord record;
    MakeSalt(record.salt);
    ComputeDigest(record.salt, password, record.digest);
    if (!WriteAuthRecord(record)) return false;
    CurrentPassword.Assign(password);
    return true;
}

std::string GetCurrentPassword() { return CurrentPassword.Get(); }

