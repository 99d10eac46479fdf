// A deterministic byte source (SplitMix64): the same seed gives the same store
// contents on every machine, so a test or a demo can be reproduced exactly. Not for
// anything secret.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace msimn {

class SeededBytes {
public:
    explicit SeededBytes(uint64_t seed) : state_(seed) {}

    uint64_t Next();
    void Fill(uint8_t* buffer, size_t size);
    std::vector<uint8_t> Take(size_t size);

private:
    uint64_t state_;
};

}  // namespace msimn
