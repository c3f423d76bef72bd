// ppdev backend without hardware: device lookup in a fake proc folder, the calls of a
// whole draw against a kernel stand-in, the messages of refused opens, failing calls.
#include "drive/ports/ppdev_port.h"

#include "drive/ports/direct_port.h"
#include "drive/ports/null_port.h"
#include "drive_rig.h"
#include "fake_ppdev_kernel.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "temp_dir.h"

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace orlex {
namespace {

constexpr const char* kAdvice = "Set the address where this front end keeps it.";

class PpdevLookup : public ::testing::Test {
protected:
    PpdevLookup()
    {
        proc = dir.path() / "proc";
        dev = dir.path() / "dev";
        std::filesystem::create_directories(proc);
        std::filesystem::create_directories(dev);
        test::writeFile(proc / "parport0" / "base-addr", "632\t1656\n"); // 0x278
        test::writeFile(proc / "parport1" / "base-addr", "888\t1912\n"); // 0x378
        std::filesystem::create_directories(proc / "parport2");          // no base-addr
        test::writeFile(proc / "parport3" / "base-addr", "0x3bc\n");     // not decimal
        test::writeFile(proc / "parport10" / "base-addr", "53264 -1\n"); // 0xD010
        test::writeFile(proc / "parportx" / "base-addr", "956\n");       // not a parport
        test::writeFile(proc / "default" / "base-addr", "956\n");
    }

    test::TempDir dir;
    std::filesystem::path proc, dev;
};

struct LookupCase {
    std::uint16_t base;
    const char* device;
};

class PpdevFindDevice : public PpdevLookup, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(PpdevFindDevice, MatchesTheFirstNumberOfBaseAddr)
{
    EXPECT_EQ(PpdevPort::findDevice(GetParam().base, proc), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(Bases, PpdevFindDevice,
                         ::testing::Values(LookupCase{0x278, "parport0"}, LookupCase{0x378, "parport1"},
                                           LookupCase{0xD010, "parport10"}, LookupCase{0x3BC, ""}, LookupCase{1656, ""},
                                           LookupCase{0, ""}));

TEST_F(PpdevLookup, NoDriverSaysWhichModuleToLoad)
{
    const auto opened = PpdevPort::open(0x378, kAdvice, {dir.path() / "absent", dev});
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("no parallel-port driver: load it with 'modprobe parport_pc' (or use --port direct as root)"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("0x378"), std::string::npos) << error;
}

TEST_F(PpdevLookup, NoMatchingBaseListsThePortsFound)
{
    const auto opened = PpdevPort::open(0x3BC, kAdvice, {proc, dev});
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    for (const char* part : {"0x3bc", "0x278 (parport0)", "0x378 (parport1)", "0xd010 (parport10)",
                             "parport2 (base address unreadable)", "parport3 (base address unreadable)"})
        EXPECT_NE(error.find(part), std::string::npos) << part << " in: " << error;
    EXPECT_EQ(error.find("parportx"), std::string::npos) << error;
    EXPECT_NE(error.find(kAdvice), std::string::npos) << error;
}

TEST_F(PpdevLookup, DriverWithoutPortsSaysSo)
{
    const auto empty = dir.path() / "empty-proc";
    std::filesystem::create_directories(empty);
    const auto opened = PpdevPort::open(0x378, kAdvice, {empty, dev});
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("lists no port"), std::string::npos) << error;
}

TEST_F(PpdevLookup, MissingDeviceNodeNamesItAndThePpdevModule)
{
    const auto opened = PpdevPort::open(0x378, kAdvice, {proc, dev});
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find((dev / "parport1").string()), std::string::npos) << error;
    EXPECT_NE(error.find("modprobe ppdev"), std::string::npos) << error;
}

TEST_F(PpdevLookup, NodeThatIsNotAPortCannotBeClaimed)
{
    // A plain file opens but refuses the ppdev ioctls: the real system calls, end to end.
    test::writeFile(dev / "parport1", "");
    const auto opened = PpdevPort::open(0x378, kAdvice, {proc, dev});
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("Cannot claim " + (dev / "parport1").string()), std::string::npos) << error;
    EXPECT_NE(error.find("not a parallel-port device"), std::string::npos) << error;
}

TEST_F(PpdevLookup, NodeWithoutPermissionSaysToJoinGroupLp)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens any file; permission errors cannot be produced";
    test::writeFile(dev / "parport1", "");
    ::chmod((dev / "parport1").c_str(), 0);
    const auto opened = PpdevPort::open(0x378, kAdvice, {proc, dev});
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("ermission denied on " + (dev / "parport1").string()), std::string::npos) << error;
    EXPECT_NE(error.find("group lp"), std::string::npos) << error;
}

