// A port with no plotter behind it: writes are kept only for the read-back, the status
// lines read as a constant, so the presence test reports "Err".
#pragma once

#include "drive/port.h"

namespace orlex {

class NullPort : public Port {
public:
    explicit NullPort(std::uint8_t statusLevel = 0x7F) : status_(statusLevel) {}
    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;

private:
    std::uint8_t status_;
    std::uint8_t data_ = 0;    // last byte written to the data register
    std::uint8_t control_ = 0; // last byte written to the control register
};

} // namespace orlex
