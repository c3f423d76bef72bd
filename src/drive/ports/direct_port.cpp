// The plotter's registers by direct port I/O (ioperm, inb, outb) on x86 Linux.
#include "drive/ports/direct_port.h"

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

#ifdef ORLEX_HAVE_PORT_IO

std::unique_ptr<DirectPort> DirectPort::open(std::uint16_t base, std::string& error)
{
    if (base + kRegisterCount > 0x10000) {
        error = "Direct I/O at " + hexAddress(base) + " is not possible: the port's registers would run past "
                "the last I/O address 0xffff.";
        return nullptr;
    }
    if (::ioperm(base, kRegisterCount, 1) != 0) {
        const int code = errno;
        if (code == EPERM)
            error = "Direct I/O at " + hexAddress(base) + " needs root or CAP_SYS_RAWIO (run as root, or use "
                    "the ppdev port and group lp).";
        else
            error = "Direct I/O at " + hexAddress(base) + " was refused: " + std::strerror(code) + ".";
        return nullptr;
    }
    return std::unique_ptr<DirectPort>(new DirectPort(base));
}

DirectPort::~DirectPort()
{
    ::ioperm(base_, kRegisterCount, 0);
}

void DirectPort::out(std::uint16_t address, std::uint8_t value)
{
    // Only the three registers we hold permission for; anything else would fault.
    if (address >= base_ && address < base_ + kRegisterCount)
        ::outb(value, address);
}

std::uint8_t DirectPort::in(std::uint16_t address)
{
    if (address >= base_ && address < base_ + kRegisterCount)
        return ::inb(address);
    return 0xFF;
}

#else

std::unique_ptr<DirectPort> DirectPort::open(std::uint16_t base, std::string& error)
{
    error = "Direct I/O at " + hexAddress(base) + " exists only on x86 PCs: use the ppdev port (--port ppdev) "
            "on this machine.";
    return nullptr;
}

DirectPort::~DirectPort() = default;
void DirectPort::out(std::uint16_t, std::uint8_t) {}
std::uint8_t DirectPort::in(std::uint16_t) { return 0xFF; }

#endif

} // namespace orlex
