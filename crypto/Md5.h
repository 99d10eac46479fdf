// The MD5 message digest (RFC 1321). It keys the store cipher and checks the program
// password, so it is ours rather than a library's: the product carries no crypto library.
#pragma once

#include <cstddef>
#include <cstdint>

class Md5 {
public:
    static constexpr size_t kDigestSize = 16;

    Md5() { Init(); }
    // The context holds hashed password bytes, so it is wiped when it dies.
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void Init();
    // Any number of ranges, of any length (0 included).
    void Update(const void* data, size_t length);
    // Writes the 16-byte digest and wipes the context; Init again to reuse it.
    void Final(uint8_t digest[kDigestSize]);

private:
    void Transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t byteCount_;
    uint8_t buffer_[64];
};
