// Eight bytes of a plot file at once: how many decimal digits they start with, and their
// value. Both readings use them for the usual short coordinate.
#pragma once

#include <bit>
#include <cstdint>

namespace orlex {

// The number of decimal digits at the start of eight bytes (8 when all are digits).
// Each byte is compared at once: after the XOR a digit is 0..9, and adding 0x76 to its
// low seven bits sets the top bit exactly for the bytes that are 10 or more.
inline int leadingDigits(std::uint64_t eightBytes)
{
    const std::uint64_t x = eightBytes ^ 0x3030303030303030u;
    const std::uint64_t notDigit = (((x & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | x) & 0x8080808080808080u;
    return std::countr_zero(notDigit) / 8;
}

// The value of the first `count` (1..8) bytes, all digits, the first one most significant:
// moved to the top of the word behind leading zeros, then combined in pairs, fours, eights.
inline std::uint32_t digitsValue(std::uint64_t eightBytes, int count)
{
    std::uint64_t v = (eightBytes - 0x3030303030303030u) << (8 * (8 - count));
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
    return static_cast<std::uint32_t>(v * 10000 + (v >> 32));
}

} // namespace orlex
