#include "crypto/CBlob.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

CBlob::~CBlob() { Free(); }

CBlob::CBlob(CBlob&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

CBlob& CBlob::operator=(CBlob&& other) noexcept {
    if (this != &other) {
        Free();
        data_ = std::exchange(other.data_, nullptr);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

bool CBlob::SetSize(size_t n) {
    Free();
    if (n > std::numeric_limits<size_t>::max() / 2) return false;
    size_t capacity = n + n / 4;
    if (capacity < 8) capacity = 8;
    auto* data = static_cast<uint8_t*>(std::malloc(capacity));
    if (!data) return false;
    data_ = data;
    capacity_ = capacity;
    length_ = n;
    return true;
}

bool CBlob::Append(const void* bytes, size_t n) {
    if (n > std::numeric_limits<size_t>::max() / 4 - length_) return false;
    size_t needed = length_ + n;
    if (needed > capacity_) {
        size_t capacity = needed + needed / 3;
        if (capacity < 8) capacity = 8;
        auto* data = static_cast<uint8_t*>(std::realloc(data_, capacity));
        if (!data) return false;
        data_ = data;
        capacity_ = capacity;
    }
    if (bytes && n) std::memcpy(data_ + length_, bytes, n);
    length_ = needed;
    return true;
}

void CBlob::Free() {
    std::free(data_);
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}
