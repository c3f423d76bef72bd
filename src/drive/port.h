// The parallel port as the drive sees it: byte writes and reads of its three registers.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace orlex {

// The registers, by their offset from the port's base address. The base address belongs
// to the backend that needs one (direct I/O); the drive only names the register.
enum class Register : std::uint8_t {
    Data = 0,    // coil byte of both motors, read back
    Status = 1,  // the plotter's clock and home switches
    Control = 2, // bit 0: the pen lift
};

// Status register bits. The clock arrives on BUSY, which the port inverts, so the level
// read here is the plotter's clock as the drive counts it.
inline constexpr std::uint8_t kClockLine = 0x80;   // bit 7
inline constexpr std::uint8_t kYHomeSwitch = 0x10; // bit 4: 1 open, 0 at home (bottom)
inline constexpr std::uint8_t kXHomeSwitch = 0x08; // bit 3: 1 open, 0 at home (left)

// Control register values: bit 0 drives the pen lift (STROBE, inverted at the connector).
inline constexpr std::uint8_t kPenUpControl = 1;
inline constexpr std::uint8_t kPenDownControl = 0;
// Data register value with every coil of both motors de-energised.
inline constexpr std::uint8_t kAllCoilsOff = 0;

// A register access that failed: the call and the system's reason, e.g. "PPWDATA on
// /dev/parport0 failed: Input/output error". A step that did not reach the motors, or a
// status that was not read, cannot be made good, so whatever moves the machine ends.
class PortFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Port {
public:
    virtual ~Port() = default;
    // Both throw PortFault when the access fails; a failed read is never a level.
    virtual void write(Register reg, std::uint8_t value) = 0;
    virtual std::uint8_t read(Register reg) = 0;
    // Hands every write so far to wherever it is recorded (a trace file), so that what the
    // machine did is on record while it holds still. Nothing to do for most backends.
    virtual void flush() {}
};

// "data", "status", "control": how traces and messages name a register.
inline const char* registerName(Register reg)
{
    switch (reg) {
    case Register::Data: return "data";
    case Register::Status: return "status";
    case Register::Control: return "control";
    }
    return "?";
}

} // namespace orlex
