// The port check on PCs made of files: one table of machine states, each with the lines
// of the report it must give. The port is opened as a draw opens it, against the ppdev
// kernel stand-in, so its refusals are the real backend's.
#include "run/port_check/port_check.h"

#include "drive/ports/direct_port.h"
#include "drive/ports/ppdev_port.h"
#include "ports/fake_ppdev_kernel.h"
#include "ports/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace orlex {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kUser = 4242; // ada, who runs the program

// A PC that offers the plotter everything but real time: the driver loaded, one port at
// 0x378 given to group lp by the package's udev rule, ada in lp; the kernel throttles
// real-time threads and ada may not ask for them.
class FakePc {
public:
    FakePc()
    {
        write("proc/modules", "parport_pc 40960 0 - Live 0x0\nppdev 24576 0 - Live 0x0\n"
                              "parport 73728 2 parport_pc,ppdev, Live 0x0\n");
        write("proc/sys/dev/parport/parport0/base-addr", "888\t1912\n");
        node("dev/parport0", 0660);
        struct stat info {};
        ::stat((root() / "dev/parport0").c_str(), &info);
        nodeGid = info.st_gid;
        write("etc/passwd", "root:x:" + std::to_string(info.st_uid) + ":0::/root:/bin/sh\nada:x:"
                                + std::to_string(kUser) + ":" + std::to_string(kUser) + "::/home/ada:/bin/sh\n");
        groups("ada");
        session({nodeGid});
        write("proc/self/limits", "Limit                     Soft Limit           Hard Limit           Units\n"
                                  "Max realtime priority     0                    0                    \n");
        write("usr/lib/udev/rules.d/60-orlex-plotter.rules", "KERNEL==\"parport[0-9]*\", GROUP=\"lp\"\n");
        write("proc/sys/kernel/sched_rt_runtime_us", "950000\n");
        write("proc/sys/kernel/sched_rt_period_us", "1000000\n");
        write("proc/sys/kernel/osrelease", "6.1.0-18-amd64\n");
        for (const char* cpu : {"cpu0", "cpu1"})
            write(std::string("sys/devices/system/cpu/") + cpu + "/cpufreq/scaling_governor", "schedutil\n");
        setup.systemRoot = root();
        setup.motion.reason = "not used: the kernel would hold the poller back 50 ms in every period "
                              "(kernel.sched_rt_runtime_us; see the README)";
    }

    fs::path root() const { return dir.path(); }
    void write(const std::string& file, const std::string& text) const { test::writeFile(root() / file, text); }
    void remove(const std::string& file) const { fs::remove_all(root() / file); }
    void node(const std::string& file, unsigned mode) const
    {
        write(file, "");
        fs::permissions(root() / file, static_cast<fs::perms>(mode));
    }
    // /etc/group: lp holds the tree's files and has these members.
    void groups(const std::string& lpMembers) const
    {
        write("etc/group",
              "lp:x:" + std::to_string(nodeGid) + ":" + lpMembers + "\nada:x:" + std::to_string(kUser) + ":\n");
    }
    // /proc/self/status: ada, in her own group and these, with these capabilities.
    void session(const std::vector<unsigned>& groupIds, const std::string& capabilities = "0") const
    {
        std::string list;
        for (unsigned gid : groupIds)
            list += std::to_string(gid) + " ";
        const std::string ids = std::to_string(kUser) + "\t" + std::to_string(kUser) + "\n";
        write("proc/self/status",
              "Uid:\t" + ids + "Gid:\t" + ids + "Groups:\t" + list + "\nCapEff:\t" + capabilities + "\n");
    }

    // The port opened as the ppdev backend opens it, then the check.
    PortCheckReport check()
    {
        if (setup.kind == PortKind::Ppdev) {
            auto opened = PpdevPort::open(setup.base, "Set the port address.",
                                          {root() / "proc/sys/dev/parport", root() / "dev", &kernel});
            if (!opened)
                setup.portError = opened.error();
        } else {
            if (const Result<void> allowed = DirectPort::addressAllowed(setup.base, root()); !allowed)
                setup.portError = allowed.error(); // what opening it says first
        }
        return checkThisPc(setup);
    }

    test::TempDir dir;
    test::FakePpdevKernel kernel;
    PortCheckSetup setup;
    unsigned nodeGid = 0;
};

enum class Section { Port, RealTime };

struct MachineCase {
    const char* name;
    std::function<void(FakePc&)> change;
    Section section;
    std::string expected; // the section's text, as reportText gives it
};

