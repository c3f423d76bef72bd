// What the PC offers the plotter: the parallel-port driver and its ports, the lp printer
// driver, the device node and who may open it, the udev rule, direct I/O, PCI parallel
// cards and USB printer adapters; then the port itself and the plotter behind it.
#include "drive/ports/parallel_port_ranges.h"
#include "drive/ports/port_text.h"
#include "drive/ports/ppdev_port.h"
#include "run/port_check/port_check.h"
#include "run/port_check/system_files.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <sys/stat.h>

namespace orlex {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUdevRuleName = "60-orlex-plotter.rules";
// Where udev reads rules: the package's place, a source install's, the administrator's.
constexpr const char* kUdevRuleFolders[] = {"usr/lib/udev/rules.d", "usr/local/lib/udev/rules.d", "etc/udev/rules.d"};
constexpr const char* kUdevRuleLine = R"(echo 'KERNEL=="parport[0-9]*", GROUP="lp", MODE="0660"' | )"
                                      R"(sudo tee /etc/udev/rules.d/60-orlex-plotter.rules)";
constexpr const char* kPortGroup = "lp";

// What the checks share: the setup and what was read once.
struct Machine {
    const PortCheckSetup& setup;
    fs::path root;
    ProcessIdentity identity;
    std::vector<ParportEntry> ports;
    std::vector<PciParallelCard> cards;
    std::string settingsPort; // "parportN" at the settings' address; empty when none
    bool ppdev() const { return setup.kind == PortKind::Ppdev; }
    bool privileged() const { return identity.euid == 0; }
};

Finding ok(std::string topic, std::string text)
{
    return {FindingLevel::Ok, std::move(topic), std::move(text), {}};
}

Finding note(std::string topic, std::string text, std::vector<std::string> fix = {})
{
    return {FindingLevel::Note, std::move(topic), std::move(text), std::move(fix)};
}

Finding problem(std::string topic, std::string text, std::vector<std::string> fix)
{
    return {FindingLevel::Problem, std::move(topic), std::move(text), std::move(fix)};
}

// "parport, parport_pc and ppdev".
std::string listed(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

std::string portName(const ParportEntry& port)
{
    return "parport" + std::to_string(port.number);
}

void driverFinding(const Machine& m, std::vector<Finding>& out)
{
    // parport_pc drives the PC's own ports and most PCI cards; another low-level driver
    // (parport_serial) shows itself by the ports it lists.
    const bool parport = moduleLoaded(m.root, "parport");
    const bool lowLevel = moduleLoaded(m.root, "parport_pc") || !m.ports.empty();
    const bool ppdev = moduleLoaded(m.root, "ppdev");
    if (parport && lowLevel && ppdev) {
        out.push_back(ok("driver", "parallel-port driver loaded: parport, parport_pc and ppdev"));
        return;
    }
    const FindingLevel level = m.ppdev() ? FindingLevel::Problem : FindingLevel::Note;
    const std::string needed = m.ppdev() ? "" : " (--port direct does not need it)";
    if (!parport || !lowLevel) {
        out.push_back({level,
                       "driver",
                       "the parallel-port driver is not loaded (parport_pc" + std::string(ppdev ? "" : ", ppdev")
                           + "), so there is no /dev/parportN" + needed,
                       {"sudo modprobe parport_pc ppdev",
                        "printf 'parport_pc\\nppdev\\n' | sudo tee /etc/modules-load.d/orlex-plotter.conf   # at "
                        "every boot"}});
        return;
    }
    out.push_back(
        {level,
         "driver",
         "ppdev is not loaded, so the parallel ports have no /dev/parportN" + needed,
         {"sudo modprobe ppdev", "echo ppdev | sudo tee /etc/modules-load.d/orlex-plotter.conf   # at every boot"}});
}

void portListFindings(const Machine& m, std::vector<Finding>& out)
{
    std::error_code error;
    if (m.ports.empty()) {
        if (fs::is_directory(m.root / "proc/sys/dev/parport", error))
            out.push_back(
                problem("ports", "the parallel-port driver lists no port",
                        {"enable the parallel port (LPT) in the computer's setup (BIOS or UEFI), or fit a PCI "
                         "or PCIe parallel card"}));
        return;
    }
    std::vector<std::string> others; // what line 9 could say instead
    for (const ParportEntry& port : m.ports) {
        const std::string node = "/dev/" + portName(port);
        if (!port.base || *port.base > 0xFFFF) {
            out.push_back(note("ports", node + ": its base address cannot be read"));
            continue;
        }
        const auto base = static_cast<std::uint16_t>(*port.base);
        if (base == m.setup.base) {
            out.push_back(ok("ports", node + " at " + hexAddress(base)
                                          + ": the port of the settings (line 9: " + m.setup.addressText + ")"));
        } else {
            others.push_back(settingsAddressText(base));
            out.push_back(note("ports", node + " at " + hexAddress(base) + ": another port (line 9 "
                                            + settingsAddressText(base) + " would select it)"));
        }
    }
    if (m.settingsPort.empty() && m.ppdev()) {
        std::vector<std::string> fix;
        for (const std::string& address : others)
            fix.push_back("put " + address + " in line 9 of seting.txt (in the window: Options > Settings)");
        out.push_back(problem("ports",
                              "no parallel port at " + hexAddress(m.setup.base)
                                  + ", the address in line 9 of the "
                                    "settings ("
                                  + m.setup.addressText + ")",
                              fix));
    }
}

// A blacklist line for lp in /etc/modprobe.d, so that it stays unloaded after a reboot.
bool lpBlacklisted(const fs::path& root)
{
    for (const fs::path& file : entriesStartingWith(root / "etc/modprobe.d", "")) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            if (line.find("blacklist lp") == 0 && line.find_first_not_of(" \t", 12) == std::string::npos)
                return true;
    }
    return false;
}

void lpFinding(const Machine& m, std::vector<Finding>& out)
{
    std::vector<std::string> holding;
    std::error_code error;
    for (const ParportEntry& port : m.ports)
        if (fs::exists(m.root / "proc/sys/dev/parport" / portName(port) / "devices/lp", error))
            holding.push_back(portName(port));
    if (holding.empty() && !moduleLoaded(m.root, "lp")) {
        out.push_back(ok("lp", "the lp printer driver is not loaded"));
        return;
    }
    std::vector<std::string> fix{"sudo rmmod lp"};
    if (!lpBlacklisted(m.root))
        fix.push_back(R"(echo "blacklist lp" | sudo tee /etc/modprobe.d/blacklist-lp.conf   # not at the next boot)");
    const std::string where = holding.empty() ? "" : " and registered on " + listed(holding);
    out.push_back({m.ppdev() ? FindingLevel::Problem : FindingLevel::Note, "lp",
                   "the lp printer driver is loaded" + where + ": it keeps the port from being claimed", fix});
}

std::string modeText(unsigned mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777u);
    return text;
}

