// A growable byte buffer: capacity (bytes allocated), length (bytes in use), data.
#pragma once

#include <cstddef>
#include <cstdint>

class CBlob {
public:
    CBlob() = default;
    ~CBlob();
    CBlob(const CBlob&) = delete;
    CBlob& operator=(const CBlob&) = delete;
    CBlob(CBlob&& other) noexcept;
    CBlob& operator=(CBlob&& other) noexcept;

    // Discards the contents and makes room for n bytes (n + n/4, at least 8); the n
    // bytes are in use but unset. False when memory runs out (the blob is then empty).
    [[nodiscard]] bool SetSize(size_t n);
    // Appends n bytes (or, with bytes null, only extends the length by n), growing a
    // buffer that is too small to (length + n) + (length + n) / 3. False when memory
    // runs out; the contents are then unchanged.
    [[nodiscard]] bool Append(const void* bytes, size_t n);
    void Free();

    uint8_t* Data() { return data_; }
    const uint8_t* Data() const { return data_; }
    size_t Length() const { return length_; }
    size_t Capacity() const { return capacity_; }

private:
    uint8_t* data_ = nullptr;
    size_t length_ = 0;
    size_t capacity_ = 0;
};
