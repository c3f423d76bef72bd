// A port with no plotter behind it: writes are kept only for the data read-back,
// the status lines read as a constant, so the presence test reports "Err".
#pragma once

#include "drive/port.h"

namespace orlex {

class NullPort : public Port {
public:
    explicit NullPort(std::uint8_t statusLevel = 0x7F) : status_(statusLevel) {}
    void out(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t in(std::uint16_t address) override;

private:
    std::uint8_t status_;
    std::uint16_t lastDataAddress_ = 0;
    std::uint8_t data_ = 0;
};

} // namespace orlex
