// Direct I/O with ioperm + inb/outb (x86 Linux); needs root or CAP_SYS_RAWIO.
#pragma once

#include "drive/port.h"

#include <memory>
#include <string>

namespace orlex {

class DirectPort : public Port {
public:
    // Asks for permission on base..base+2. nullptr and a plain-words `error` on failure.
    static std::unique_ptr<DirectPort> open(std::uint16_t base, std::string& error);
    ~DirectPort() override;
    void out(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t in(std::uint16_t address) override;

private:
    explicit DirectPort(std::uint16_t base) : base_(base) {}
    std::uint16_t base_;
};

} // namespace orlex
