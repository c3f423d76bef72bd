// ppdev backend without hardware: device lookup in a fake proc folder and the error messages.
#include "drive/ports/ppdev_port.h"

#include "drive/ports/direct_port.h"
#include "drive/ports/null_port.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace orlex {
namespace {

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
    const auto opened = PpdevPort::open(0x378, dir.path() / "absent", dev);
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("no parallel-port driver: load it with 'modprobe parport_pc' (or use --port direct as root)"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("0x378"), std::string::npos) << error;
}

TEST_F(PpdevLookup, NoMatchingBaseListsThePortsFound)
{
    const auto opened = PpdevPort::open(0x3BC, proc, dev);
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    for (const char* part : {"0x3bc", "0x278 (parport0)", "0x378 (parport1)", "0xd010 (parport10)",
                             "parport2 (base address unreadable)", "parport3 (base address unreadable)"})
        EXPECT_NE(error.find(part), std::string::npos) << part << " in: " << error;
    EXPECT_EQ(error.find("parportx"), std::string::npos) << error;
}

TEST_F(PpdevLookup, DriverWithoutPortsSaysSo)
{
    const auto empty = dir.path() / "empty-proc";
    std::filesystem::create_directories(empty);
    const auto opened = PpdevPort::open(0x378, empty, dev);
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("lists no port"), std::string::npos) << error;
}

TEST_F(PpdevLookup, MissingDeviceNodeNamesItAndThePpdevModule)
{
    const auto opened = PpdevPort::open(0x378, proc, dev);
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find((dev / "parport1").string()), std::string::npos) << error;
    EXPECT_NE(error.find("modprobe ppdev"), std::string::npos) << error;
}

TEST_F(PpdevLookup, NodeThatCannotBeClaimedIsReportedWithTheRemedy)
{
    // A plain file opens but refuses the ppdev ioctls, as a port held elsewhere refuses the claim.
    test::writeFile(dev / "parport1", "");
    const auto opened = PpdevPort::open(0x378, proc, dev);
    ASSERT_FALSE(opened);
    const std::string& error = opened.message();
    EXPECT_NE(error.find("Cannot claim " + (dev / "parport1").string()), std::string::npos) << error;
    EXPECT_NE(error.find("rmmod lp"), std::string::npos) << error;
}

TEST_F(PpdevLookup, NodeWithoutPermissionSaysToJoinGroupLp)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens any file; permission errors cannot be produced";
    test::writeFile(dev / "parport1", "");
    ::chmod((dev / "parport1").c_str(), 0);
    const auto opened = PpdevPort::open(0x378, proc, dev);
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