void deviceFinding(const Machine& m, std::vector<Finding>& out)
{
    if (!m.ppdev() || m.settingsPort.empty())
        return;
    const std::string node = "/dev/" + m.settingsPort;
    struct stat info {};
    if (::stat((m.root / "dev" / m.settingsPort).c_str(), &info) != 0) {
        if (moduleLoaded(m.root, "ppdev"))
            out.push_back(
                problem("device", node + " does not exist although ppdev is loaded",
                        {"sudo udevadm trigger", "or reload the driver: sudo rmmod ppdev; sudo modprobe ppdev"}));
        return;
    }
    const std::optional<GroupEntry> group = groupWithId(m.root, info.st_gid);
    const std::string groupText = group ? group->name : std::to_string(info.st_gid);
    std::string owner = userName(m.root, info.st_uid);
    if (owner.empty())
        owner = std::to_string(info.st_uid);
    const std::string described =
        node + " (owner " + owner + ", group " + groupText + ", mode " + modeText(info.st_mode) + ")";
    const ProcessIdentity& me = m.identity;
    const unsigned mode = info.st_mode;
    const bool asOwner = info.st_uid == me.euid && (mode & 0600) == 0600;
    const bool asGroup = me.inGroup(info.st_gid) && (mode & 0060) == 0060;
    if (m.privileged() || asOwner || asGroup || (mode & 0006) == 0006) {
        const std::string how = m.privileged() ? " (root)"
                                : asOwner      ? ""
                                : asGroup      ? " as a member of " + groupText
                                               : "";
        out.push_back(ok("device", described + ": " + me.user + " may read and write it" + how));
        return;
    }
    // The rule gives the node to group lp with mode 0660; then the user needs the group.
    std::vector<std::string> fix;
    const bool nodeForGroup = group && group->name == kPortGroup && (mode & 0060) == 0060;
    if (!nodeForGroup) {
        bool ruleInstalled = false;
        for (const char* folder : kUdevRuleFolders)
            ruleInstalled = ruleInstalled || fs::exists(m.root / folder / kUdevRuleName);
        if (!ruleInstalled)
            fix.push_back(kUdevRuleLine);
        fix.push_back("sudo udevadm trigger   # gives " + node + " to group lp");
    }
    const std::optional<GroupEntry> lp = groupNamed(m.root, kPortGroup);
    const bool listedInLp = lp && std::find(lp->members.begin(), lp->members.end(), me.user) != lp->members.end();
    std::string why = me.user + " may not open it";
    if (listedInLp && !(lp && me.inGroup(lp->gid))) {
        why += ": " + me.user + " was added to group lp after this login began";
        fix.push_back("log out and in again: the group counts from the next login");
    } else if (!listedInLp) {
        why += ": " + me.user + " is not in group lp";
        fix.push_back("sudo usermod -aG lp " + me.user + "   # then log out and in again");
    }
    out.push_back(problem("device", described + ": " + why, fix));
}

