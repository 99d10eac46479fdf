#include "store/ReadExact.h"

#include <cstdint>

bool ReadExact(platform::InStream& stream, void* data, size_t size) {
    auto* at = static_cast<uint8_t*>(data);
    while (size > 0) {
        size_t got = 0;
        if (!platform::StorageSucceeded(stream.Read(at, size, &got)) || got == 0 || got > size) return false;
        at += got;
        size -= got;
    }
    return true;
}