void PrintTo(const MachineCase& c, std::ostream* os)
{
    *os << c.name;
}

class MachineStates : public ::testing::TestWithParam<MachineCase> {};

TEST_P(MachineStates, GiveTheirLines)
{
    FakePc pc;
    GetParam().change(pc);
    const PortCheckReport report = pc.check();
    std::string expected = GetParam().expected; // messages of the backend name the tree's files
    for (std::size_t at = 0; (at = expected.find("@ROOT@", at)) != std::string::npos;)
        expected.replace(at, 6, pc.root().string());
    EXPECT_EQ(reportText(GetParam().section == Section::Port ? report.port : report.realTime), expected);
}

const std::string kOkDriver = "ok       parallel-port driver loaded: parport, parport_pc and ppdev\n";
const std::string kNoLp = "ok       the lp printer driver is not loaded\n";
const std::string kRule = "ok       the udev rule /usr/lib/udev/rules.d/60-orlex-plotter.rules gives /dev/parport* to "
                          "group lp\n";
const std::string kNoDirectIo = "note     direct port I/O (--port direct) would need root or CAP_SYS_RAWIO; the ppdev "
                                "port needs neither\n";
const std::string kNoDriverFix = "           sudo modprobe parport_pc ppdev\n"
                                 "           printf 'parport_pc\\nppdev\\n' | sudo tee "
                                 "/etc/modules-load.d/orlex-plotter.conf   # at every boot\n";
const std::string kPermissionDenied = "problem  the port does not open: Permission denied on @ROOT@/dev/parport0: "
                                      "add your user to group lp (usermod -aG lp USER, then log in again) or install "
                                      "the udev rule from the README.\n";
const std::string kAtTheSettings = "ok       /dev/parport0 at 0x378: the port of the settings (line 9: &H378)\n";
const std::string kNoDriverPort = "problem  the port does not open: No parallel port at 0x378: no parallel-port "
                                  "driver: load it with 'modprobe parport_pc' (or use --port direct as root).\n";

