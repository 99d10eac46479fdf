#include "store/KeyCheck.h"

#include <cstring>

#include "platform/Shell.h"
#include "crypto/Md5.h"

void ComputeKeyCheck(const Rc4State& state, uint8_t (&check)[StreamHeader::kKeyCheckSize]) {
    static const char kLabel[] = "Veilbox stream key check 1";
    Md5 md5;
    md5.Update(kLabel, sizeof kLabel - 1);
    md5.Update(state.S, sizeof state.S);
    uint8_t digest[Md5::kDigestSize];
    md5.Final(digest);
    std::memcpy(check, digest, sizeof check);
    platform::SecureZero(digest, sizeof digest);
}
