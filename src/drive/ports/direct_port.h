// Direct I/O with ioperm + inb/outb (x86 Linux); needs root or CAP_SYS_RAWIO.
#pragma once

#include "common/result.h"
#include "drive/port.h"

#include <memory>
#include <string>

namespace orlex {

class DirectPort : public Port {
public:
    // Asks for permission on base..base+2; the reason in plain words on failure.
    static Result<std::unique_ptr<DirectPort>> open(std::uint16_t base);
    ~DirectPort() override;
    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;

private:
    explicit DirectPort(std::uint16_t base) : base_(base) {}
    std::uint16_t base_; // I/O address of the data register; the others follow it
};

} // namespace orlex
