// Linux parport character device (/dev/parportN) claimed through ppdev ioctls.
#pragma once

#include "common/result.h"
#include "drive/port.h"

#include <filesystem>
#include <memory>
#include <string>

namespace orlex {

class PpdevPort : public Port {
public:
    // Finds the /dev/parportN whose base address (read from
    // <procRoot>/parportN/base-addr) equals `base`, opens and claims it. On failure the
    // message names the device or address and says what to do (join group lp, load the
    // parport_pc module, ...).
    static Result<std::unique_ptr<PpdevPort>> open(std::uint16_t base,
                                                   const std::filesystem::path& procRoot = "/proc/sys/dev/parport",
                                                   const std::filesystem::path& devDir = "/dev");

    // The parportN whose base-addr lists `base`; empty when none does.
    static std::string findDevice(std::uint16_t base, const std::filesystem::path& procRoot);

    ~PpdevPort() override;
    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;

private:
    explicit PpdevPort(int fd) : fd_(fd) {}
    int fd_; // the claimed /dev/parportN; the driver knows where its registers are
};

} // namespace orlex
