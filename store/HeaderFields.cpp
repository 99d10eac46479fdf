#include "store/HeaderFields.h"

#include <cstring>

void PutUint32Le(uint8_t* at, uint32_t value) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<uint8_t>(value >> (8 * k));
}

uint32_t GetUint32Le(const uint8_t* at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k) value = (value << 8) | at[k];
    return value;
}

void PutUint64Le(uint8_t* at, uint64_t value) {
    for (int k = 0; k < 8; ++k) at[k] = static_cast<uint8_t>(value >> (8 * k));
}

uint64_t GetUint64Le(const uint8_t* at) {
    uint64_t value = 0;
    for (int k = 7; k >= 0; --k) value = (value << 8) | at[k];
    return value;
}

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
