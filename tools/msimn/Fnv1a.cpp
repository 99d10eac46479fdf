#include "Fnv1a.h"

namespace msimn {

void Fnv1a::Update(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        state_ ^= bytes[i];
        state_ *= 0x100000001B3ull;
    }
}

}  // namespace msimn
