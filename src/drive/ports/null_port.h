// A port with no plotter behind it: writes are kept only for the data read-back,
// the status lines read as a constant, so the presence test reports "Err".
#pragma once

#include "drive/port.h"

namespace orlex {

class NullPort : public Port {
public:
    // Registers at 0x378..0x37A.
    explicit NullPort(std::uint8_t statusLevel = 0x7F) : status_(statusLevel) {}
    // Registers at base..base+2.
    NullPort(std::uint16_t base, std::uint8_t statusLevel) : status_(statusLevel), base_(base) {}
    void out(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t in(std::uint16_t address) override;

private:
    std::uint8_t status_;
    std::uint16_t base_ = 0x378;
    std::uint8_t data_ = 0;    // last byte written to base
    std::uint8_t control_ = 0; // last byte written to base + 2
};

} // namespace orlex
