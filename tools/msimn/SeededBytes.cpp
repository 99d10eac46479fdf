#include "SeededBytes.h"

namespace msimn {

uint64_t SeededBytes::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void SeededBytes::Fill(uint8_t* buffer, size_t size) {
    size_t i = 0;
    while (i < size) {
        uint64_t word = Next();
        for (int j = 0; j < 8 && i < size; ++j, ++i) buffer[i] = static_cast<uint8_t>(word >> (8 * j));
    }
}

std::vector<uint8_t> SeededBytes::Take(size_t size) {
    std::vector<uint8_t> bytes(size);
    Fill(bytes.data(), size);
    return bytes;
}

}  // namespace msimn
