#include "store/StoreKey.h"

#include "platform/Shell.h"
#include "crypto/Md5.h"

namespace {
constexpr size_t kRounds = 99;
}

void DeriveStoreKey(const uint8_t* salt, size_t saltLength, const std::string& password,
                    Rc4State& state) {
    Md5 md5;
    for (size_t round = 1; round <= kRounds; ++round) {
        md5.Update(salt, saltLength % round);
        md5.Update(password.data(), password.size());
    }
    uint8_t key[Md5::kDigestSize];
    md5.Final(key);
    Rc4SetKey(key, sizeof(key), state);
    platform::SecureZero(key, sizeof(key));
}
