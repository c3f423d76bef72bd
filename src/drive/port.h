// The parallel port as the drive sees it: byte writes and reads by I/O address.
#pragma once

#include <cstdint>

namespace orlex {

// Registers relative to the base address taken from LptAddress.
inline constexpr std::uint16_t kDataOffset = 0;    // coil byte BitsX + BitsY, read back
inline constexpr std::uint16_t kStatusOffset = 1;  // bit 7 clock, bit 4 Y switch, bit 3 X switch
inline constexpr std::uint16_t kControlOffset = 2; // bit 0: 1 = pen up, 0 = pen down

class Port {
public:
    virtual ~Port() = default;
    virtual void out(std::uint16_t address, std::uint8_t value) = 0; // Out32
    virtual std::uint8_t in(std::uint16_t address) = 0;              // Inp32
};

} // namespace orlex
