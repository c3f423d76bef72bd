// Register access: addresses from LptAddress at every access, and an address that does not convert.
#include "drive_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <vector>

namespace orlex::test {
namespace {

TEST(RegisterAccess, UsesBaseBasePlusOneAndBasePlusTwo)
{
    ScriptedPort port(0x378, {0x5A});
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.writeData(0x21);
    d.writeControl(1);
    EXPECT_EQ(d.readStatus(), 0x5A);
    EXPECT_EQ(d.readData(), 0x21); // read-back of the last data byte
    EXPECT_EQ(port.writes, (std::vector<PortWrite>{{0x378, 0x21}, {0x37A, 1}}));
    EXPECT_EQ(port.reads, (std::vector<std::uint16_t>{0x379, 0x378}));
}

TEST(RegisterAccess, ASavedAddressAppliesFromTheNextAccess)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.writeData(1);
    rig.settings.LptAddress = "&H278";
    d.writeData(2);
    d.writeControl(0);
    rig.settings.LptAddress = "53264"; // a PCIe card at 0xD010, written in decimal
    d.writeData(3);
    EXPECT_EQ(port.writes,
              (std::vector<PortWrite>{{0x378, 1}, {0x278, 2}, {0x27A, 0}, {0xD010, 3}}));
}

TEST(RegisterAccess, AnAddressThatDoesNotConvertDropsWritesAndReadsZero)
{
    ScriptedPort port(0x378, {0xFF, 0xFF});
    DriveRig rig(port);
    rig.settings.LptAddress = "LPT1";
    Drive& d = *rig.drive;
    d.writeData(0x11);
    d.writeControl(1);
    EXPECT_EQ(d.readStatus(), 0);
    EXPECT_EQ(d.readData(), 0);
    EXPECT_FALSE(d.baseAddress().has_value());
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(port.reads.empty());
}

} // namespace
} // namespace orlex::test