void udevFinding(const Machine& m, std::vector<Finding>& out)
{
    std::error_code error;
    for (const char* folder : kUdevRuleFolders)
        if (fs::exists(m.root / folder / kUdevRuleName, error)) {
            out.push_back(ok("udev", "the udev rule /" + std::string(folder) + "/" + kUdevRuleName
                                         + " gives /dev/parport* to group lp"));
            return;
        }
    out.push_back(note("udev",
                       "the udev rule 60-orlex-plotter.rules is not installed, so /dev/parport* keep the system's "
                       "owner and mode",
                       {kUdevRuleLine}));
}

void directIoFinding(const Machine& m, std::vector<Finding>& out)
{
#if defined(__x86_64__) || defined(__i386__)
    constexpr bool portIo = true;
#else
    constexpr bool portIo = false;
#endif
    const ProcessIdentity& me = m.identity;
    const std::string granted = m.privileged() ? "root" : me.hasCapability(kCapSysRawio) ? "CAP_SYS_RAWIO" : "";
    const bool direct = m.setup.kind == PortKind::Direct;
    if (!portIo) {
        out.push_back({direct ? FindingLevel::Problem : FindingLevel::Note,
                       "direct-io",
                       "direct port I/O (--port direct) exists only on x86 PCs",
                       {"use the ppdev port: leave out --port direct"}});
    } else if (!granted.empty()) {
        out.push_back(ok("direct-io", "direct port I/O (--port direct) is possible (" + granted + ")"));
    } else if (direct) {
        out.push_back(problem(
            "direct-io", "direct port I/O (--port direct) needs root or CAP_SYS_RAWIO, and " + me.user + " has neither",
            {"run it as root (sudo), or use the ppdev port and group lp: leave out --port direct"}));
    } else {
        out.push_back(note("direct-io", "direct port I/O (--port direct) would need root or CAP_SYS_RAWIO; the "
                                        "ppdev port needs neither"));
    }
}

