// 64-bit FNV-1a. Each step is a bijection of the state for a given input byte, so two
// inputs of equal length that differ in a single byte always hash differently: enough
// to tell whether a store came back byte for byte, and independent of the product's
// own digest code.
#pragma once

#include <cstddef>
#include <cstdint>

namespace msimn {

class Fnv1a {
public:
    void Update(const void* data, size_t size);
    uint64_t Value() const { return state_; }

private:
    uint64_t state_ = 0xCBF29CE484222325ull;
};

}  // namespace msimn
