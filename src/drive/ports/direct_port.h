// Direct I/O with ioperm + inb/outb (x86 Linux); needs root or CAP_SYS_RAWIO.
#pragma once

#include "common/result.h"
#include "drive/port.h"

#include <filesystem>
#include <memory>
#include <string>

namespace orlex {

class DirectPort : public Port {
public:
    // Asks for permission on base..base+2; the reason in plain words on failure. Only a
    // parallel port's registers are reached (see parallel_port_ranges.h, read under
    // `systemRoot`), unless `anyAddress` says the operator knows better.
    static Result<std::unique_ptr<DirectPort>> open(std::uint16_t base, bool anyAddress = false,
                                                    const std::filesystem::path& systemRoot = "/");
    // Whether direct I/O at `base` may be tried: base..base+2 belong to a parallel port.
    // Fails saying why it is refused.
    static Result<void> addressAllowed(std::uint16_t base, const std::filesystem::path& systemRoot = "/");
    ~DirectPort() override;
    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;

private:
    explicit DirectPort(std::uint16_t base) : base_(base) {}
    std::uint16_t base_; // I/O address of the data register; the others follow it
};

} // namespace orlex
