#include "crypto/RandomGenerator.h"

#include <ctime>

#include "platform/Shell.h"
#include "crypto/Md5.h"

namespace {

RandomGenerator processGenerator;

template <typename Unsigned>
void HashLittleEndian(Md5& md5, Unsigned value) {
    uint8_t bytes[sizeof(Unsigned)];
    for (size_t n = 0; n < sizeof(Unsigned); ++n) bytes[n] = uint8_t(value >> (8 * n));
    md5.Update(bytes, sizeof(bytes));
}

}  // namespace

RandomGenerator::~RandomGenerator() {
    platform::SecureZero(&state_, sizeof(state_));
    // A late caller (another static object's destructor) gets a fresh seed rather
    // than the keystream of an all-zero state.
    needsSeed_ = true;
}

void RandomGenerator::Fill(uint8_t* buffer, size_t length) {
    if (length == 0) return;
    if (needsSeed_) Seed();
    Rc4Crypt(buffer, length, state_);
}

void RandomGenerator::Seed() {
    needsSeed_ = false;
    Md5 md5;
    HashLittleEndian(md5, platform::PerformanceFrequency());
    HashLittleEndian(md5, platform::PerformanceCounter());
    HashLittleEndian(md5, uint32_t(std::time(nullptr)));
    HashLittleEndian(md5, platform::CurrentThreadId());
    HashLittleEndian(md5, platform::CurrentProcessId());
    HashLittleEndian(md5, platform::TickCount());
    // Should the OS source fail, the values above still differ from run to run.
    uint8_t scratch[1024] = {};
    platform::OsRandom(scratch, sizeof(scratch));
    md5.Update(scratch, sizeof(scratch));
    platform::SecureZero(scratch, sizeof(scratch));

    uint8_t key[Md5::kDigestSize];
    md5.Final(key);
    Rc4SetKey(key, sizeof(key), state_);
    platform::SecureZero(key, sizeof(key));
}

void FillRandom(uint8_t* buffer, size_t length) { processGenerator.Fill(buffer, length); }

void SeedRandom() { processGenerator.Seed(); }
