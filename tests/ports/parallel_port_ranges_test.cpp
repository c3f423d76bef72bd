// Where direct port I/O may go: the legacy bases and what this PC gives to parallel ports
// (/proc/ioports, PCI parallel cards), read from a fake tree; anything else is refused.
#include "drive/ports/direct_port.h"
#include "drive/ports/parallel_port_ranges.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace orlex {
namespace {

// A PC with a PCIe parallel card at 0xd010 (class 0x070103, IEEE 1284), a network card's I/O range
// at 0xe000 (class 0x020000), and /proc/ioports naming parport0 and a PCI parport.
void writeFakeSystem(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "proc");
    test::writeFile(root / "proc/ioports", "0000-0cf7 : PCI Bus 0000:00\n"
                                           "  0060-0060 : keyboard\n"
                                           "  0378-037a : parport0\n"
                                           "  c000-c007 : parport1\n");
    const auto device = [&](const char* name, const char* deviceClass, const char* resource) {
        const auto folder = root / "sys/bus/pci/devices" / name;
        std::filesystem::create_directories(folder);
        test::writeFile(folder / "class", deviceClass);
        test::writeFile(folder / "resource", resource);
    };
    device("0000:05:00.0", "0x070103\n",
           "0x000000000000d010 0x000000000000d017 0x0000000000040101\n"
           "0x00000000f7000000 0x00000000f7000fff 0x0000000000040200\n");
    device("0000:06:00.0", "0x020000\n", "0x000000000000e000 0x000000000000e01f 0x0000000000040101\n");
}

struct AddressCase {
    std::uint16_t base;
    bool allowed;
};

class DirectAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(DirectAddress, OnlyAParallelPortsRegistersAreReached)
{
    test::TempDir root;
    writeFakeSystem(root.path());
    const Result<void> allowed = DirectPort::addressAllowed(GetParam().base, root.path());
    const std::string problem = allowed.message();
    EXPECT_EQ(allowed.ok(), GetParam().allowed) << problem;
    if (!GetParam().allowed) {
        EXPECT_NE(problem.find("--any-io-address"), std::string::npos) << problem;
        EXPECT_FALSE(DirectPort::open(GetParam().base, false, root.path()));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DirectAddress,
                         ::testing::Values(AddressCase{0x378, true}, AddressCase{0x278, true}, AddressCase{0x3BC, true},
                                           AddressCase{0xD010, true}, AddressCase{0xD015, true},
                                           AddressCase{0xC000, true},
                                           AddressCase{0xD016, false}, // its registers run past the card
                                           AddressCase{0x0, false}, AddressCase{0x60, false}, AddressCase{0x1F0, false},
                                           AddressCase{0xCF8, false}, AddressCase{0xE000, false},
                                           AddressCase{0x379, false}),
                         [](const auto& row) {
                             char name[16];
                             std::snprintf(name, sizeof name, "x%X", row.param.base);
                             return std::string(name);
                         });

} // namespace
} // namespace orlex
