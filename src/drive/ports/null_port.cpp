// The port used when no real port could be opened: latches for read-back, a dead status.
#include "drive/ports/null_port.h"

namespace orlex {

void NullPort::out(std::uint16_t address, std::uint8_t value)
{
    if (address == base_ + kDataOffset)
        data_ = value;
    else if (address == base_ + kControlOffset)
        control_ = value;
}

std::uint8_t NullPort::in(std::uint16_t address)
{
    if (address == base_ + kDataOffset)
        return data_;
    if (address == base_ + kStatusOffset)
        return status_;
    if (address == base_ + kControlOffset)
        return control_;
    return 0xFF;
}

} // namespace orlex