INSTANTIATE_TEST_SUITE_P(
    Table, MachineStates,
    ::testing::Values(
        MachineCase{"NoDriver",
                    [](FakePc& pc) {
                        pc.remove("proc/modules");
                        pc.remove("proc/sys/dev/parport");
                        pc.remove("dev/parport0");
                    },
                    Section::Port,
                    "problem  the parallel-port driver is not loaded (parport_pc, ppdev), so there is no "
                    "/dev/parportN\n"
                        + kNoDriverFix + kNoLp + kRule + kNoDirectIo + kNoDriverPort},
        MachineCase{"LpHoldsThePort",
                    [](FakePc& pc) {
                        pc.write("proc/modules", "lp 20480 0 - Live 0x0\n");
                        for (const char* module : {"parport", "parport_pc", "ppdev"}) // built in: only in /sys
                            pc.write(std::string("sys/module/") + module + "/parameters/x", "");
                        pc.write("proc/sys/dev/parport/parport0/devices/lp/timeslice", "200\n");
                        pc.kernel.failure = {"PPCLAIM", 1, EBUSY};
                    },
                    Section::Port,
                    kOkDriver + kAtTheSettings
                        + "problem  the lp printer driver is loaded and registered on parport0: it keeps the port "
                          "from being claimed\n"
                          "           sudo rmmod lp\n"
                          "           echo \"blacklist lp\" | sudo tee /etc/modprobe.d/blacklist-lp.conf   # not at "
                          "the next boot\n"
                        + "ok       /dev/parport0 (owner root, group lp, mode 0660): ada may read and write it as a "
                          "member of lp\n"
                        + kRule + kNoDirectIo + "problem  the port does not open: Cannot claim " + "@ROOT@/dev/parport0"
                        + " (port 0x378): Device or resource busy. Another program or driver holds the port, for "
                          "example the lp printer driver: unload it with 'rmmod lp' and try again; to keep it from "
                          "loading at the next boot, put the line 'blacklist lp' in "
                          "/etc/modprobe.d/blacklist-lp.conf.\n"},
        MachineCase{"NotInGroupLp",
                    [](FakePc& pc) {
                        pc.groups("");
                        pc.session({});
                        pc.kernel.failure = {"open", 1, EACCES};
                    },
                    Section::Port,
                    kOkDriver + kAtTheSettings + kNoLp
                        + "problem  /dev/parport0 (owner root, group lp, mode 0660): ada may not open it: ada is not "
                          "in group lp\n"
                          "           sudo usermod -aG lp ada   # then log out and in again\n"
                        + kRule + kNoDirectIo + kPermissionDenied},
        MachineCase{"AddedToLpSinceThisLogin",
                    [](FakePc& pc) {
                        pc.session({});
                        pc.kernel.failure = {"open", 1, EACCES};
                    },
                    Section::Port,
                    kOkDriver + kAtTheSettings + kNoLp
                        + "problem  /dev/parport0 (owner root, group lp, mode 0660): ada may not open it: ada was "
                          "added to group lp after this login began\n"
                          "           log out and in again: the group counts from the next login\n"
                        + kRule + kNoDirectIo + kPermissionDenied},
        MachineCase{"NodeOfRootAndNoRule",
                    [](FakePc& pc) {
                        pc.write("etc/group", "root:x:" + std::to_string(pc.nodeGid) + ":\nlp:x:7:\n");
                        pc.node("dev/parport0", 0600);
                        pc.remove("usr/lib/udev");
                        pc.session({});
                        pc.kernel.failure = {"open", 1, EACCES};
                    },
                    Section::Port,
                    kOkDriver + kAtTheSettings + kNoLp
                        + "problem  /dev/parport0 (owner root, group root, mode 0600): ada may not open it: ada is "
                          "not in group lp\n"
                          "           echo 'KERNEL==\"parport[0-9]*\", GROUP=\"lp\", MODE=\"0660\"' | sudo tee "
                          "/etc/udev/rules.d/60-orlex-plotter.rules\n"
                          "           sudo udevadm trigger   # gives /dev/parport0 to group lp\n"
                          "           sudo usermod -aG lp ada   # then log out and in again\n"
                          "note     the udev rule 60-orlex-plotter.rules is not installed, so /dev/parport* keep the "
                          "system's owner and mode\n"
                          "           echo 'KERNEL==\"parport[0-9]*\", GROUP=\"lp\", MODE=\"0660\"' | sudo tee "
                          "/etc/udev/rules.d/60-orlex-plotter.rules\n"
                        + kNoDirectIo + kPermissionDenied},
        MachineCase{"TwoPortsAndTheSettingsNameTheSecond",
                    [](FakePc& pc) {
                        pc.write("proc/sys/dev/parport/parport1/base-addr", "632\t1656\n");
                        pc.node("dev/parport1", 0660);
                        pc.setup.base = 0x278;
                        pc.setup.addressText = "&H278";
                    },
                    Section::Port,
                    kOkDriver
                        + "note     /dev/parport0 at 0x378: another port (line 9 &H378 would select it)\n"
                          "ok       /dev/parport1 at 0x278: the port of the settings (line 9: &H278)\n"
                        + kNoLp
                        + "ok       /dev/parport1 (owner root, group lp, mode 0660): ada may read and write it as a "
                          "member of lp\n"
                        + kRule + kNoDirectIo + "ok       the port at 0x278 opens: /dev/parport1 can be claimed\n"},
        MachineCase{"PcieCardOnly",
                    [](FakePc& pc) {
                        pc.write("proc/sys/dev/parport/parport0/base-addr", "53264\t53248\n");
                        const std::string card = "sys/bus/pci/devices/0000:05:00.0/";
                        pc.write(card + "class", "0x070102\n");
                        pc.write(card + "vendor", "0x1c00\n");
                        pc.write(card + "device", "0x3050\n");
                        pc.write(card + "resource", "0x000000000000d010 0x000000000000d017 0x0000000000040101\n"
                                                    "0x000000000000d000 0x000000000000d003 0x0000000000040101\n"
                                                    "0x00000000fe800000 0x00000000fe803fff 0x0000000000040200\n");
                    },
                    Section::Port,
                    kOkDriver
                        + "note     /dev/parport0 at 0xd010: another port (line 9 &HD010 would select it)\n"
                          "problem  no parallel port at 0x378, the address in line 9 of the settings (&H378)\n"
                          "           put &HD010 in line 9 of seting.txt (in the window: Options > Settings)\n"
                        + kNoLp + kRule + kNoDirectIo
                        + "note     PCI parallel card 0000:05:00.0 (1c00:3050), I/O 0xd010-0xd017, 0xd000-0xd003: "
                          "line 9 &HD010 selects it\n"
                          "problem  the port does not open: No parallel port at 0x378: the only port found is at "
                          "0xd010 (parport0). Set the port address.\n"},
        MachineCase{"UsbPrinterAdapterOnly",
                    [](FakePc& pc) {
                        pc.write("proc/modules", "usblp 28672 0 - Live 0x0\n");
                        pc.remove("proc/sys/dev/parport");
                        pc.remove("dev/parport0");
                        pc.node("dev/usb/lp0", 0660);
                    },
                    Section::Port,
                    "problem  the parallel-port driver is not loaded (parport_pc, ppdev), so there is no "
                    "/dev/parportN\n"
                        + kNoDriverFix + kNoLp + kRule + kNoDirectIo
                        + "problem  /dev/usb/lp0 is a USB printer adapter (usblp): such an adapter carries a "
                          "printer's byte stream, not the port's pins, so it cannot drive the plotter's coils\n"
                          "           connect the plotter to a parallel port on the mainboard or on a PCI or PCIe "
                          "parallel card\n"
                        + kNoDriverPort},
        MachineCase{"DirectIoAtAnAddressOfNoPort",
                    [](FakePc& pc) {
                        pc.setup.kind = PortKind::Direct;
                        pc.setup.base = 0x1230;
                        pc.setup.addressText = "&H1230";
                        pc.session({}, "0000000000020000"); // CAP_SYS_RAWIO
                    },
                    Section::Port,
                    kOkDriver + "note     /dev/parport0 at 0x378: another port (line 9 &H378 would select it)\n" + kNoLp
                        + kRule + "ok       direct port I/O (--port direct) is possible (CAP_SYS_RAWIO)\n"
                        + "problem  the port does not open: Direct I/O at 0x1230 is refused: no parallel port is known "
                          "there (the legacy ports are at 0x378, 0x278 and 0x3bc, and neither /proc/ioports nor a PCI "
                          "parallel card lists another), so it would write to another device. Put the port's address "
                          "in line 9 of the settings, or give --any-io-address to use this one anyway.\n"},
        MachineCase{"RealTimeThrottled", [](FakePc&) {}, Section::RealTime,
                    "note     the kernel holds real-time threads back 50 ms in every 1000 ms "
                    "(kernel.sched_rt_runtime_us = 950000), so the motion thread does not ask for real-time "
                    "priority\n"
                    "           echo \"kernel.sched_rt_runtime_us = -1\" | sudo tee "
                    "/etc/sysctl.d/60-orlex-plotter.conf\n"
                    "           sudo sysctl --system\n"
                    "note     ada may not ask for real-time priority 20 (RLIMIT_RTPRIO 0)\n"
                    "           printf '@lp  -  rtprio   20\\n@lp  -  memlock  8192\\n' | sudo tee "
                    "/etc/security/limits.d/orlex-plotter.conf\n"
                    "           then log out and in again (ulimit -r then prints 20)\n"
                    "note     the motion thread runs at normal priority (real-time not used: the kernel would hold "
                    "the poller back 50 ms in every period (kernel.sched_rt_runtime_us; see the README)); fine on an "
                    "idle PC\n"
                    "note     not a PREEMPT_RT kernel (6.1.0-18-amd64): a driver or the kernel may hold the motion "
                    "thread up now and then; a measurement shows for how long\n"
                    "           sudo apt install linux-image-rt-amd64   # Debian on a 64-bit PC; then start that "
                    "kernel\n"
                    "note     CPU frequency governor: schedutil (2 of 2): a processor that slows down reads the port "
                    "more slowly\n"
                    "           echo performance | sudo tee /sys/devices/system/cpu/cpu*/cpufreq/scaling_governor   "
                    "# until the next boot\n"},
        MachineCase{"RealTimeGranted",
                    [](FakePc& pc) {
                        pc.write("proc/sys/kernel/sched_rt_runtime_us", "-1\n");
                        pc.write("proc/self/limits", "Max realtime priority     20                   20\n");
                        pc.write("proc/sys/kernel/osrelease", "6.1.0-18-rt-amd64\n");
                        pc.write("sys/kernel/realtime", "1\n");
                        for (const char* cpu : {"cpu0", "cpu1"})
                            pc.write(std::string("sys/devices/system/cpu/") + cpu + "/cpufreq/scaling_governor",
                                     "performance\n");
                        pc.setup.motion = {true, kMotionRealTimeLevel, 1, true, ""};
                    },
                    Section::RealTime,
                    "ok       the kernel does not hold real-time threads back (kernel.sched_rt_runtime_us = -1)\n"
                    "ok       ada may ask for real-time priority 20 (RLIMIT_RTPRIO 20)\n"
                    "ok       the motion thread gets real-time priority 20 on CPU 1, memory locked\n"
                    "ok       PREEMPT_RT kernel (6.1.0-18-rt-amd64)\n"
                    "ok       CPU frequency governor: performance\n"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex
