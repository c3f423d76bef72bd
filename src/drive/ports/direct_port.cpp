// The plotter's registers by direct port I/O (ioperm, inb, outb) on x86 Linux.
#include "drive/ports/direct_port.h"

#include "drive/ports/parallel_port_ranges.h"
#include "drive/ports/port_text.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ORLEX_HAVE_PORT_IO 1
#endif

namespace orlex {

namespace {
constexpr unsigned long kRegisterCount = 3; // data, status, control
}

Result<void> DirectPort::addressAllowed(std::uint16_t base, const std::filesystem::path& systemRoot)
{
    if (rangeHolding(base, parallelPortRanges(systemRoot)) != nullptr)
        return {};
    return failure(
        "Direct I/O at " + hexAddress(base)
        + " is refused: no parallel port is known there (the legacy ports are at 0x378, 0x278 and 0x3bc, and "
          "neither /proc/ioports nor a PCI parallel card lists another), so it would write to another device. "
          "Put the port's address in line 9 of the settings, or give --any-io-address to use this one anyway.");
}

#ifdef ORLEX_HAVE_PORT_IO

Result<std::unique_ptr<DirectPort>> DirectPort::open(std::uint16_t base, bool anyAddress,
                                                     const std::filesystem::path& systemRoot)
{
    if (!anyAddress)
        if (Result<void> allowed = addressAllowed(base, systemRoot); !allowed)
            return allowed.error();
    if (base + kRegisterCount > 0x10000)
        return failure("Direct I/O at " + hexAddress(base)
                       + " is not possible: the port's registers would run "
                         "past the last I/O address 0xffff.");
    if (::ioperm(base, kRegisterCount, 1) != 0) {
        const int code = errno;
        if (code == EPERM)
            return failure("Direct I/O at " + hexAddress(base)
                           + " needs root or CAP_SYS_RAWIO (run as root, or "
                             "use the ppdev port and group lp).");
        return failure("Direct I/O at " + hexAddress(base) + " was refused: " + std::strerror(code) + ".");
    }
    return std::unique_ptr<DirectPort>(new DirectPort(base));
}

DirectPort::~DirectPort()
{
    ::ioperm(base_, kRegisterCount, 0);
}

// Each register sits at its offset from the base, where ioperm gave us access.
void DirectPort::write(Register reg, std::uint8_t value)
{
    ::outb(value, static_cast<std::uint16_t>(base_ + static_cast<std::uint16_t>(reg)));
}

std::uint8_t DirectPort::read(Register reg)
{
    return ::inb(static_cast<std::uint16_t>(base_ + static_cast<std::uint16_t>(reg)));
}

#else

Result<std::unique_ptr<DirectPort>> DirectPort::open(std::uint16_t base, bool, const std::filesystem::path&)
{
    return failure("Direct I/O at " + hexAddress(base)
                   + " exists only on x86 PCs: use the ppdev port "
                     "(--port ppdev) on this machine.");
}

DirectPort::~DirectPort() = default;
void DirectPort::write(Register, std::uint8_t) {}
std::uint8_t DirectPort::read(Register)
{
    return 0xFF;
}

#endif

} // namespace orlex