void pciFindings(const Machine& m, std::vector<Finding>& out)
{
    for (const PciParallelCard& card : m.cards) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04x:%04x", card.vendor, card.device);
        std::string text = "PCI parallel card " + card.slot + " (" + ids + ")";
        std::string ranges;
        const IoRange* registers = nullptr; // the first range that holds data, status and control
        for (const IoRange& range : card.ioRanges) {
            ranges += (ranges.empty() ? "" : ", ") + hexAddress(static_cast<std::uint16_t>(range.first)) + "-"
                      + hexAddress(static_cast<std::uint16_t>(range.last));
            if (registers == nullptr && range.last >= range.first + 2)
                registers = &range;
        }
        text += ranges.empty() ? ": no I/O range (its driver or the computer's setup gave it none)" : ", I/O " + ranges;
        if (rangeHolding(m.setup.base, card.ioRanges) != nullptr)
            out.push_back(ok("pci", text + ": the port of the settings (line 9: " + m.setup.addressText + ")"));
        else if (registers != nullptr)
            out.push_back(note("pci", text + ": line 9 " + settingsAddressText(registers->first) + " selects it"));
        else
            out.push_back(note("pci", text));
    }
}

void usbFindings(const Machine& m, std::vector<Finding>& out)
{
    const std::vector<fs::path> adapters = entriesStartingWith(m.root / "dev/usb", "lp");
    if (adapters.empty() && !moduleLoaded(m.root, "usblp"))
        return;
    // Without a real parallel port, the adapter is what the operator will try: say it plainly.
    const bool noOtherPort = m.ports.empty() && m.cards.empty();
    std::vector<std::string> names;
    for (const fs::path& adapter : adapters)
        names.push_back("/dev/usb/" + adapter.filename().string());
    const std::string what =
        names.empty() ? "the usblp driver for USB printer adapters is loaded"
                      : listed(names) + (names.size() == 1 ? " is a USB printer adapter" : " are USB printer adapters")
                            + " (usblp)";
    out.push_back({noOtherPort ? FindingLevel::Problem : FindingLevel::Note, "usb",
                   what
                       + ": such an adapter carries a printer's byte stream, not the port's pins, so it cannot "
                         "drive the plotter's coils",
                   noOtherPort ? std::vector<std::string>{"connect the plotter to a parallel port on the mainboard or "
                                                          "on a PCI or PCIe parallel card"}
                               : std::vector<std::string>{}});
}

void openFindings(const Machine& m, std::vector<Finding>& out)
{
    const PortCheckSetup& s = m.setup;
    if (s.kind == PortKind::Virtual)
        out.push_back(ok("port", "the virtual plotter stands in for the port"));
    else if (!s.portError)
        out.push_back(
            ok("port",
               "the port at " + hexAddress(s.base) + " opens"
                   + (m.ppdev() && !m.settingsPort.empty() ? ": /dev/" + m.settingsPort + " can be claimed" : "")));
    else
        out.push_back(problem("port", "the port does not open: " + s.portError->message, {}));
    if (!s.plotterAnswers)
        return;
    if (*s.plotterAnswers)
        out.push_back(ok("plotter", "the plotter answers: its clock on status bit 7 changes"));
    else
        out.push_back(problem("plotter", "no plotter answers: the clock on status bit 7 did not change",
                              {"connect the plotter, switch it on and release its STOP switch"}));
}

} // namespace

std::string settingsAddressText(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "&H%X", static_cast<unsigned>(address));
    return text;
}

std::vector<Finding> portFindings(const PortCheckSetup& setup)
{
    std::vector<Finding> out;
    if (setup.kind == PortKind::Virtual) {
        out.push_back(note("simulated", "on the virtual plotter: this PC's parallel ports are not looked at (leave "
                                        "out --simulate to check them)"));
        openFindings(Machine{setup, setup.systemRoot, {}, {}, {}, {}}, out);
        return out;
    }
    Machine m{setup, setup.systemRoot, readProcessIdentity(setup.systemRoot), {}, {}, {}};
    m.ports = PpdevPort::listPorts(m.root / "proc/sys/dev/parport");
    m.cards = pciParallelCards(m.root);
    m.settingsPort = PpdevPort::findDevice(setup.base, m.root / "proc/sys/dev/parport");
    driverFinding(m, out);
    portListFindings(m, out);
    lpFinding(m, out);
    deviceFinding(m, out);
    udevFinding(m, out);
    directIoFinding(m, out);
    pciFindings(m, out);
    usbFindings(m, out);
    openFindings(m, out);
    return out;
}

} // namespace orlex