// Only the range check, which refuses before asking the kernel for anything: real I/O
// permission is never requested here, so no hardware register can be touched.
TEST(DirectPort, AddressRangePastTheLastPortIsRefused)
{
    const auto opened = DirectPort::open(0xFFFE);
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("0xfffe"), std::string::npos) << error;
}

TEST(NullPort, ReadsBackDataAndControlAndAConstantStatus)
{
    NullPort port(0x7F);
    EXPECT_EQ(port.read(Register::Data), 0);
    port.write(Register::Data, 0x93);
    port.write(Register::Control, 1); // control does not disturb the data read-back
    port.write(Register::Status, 0);  // status cannot be written
    EXPECT_EQ(port.read(Register::Data), 0x93);
    EXPECT_EQ(port.read(Register::Control), 1);
    EXPECT_EQ(port.read(Register::Status), 0x7F);
    EXPECT_EQ(port.read(Register::Status), 0x7F);

    NullPort defaults;
    EXPECT_EQ(defaults.read(Register::Status) & kClockLine, 0); // no clock: the presence test fails
}

} // namespace
} // namespace orlex

namespace orlex {
namespace {

// The ppdev port against the kernel stand-in, on a fake /proc with parport0 at 0x378.
class PpdevCalls : public ::testing::Test {
protected:
    PpdevCalls() { test::writeFile(dir.path() / "parport0" / "base-addr", "888\t1912\n"); }
    Result<std::unique_ptr<PpdevPort>> open() { return PpdevPort::open(0x378, kAdvice, {dir.path(), "/dev", &kernel}); }

    // Tests and draws examples/star.plt as the tool does ("Pen to 0" first), then ends safely.
    DrawReport drawStar()
    {
        auto port = open();
        MachineSettings settings = test::defaultSettings();
        Drive drive(**port, settings, DriveHooks{[] { return true; }});
        const std::string plot = std::string(std::getenv("ORLEX_TEST_DATA")) + "/../../examples/star.plt";
        drive.state.connected = drive.checkPresence();
        const DrawReport report =
            drawPlot(drawJobFor(testPlot(plot, settings, {100, true, PlotReading::Classic, true})), drive);
        (void)drive.makeSafe();
        return report;
    }
    std::vector<std::string> logFrom(std::size_t first, std::size_t count) const
    {
        return {kernel.log.begin() + first, kernel.log.begin() + first + count};
    }

