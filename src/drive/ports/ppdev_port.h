// Linux parport character device (/dev/parportN) claimed through ppdev ioctls.
#pragma once

#include "drive/port.h"

#include <filesystem>
#include <memory>
#include <string>

namespace orlex {

class PpdevPort : public Port {
public:
    // Finds the /dev/parportN whose base address (read from
    // <procRoot>/parportN/base-addr) equals `base`, opens and claims it.
    // On failure returns nullptr and sets `error` to a message that names the device or
    // address and says what to do (join group lp, load the parport_pc module, ...).
    static std::unique_ptr<PpdevPort> open(std::uint16_t base, std::string& error,
                                           const std::filesystem::path& procRoot = "/proc/sys/dev/parport",
                                           const std::filesystem::path& devDir = "/dev");

    // The parportN whose base-addr lists `base`; empty when none does.
    static std::string findDevice(std::uint16_t base, const std::filesystem::path& procRoot);

    ~PpdevPort() override;
    void out(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t in(std::uint16_t address) override;

private:
    PpdevPort(int fd, std::uint16_t base) : fd_(fd), base_(base) {}
    int fd_;
    std::uint16_t base_;
};

} // namespace orlex
