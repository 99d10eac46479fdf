#include "store/HeaderFields.h"

#include <cstring>

namespace {

// The integer's bytes, lowest first.
template <class Unsigned>
void PutLe(uint8_t* at, Unsigned value) {
    for (size_t k = 0; k < sizeof(Unsigned); ++k) at[k] = static_cast<uint8_t>(value >> (8 * k));
}

template <class Unsigned>
Unsigned GetLe(const uint8_t* at) {
    Unsigned value = 0;
    for (size_t k = sizeof(Unsigned); k-- > 0;) value = static_cast<Unsigned>((value << 8) | at[k]);
    return value;
}

}  // namespace

void PutUint32Le(uint8_t* at, uint32_t value) { PutLe(at, value); }
uint32_t GetUint32Le(const uint8_t* at) { return GetLe<uint32_t>(at); }
void PutUint64Le(uint8_t* at, uint64_t value) { PutLe(at, value); }
uint64_t GetUint64Le(const uint8_t* at) { return GetLe<uint64_t>(at); }

bool PutFieldText(char* field, size_t fieldSize, const std::string& text) {
    if (text.size() >= fieldSize || text.find('\0') != std::string::npos) return false;
    std::memset(field, 0, fieldSize);
    std::memcpy(field, text.data(), text.size());
    return true;
}

bool GetFieldText(const char* field, size_t fieldSize, std::string& text) {
    const void* end = std::memchr(field, 0, fieldSize);
    if (!end) return false;
    text.assign(field, static_cast<const char*>(end));
    return true;
}