    test::TempDir dir;
    test::FakePpdevKernel kernel;
};

// Claimed exclusively with the data lines set to output, the recorded coil bytes, the
// safe end, released and closed.
TEST_F(PpdevCalls, DrawBetweenClaimAndReleaseSendsTheRecordedCoils)
{
    ASSERT_EQ(drawStar().outcome, DrawReport::Outcome::Finished);
    EXPECT_EQ(logFrom(0, 4),
              (std::vector<std::string>{"open /dev/parport0 O_RDWR|O_CLOEXEC", "PPEXCL", "PPCLAIM", "PPDATADIR 0"}));
    EXPECT_EQ(logFrom(kernel.log.size() - 4, 4),
              (std::vector<std::string>{"PPWCONTROL 1", "PPWDATA 0", "PPRELEASE", "close"}));
    std::ifstream golden(std::string(std::getenv("ORLEX_TEST_DATA")) + "/golden/star.coils");
    std::string expected = "PPWDATA";
    for (int coil = 0; golden >> coil;)
        expected += " " + std::to_string(coil);
    std::string sent = "PPWDATA";
    for (std::size_t i = 0; i + 3 < kernel.log.size(); ++i) // up to the safe end's coils off
        if (kernel.log[i].starts_with("PPWDATA "))
            sent += kernel.log[i].substr(7);
    EXPECT_EQ(sent, expected);
}

struct FailingCall {
    test::FakePpdevKernel::Failure failure;
    std::string messagePart;
};

class PpdevRefusals : public PpdevCalls, public ::testing::WithParamInterface<FailingCall> {};

// Each refused open or claim names the device and the remedy; nothing is written.
TEST_P(PpdevRefusals, NameTheRemedy)
{
    kernel.failure = GetParam().failure;
    const auto opened = open();
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.message().find(GetParam().messagePart), std::string::npos) << opened.message();
    EXPECT_EQ(std::count(kernel.log.begin(), kernel.log.end(), "PPWDATA"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, PpdevRefusals,
    ::testing::Values(FailingCall{{"open", 1, EACCES}, "Permission denied on /dev/parport0: add your user to group lp"},
                      FailingCall{{"open", 1, EPERM}, "Permission denied on /dev/parport0"},
                      FailingCall{{"open", 1, ENOENT}, "/dev/parport0 is missing or has no driver"},
                      FailingCall{{"open", 1, ENODEV}, "'modprobe ppdev'"},
                      FailingCall{{"open", 1, EBUSY},
                                  "Cannot open /dev/parport0 (port 0x378): Device or resource busy."},
                      FailingCall{{"PPCLAIM", 1, ENXIO}, "'rmmod lp' and try again; to keep it from loading"},
                      FailingCall{{"PPCLAIM", 1, EBUSY}, "'rmmod lp'"},
                      FailingCall{{"PPCLAIM", 1, ENOTTY}, "It is not a parallel-port device."},
                      FailingCall{{"PPCLAIM", 1, EINVAL}, "Cannot claim /dev/parport0 (port 0x378): Invalid argument."},
                      FailingCall{{"PPDATADIR", 1, EIO}, "data lines of /dev/parport0 to output: Input/output"}));

class PpdevFaults : public PpdevCalls, public ::testing::WithParamInterface<FailingCall> {};

// A call that fails ends the draw at once: no coil byte after it, then pen up and coils
// off are tried, and the message names the call, also when the safe end fails too.
TEST_P(PpdevFaults, EndTheDrawAtOnce)
{
    kernel.failure = GetParam().failure;
    const DrawReport report = drawStar();
    ASSERT_EQ(report.outcome, DrawReport::Outcome::PortFailed);
    EXPECT_NE(report.message().find(GetParam().messagePart), std::string::npos) << report.message();
    const auto failed =
        std::find_if(kernel.log.begin(), kernel.log.end(), [](const std::string& e) { return e.ends_with("failed"); });
    const bool safeEndFails = GetParam().failure.forGood && GetParam().failure.call == "PPWDATA";
    EXPECT_EQ(logFrom(failed - kernel.log.begin() + 1, 2),
              (std::vector<std::string>{"PPWCONTROL 1", safeEndFails ? "PPWDATA 0 failed" : "PPWDATA 0"}));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, PpdevFaults,
    ::testing::Values(FailingCall{{"PPWDATA", 500},
                                  "PPWDATA on /dev/parport0 failed: Input/output error. The run "
                                  "has ended: the pen was lifted and the motors switched off."},
                      FailingCall{{"PPWDATA", 500, EIO, true}, "switching the motors off failed too (PPWDATA on"},
                      FailingCall{{"PPRSTATUS", 5000, ENODEV, true}, "PPRSTATUS on /dev/parport0 failed: No such"}));

} // namespace
} // namespace orlex
