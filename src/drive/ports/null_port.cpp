// The port used when no real port could be opened: latches for read-back, a dead status.
#include "drive/ports/null_port.h"

namespace orlex {

void NullPort::write(Register reg, std::uint8_t value)
{
    if (reg == Register::Data)
        data_ = value;
    else if (reg == Register::Control)
        control_ = value;
}

std::uint8_t NullPort::read(Register reg)
{
    switch (reg) {
    case Register::Data: return data_;
    case Register::Status: return status_;
    case Register::Control: return control_;
    }
    return 0xFF;
}

} // namespace orlex
