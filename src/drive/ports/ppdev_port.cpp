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

} // namespace

std::vector<ParportEntry> PpdevPort::listPorts(const std::filesystem::path& procRoot)
{
    std::vector<ParportEntry> ports;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, ec)) {
        const int number = parportNumber(entry.path().filename().string());
        if (number >= 0)
            ports.push_back({number, readBaseAddress(entry.path() / "base-addr")});
    }
    std::sort(ports.begin(), ports.end(),
              [](const ParportEntry& a, const ParportEntry& b) { return a.number < b.number; });
    return ports;
}

namespace {

std::string noMatchMessage(std::uint16_t base, const std::vector<ParportEntry>& ports, const std::string& advice)
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
    return message + ". " + advice;
}

std::string openFailure(int code, const std::string& device, const std::string& name, std::uint16_t base)
{
    if (code == EACCES || code == EPERM)
        return "Permission denied on " + device
               + ": add your user to group lp (usermod -aG lp USER, then log in again) or install the udev rule "
                 "from the README.";
    if (code == ENOENT || code == ENXIO || code == ENODEV)
        return "The parallel port at " + hexAddress(base) + " is " + name + ", but " + device
               + " is missing or has no driver: load the ppdev module with 'modprobe ppdev'.";
    return "Cannot open " + device + " (port " + hexAddress(base) + "): " + std::strerror(code) + ".";
}

std::string claimFailure(int code, const std::string& device, std::uint16_t base)
{
    const std::string cannot = "Cannot claim " + device + " (port " + hexAddress(base) + "): " + std::strerror(code);
    if (code == ENOTTY)
        return cannot + ". It is not a parallel-port device.";
    if (code == ENXIO || code == EBUSY)
        return cannot
               + ". Another program or driver holds the port, for example the lp printer driver: unload it with "
                 "'rmmod lp' and try again; to keep it from loading at the next boot, put the line 'blacklist lp' "
                 "in /etc/modprobe.d/blacklist-lp.conf.";
    return cannot + ".";
}

class LinuxPpdevSystem : public PpdevSystem {
public:
    int open(const std::string& path, int flags) override
    {
        const int fd = ::open(path.c_str(), flags);
        return fd < 0 ? -errno : fd;
    }
    int ioctl(int fd, unsigned long request, void* argument) override
    {
        const int result = ::ioctl(fd, request, argument);
        return result < 0 ? -errno : result;
    }
    int close(int fd) override { return ::close(fd) < 0 ? -errno : 0; }
};

} // namespace

PpdevSystem& linuxPpdevSystem()
{
    static LinuxPpdevSystem system;
    return system;
}

std::string PpdevPort::findDevice(std::uint16_t base, const std::filesystem::path& procRoot)
{
    for (const ParportEntry& port : listPorts(procRoot))
        if (port.base && *port.base == base)
            return "parport" + std::to_string(port.number);
    return {};
}

Result<std::unique_ptr<PpdevPort>> PpdevPort::open(std::uint16_t base, const std::string& addressAdvice,
                                                   const PpdevPlaces& places)
{
    PpdevSystem& system = places.system != nullptr ? *places.system : linuxPpdevSystem();
    std::error_code ec;
    if (!std::filesystem::is_directory(places.procRoot, ec))
        return failure("No parallel port at " + hexAddress(base)
                       + ": no parallel-port driver: load it with "
                         "'modprobe parport_pc' (or use --port direct as root).");
    const std::string name = findDevice(base, places.procRoot);
    if (name.empty())
        return failure(noMatchMessage(base, listPorts(places.procRoot), addressAdvice));

    const std::string device = (places.devDir / name).string();
    const int fd = system.open(device, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return failure(openFailure(-fd, device, name, base));

    // Asks for the port to ourselves while the motors are driven. The kernel refuses an
    // exclusive registration only at the claim (ENXIO when another driver is registered
    // on the port), so a result here says nothing; the claim's is fatal.
    system.ioctl(fd, PPEXCL, nullptr);
    if (const int claimed = system.ioctl(fd, PPCLAIM, nullptr); claimed < 0) {
        system.close(fd);
        return failure(claimFailure(-claimed, device, base));
    }
    // The data lines drive the coils: set them to output rather than trust the port's
    // power-on direction (a bidirectional port may have been left reading).
    int forward = 0;
    if (const int set = system.ioctl(fd, PPDATADIR, &forward); set < 0) {
        system.ioctl(fd, PPRELEASE, nullptr);
        system.close(fd);
        return failure("Cannot set the data lines of " + device + " to output: " + std::strerror(-set) + ".");
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd, device, system));
}

PpdevPort::~PpdevPort()
{
    system_.ioctl(fd_, PPRELEASE, nullptr);
    system_.close(fd_);
}

void PpdevPort::call(unsigned long request, const char* name, unsigned char& byte)
{
    if (const int result = system_.ioctl(fd_, request, &byte); result < 0)
        throw PortFault(std::string(name) + " on " + device_ + " failed: " + std::strerror(-result));
}

void PpdevPort::write(Register reg, std::uint8_t value)
{
    unsigned char byte = value;
    if (reg == Register::Data)
        call(PPWDATA, "PPWDATA", byte);
    else if (reg == Register::Control)
        call(PPWCONTROL, "PPWCONTROL", byte);
}

std::uint8_t PpdevPort::read(Register reg)
{
    unsigned char byte = 0;
    switch (reg) {
    case Register::Data: call(PPRDATA, "PPRDATA", byte); break;
    case Register::Status: call(PPRSTATUS, "PPRSTATUS", byte); break; // raw: bit 7 (BUSY) arrives inverted by the port
    case Register::Control: call(PPRCONTROL, "PPRCONTROL", byte); break;
    }
    return byte;
}

} // namespace orlex
