// Byte-level helpers shared by the container's header records: little-endian integers
// at fixed offsets and zero-terminated texts in fixed-size fields. The records are
// serialised field by field, never by copying a struct, so their bytes are the same
// on every compiler and platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void PutUint32Le(uint8_t* at, uint32_t value);
uint32_t GetUint32Le(const uint8_t* at);
void PutUint64Le(uint8_t* at, uint64_t value);
uint64_t GetUint64Le(const uint8_t* at);

// Stores text and its terminating zero in a field of fieldSize bytes, zeroing the
// rest. False (field untouched) when the text and its zero do not fit, or when the
// text holds a zero byte of its own.
[[nodiscard]] bool PutFieldText(char* field, size_t fieldSize, const std::string& text);
// The text up to the field's first zero byte. False when the field holds no zero:
// such a field was not written by us and must not be read past its end.
[[nodiscard]] bool GetFieldText(const char* field, size_t fieldSize, std::string& text);
