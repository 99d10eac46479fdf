// The random bytes of the whole program (salts, the shredder's overwrite data): one RC4
// keystream, keyed once per process on first use from values that differ between runs,
// chiefly 1024 bytes from the operating system's random source.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crypto/Rc4.h"

class RandomGenerator {
public:
    // Starts all zero and unseeded; a constant initialiser, so the process-wide
    // generator is ready before any other static object can ask it for bytes.
    constexpr RandomGenerator() : state_{}, needsSeed_(true) {}
    // The keystream must not outlive the generator.
    ~RandomGenerator();
    RandomGenerator(const RandomGenerator&) = delete;
    RandomGenerator& operator=(const RandomGenerator&) = delete;

    // XORs the next length keystream bytes into buffer, seeding first if needed.
    // Length 0 returns at once and does not seed.
    void Fill(uint8_t* buffer, size_t length);
    void Seed();
    bool IsSeeded() const { return !needsSeed_; }

private:
    Rc4State state_;
    bool needsSeed_;
};

// The process-wide generator, wiped when the program exits.
void FillRandom(uint8_t* buffer, size_t length);
void SeedRandom();
