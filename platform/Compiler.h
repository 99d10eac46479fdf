// What the compiler and the processor are, for code that is otherwise portable: the
// byte order of a machine word, and hints that only some compilers take.
#pragma once

namespace platform {

// True when the lowest-addressed byte of a word is its least significant.
#if defined(__BYTE_ORDER__) && defined(__ORDER_BIG_ENDIAN__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kLittleEndian = false;
#else
// GCC and Clang say so above; MSVC targets only little-endian processors.
constexpr bool kLittleEndian = true;
#endif

}  // namespace platform

// VEILBOX_ALWAYS_INLINE: inline even where the compiler's own estimate says no.
// VEILBOX_RARELY(condition): the condition is almost always false; keep its branch off
// the straight path.
#if defined(__GNUC__)
#define VEILBOX_ALWAYS_INLINE inline __attribute__((always_inline))
#define VEILBOX_RARELY(condition) __builtin_expect(!!(condition), 0)
#elif defined(_MSC_VER)
#define VEILBOX_ALWAYS_INLINE __forceinline
#define VEILBOX_RARELY(condition) (condition)
#else
#define VEILBOX_ALWAYS_INLINE inline
#define VEILBOX_RARELY(condition) (condition)
#endif
