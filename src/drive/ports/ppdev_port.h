// Linux parport character device (/dev/parportN) claimed through ppdev ioctls.
#pragma once

#include "common/result.h"
#include "drive/port.h"
#include "drive/ports/ppdev_system.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

// Where the driver lists its ports and their device nodes, and who answers the calls.
struct PpdevPlaces {
    std::filesystem::path procRoot = "/proc/sys/dev/parport";
    std::filesystem::path devDir = "/dev";
    PpdevSystem* system = nullptr; // nullptr: the real system calls
};

// One parportN the driver lists under its proc folder.
struct ParportEntry {
    int number = 0;                    // N of parportN
    std::optional<unsigned long> base; // empty when base-addr is missing or unreadable
};

class PpdevPort : public Port {
public:
    // Finds the /dev/parportN whose base address (read from <procRoot>/parportN/base-addr)
    // equals `base`, opens it, claims it exclusively and sets its data lines to output.
    // On failure the message names the device or address and says what to do (join
    // group lp, load the parport_pc module, ...); `addressAdvice` ends the message when
    // no port has the address, saying where the front end takes it from.
    static Result<std::unique_ptr<PpdevPort>> open(std::uint16_t base, const std::string& addressAdvice,
                                                   const PpdevPlaces& places = {});

    // The parportN whose base-addr lists `base`; empty when none does.
    static std::string findDevice(std::uint16_t base, const std::filesystem::path& procRoot);
    // Every parportN under `procRoot`, in order of N.
    static std::vector<ParportEntry> listPorts(const std::filesystem::path& procRoot);

    ~PpdevPort() override; // releases the claim and closes the device
    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;

private:
    PpdevPort(int fd, std::string device, PpdevSystem& system) : fd_(fd), device_(std::move(device)), system_(system) {}
    void call(unsigned long request, const char* name, unsigned char& byte); // throws PortFault

    int fd_;             // the claimed /dev/parportN; the driver knows where its registers are
    std::string device_; // its path, for messages
    PpdevSystem& system_;
};

} // namespace orlex
