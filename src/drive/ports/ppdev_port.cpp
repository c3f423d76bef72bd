// The plotter's registers through Linux's ppdev driver: /dev/parportN and its ioctls.
#include "drive/ports/ppdev_port.h"

#include "drive/ports/port_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orlex {

namespace {

struct ProcPort {
    int number;                        // N of parportN
    std::optional<unsigned long> base; // empty when base-addr is missing or unreadable
};

// "parport3" -> 3; -1 for other names.
int parportNumber(const std::string& name)
{
    const std::string prefix = "parport";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int number = -1;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, number);
    return ec == std::errc() && end == last ? number : -1;
}

// The first whitespace-separated field of base-addr ("888\t1912\n") as a decimal number.
std::optional<unsigned long> readBaseAddress(const std::filesystem::path& file)
{
    std::ifstream stream(file);
    std::string field;
    if (!(stream >> field))
        return std::nullopt;
    unsigned long value = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

// Every parportN the driver lists, in order of N.
std::vector<ProcPort> listPorts(const std::filesystem::path& procRoot)
{
    std::vector<ProcPort> ports;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, ec)) {
        const int number = parportNumber(entry.path().filename().string());
        if (number >= 0)
            ports.push_back({number, readBaseAddress(entry.path() / "base-addr")});
    }
    std::sort(ports.begin(), ports.end(), [](const ProcPort& a, const ProcPort& b) { return a.number < b.number; });
    return ports;
}

std::string noMatchMessage(std::uint16_t base, const std::vector<ProcPort>& ports)
{
    std::string message = "No parallel port at " + hexAddress(base) + ": ";
    if (ports.empty())
        return message
               + "the parallel-port driver lists no port. Check that the port is enabled in the "
                 "computer's setup, or use --port direct as root.";
    message += ports.size() == 1 ? "the only port found is " : "the ports found are ";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (i > 0)
            message += ", ";
        const std::string name = "parport" + std::to_string(ports[i].number);
        if (ports[i].base && *ports[i].base <= 0xFFFF)
            message += "at " + hexAddress(static_cast<std::uint16_t>(*ports[i].base)) + " (" + name + ")";
        else
            message += name + " (base address unreadable)";
    }
    return message + ". Set the port address in Options > Settings to the plotter's port.";
}

} // namespace

std::string PpdevPort::findDevice(std::uint16_t base, const std::filesystem::path& procRoot)
{
    for (const ProcPort& port : listPorts(procRoot))
        if (port.base && *port.base == base)
            return "parport" + std::to_string(port.number);
    return {};
}

Result<std::unique_ptr<PpdevPort>> PpdevPort::open(std::uint16_t base, const std::filesystem::path& procRoot,
                                                   const std::filesystem::path& devDir)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(procRoot, ec))
        return failure("No parallel port at " + hexAddress(base)
                       + ": no parallel-port driver: load it with "
                         "'modprobe parport_pc' (or use --port direct as root).");
    const std::string name = findDevice(base, procRoot);
    if (name.empty())
        return failure(noMatchMessage(base, listPorts(procRoot)));

    const std::string device = (devDir / name).string();
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        if (code == EACCES || code == EPERM)
            return failure("Permission denied on " + device
                           + ": add your user to group lp (usermod -aG lp "
                             "USER, then log in again) or install the udev rule from the README.");
        if (code == ENOENT || code == ENXIO || code == ENODEV)
            return failure("The parallel port at " + hexAddress(base) + " is " + name + ", but " + device
                           + " is missing or has no driver: load the ppdev module with 'modprobe ppdev'.");
        return failure("Cannot open " + device + " (port " + hexAddress(base) + "): " + std::strerror(code) + ".");
    }

    // Exclusive access keeps other drivers off the lines while the motors are driven;
    // a refusal here is not fatal, the claim below is what matters.
    ::ioctl(fd, PPEXCL);
    if (::ioctl(fd, PPCLAIM) != 0) {
        const int code = errno;
        ::close(fd);
        return failure("Cannot claim " + device + " (port " + hexAddress(base) + "): " + std::strerror(code)
                       + ". Another program or driver holds the port, for example the lp printer driver: unload it "
                         "with 'rmmod lp' and try again.");
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd));
}

PpdevPort::~PpdevPort()
{
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
}

void PpdevPort::write(Register reg, std::uint8_t value)
{
    unsigned char byte = value;
    if (reg == Register::Data)
        ::ioctl(fd_, PPWDATA, &byte);
    else if (reg == Register::Control)
        ::ioctl(fd_, PPWCONTROL, &byte);
}

std::uint8_t PpdevPort::read(Register reg)
{
    unsigned long request = PPRDATA;
    switch (reg) {
    case Register::Data: request = PPRDATA; break;
    case Register::Status: request = PPRSTATUS; break; // raw: bit 7 (BUSY) arrives inverted by the port
    case Register::Control: request = PPRCONTROL; break;
    }
    unsigned char byte = 0xFF;
    if (::ioctl(fd_, request, &byte) != 0)
        return 0xFF;
    return byte;
}

} // namespace orlex
