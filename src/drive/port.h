// The parallel port as the drive sees it: byte writes and reads by I/O address.
#pragma once

#include <cstdint>

namespace orlex {

// Registers relative to the base address taken from LptAddress.
inline constexpr std::uint16_t kDataOffset = 0;    // coil byte BitsX + BitsY, read back
inline constexpr std::uint16_t kStatusOffset = 1;  // bit 7 clock, bit 4 Y switch, bit 3 X switch
inline constexpr std::uint16_t kControlOffset = 2; // bit 0: 1 = pen up, 0 = pen down

// Status register bits. The clock arrives on BUSY, which the port inverts, so the level
// read here is the plotter's clock as the drive counts it.
inline constexpr std::uint8_t kClockLine = 0x80;   // bit 7
inline constexpr std::uint8_t kYHomeSwitch = 0x10; // bit 4: 1 open, 0 at home (bottom)
inline constexpr std::uint8_t kXHomeSwitch = 0x08; // bit 3: 1 open, 0 at home (left)

// Control register values: bit 0 drives the pen lift.
inline constexpr std::uint8_t kPenUpControl = 1;
inline constexpr std::uint8_t kPenDownControl = 0;
// Data register value with every coil of both motors de-energised.
inline constexpr std::uint8_t kAllCoilsOff = 0;

class Port {
public:
    virtual ~Port() = default;
    virtual void out(std::uint16_t address, std::uint8_t value) = 0; // Out32
    virtual std::uint8_t in(std::uint16_t address) = 0;              // Inp32
};

} // namespace orlex
